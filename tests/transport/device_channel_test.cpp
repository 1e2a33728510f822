// CDeviceChannel against the simulated keyboard, through the real CHidDevice:
// what reached the device, frame by frame, and what its memory holds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <numeric>
#include <thread>

#include "channel_fixture.h"
#include "sim/report_descriptors.h"

namespace talmi::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t n, uint8_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
  return b;
}

Bytes Slice(const Bytes& b, size_t at, size_t n) {
  return Bytes(b.begin() + long(at), b.begin() + long(at + n));
}

// ---------------------------------------------------------------------------
// The frame itself.

TEST(FrameTest, BeginSessionFrameIsTheDocumentedBytes) {
  uint8_t f[frame::kSize];
  BuildFrame(f, Command::BeginSession, 0, {});
  Bytes want(frame::kSize, 0);
  want[0] = 0x04;
  want[1] = 0x01;
  want[2] = 0x00;
  want[3] = 0x01;
  EXPECT_EQ(Bytes(f, f + frame::kSize), want);
}

TEST(FrameTest, ChecksumCoversCommandThroughLastByte) {
  // 56 data bytes of 0xFF at offset 0x1234: 0x06 + 56 + 0x34 + 0x12 + 56 * 255.
  Bytes data(56, 0xFF);
  uint8_t f[frame::kSize];
  BuildFrame(f, Command::WriteSettings, 0x1234, data);
  const unsigned sum = 0x06 + 56 + 0x34 + 0x12 + 56 * 255;
  EXPECT_EQ(f[1], sum & 0xFF);
  EXPECT_EQ(f[2], sum >> 8);
  EXPECT_EQ(f[5], 0x34);
  EXPECT_EQ(f[6], 0x12);
  EXPECT_EQ(f[7], 0);
  // The report ID and the checksum bytes themselves are not summed.
  f[0] = 0x99;
  EXPECT_EQ(FrameChecksum(f), sum);
}

TEST(FrameTest, DataBeyondOneFrameIsNotTaken) {
  Bytes data = Pattern(80, 1);
  uint8_t f[frame::kSize];
  BuildFrame(f, Command::WriteMacroData, 0, data);
  EXPECT_EQ(f[frame::kOffLength], 56);
  EXPECT_EQ(Bytes(f + 8, f + 64), Slice(data, 0, 56));
}

// ---------------------------------------------------------------------------
// Link control.

TEST(LinkControlTest, ModesChunkSizesAndTableLength) {
  CDeviceChannel ch;
  EXPECT_EQ(ch.ChunkSize(), 24);  // before any link mode: cable mode, 24-byte chunks
  EXPECT_FALSE(ch.ReceiverMode());
  EXPECT_EQ(ch.TableLength(), 512);
  for (int mode : {0, 1, 3, -1}) {
    ch.SetLinkMode(mode);
    EXPECT_FALSE(ch.ReceiverMode()) << mode;
    EXPECT_EQ(ch.ChunkSize(), 56) << mode;
  }
  ch.SetLinkMode(2);
  EXPECT_TRUE(ch.ReceiverMode());
  EXPECT_EQ(ch.ChunkSize(), 24);

  EXPECT_EQ(ch.SetTableLength(384), 1);
  EXPECT_EQ(ch.TableLength(), 384);
  EXPECT_EQ(ch.SetTableLength(513), 0);
  EXPECT_EQ(ch.TableLength(), 384);
  EXPECT_EQ(ch.SetTableLength(70000), 0);
  EXPECT_EQ(ch.TableLength(), 384);
  EXPECT_EQ(ch.SetTableLength(512), 1);
  EXPECT_EQ(ch.TableLength(), 512);
}

// ---------------------------------------------------------------------------
// Chunking per link mode: frame lengths and offsets the device received.

struct ChunkCase {
  const char* name;
  Command command;
  bool receiver;
  std::function<int(CDeviceChannel&)> run;
  std::vector<int> lengths;
  int start;
};

class ChunkingTest : public ChannelFixture, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(ChunkingTest, FramesAndOffsets) {
  const ChunkCase& c = GetParam();
  if (c.receiver) {
    AttachReceiver();
  } else {
    AttachCable();
  }
  ASSERT_EQ(c.run(channel_), kResultOk);
  const CSimNode& node = c.receiver ? static_cast<CSimNode&>(*kb_.receiver) : *kb_.cable;
  EXPECT_EQ(ChunksOf(node, c.command), Expected(c.lengths, c.start));
  EXPECT_EQ(kb_.keyboard->BadFrames(), 0u);
}

Bytes g_sink(1024);

INSTANTIATE_TEST_SUITE_P(
    Links, ChunkingTest,
    ::testing::Values(
        ChunkCase{"InfoCable", Command::ReadDeviceInfo, false,
                  [](CDeviceChannel& ch) { return ch.ReadDeviceInfo(g_sink); }, {34}, 0},
        ChunkCase{"InfoReceiver", Command::ReadDeviceInfo, true,
                  [](CDeviceChannel& ch) { return ch.ReadDeviceInfo(g_sink); }, {24, 10}, 0},
        ChunkCase{"SettingsCable", Command::ReadSettings, false,
                  [](CDeviceChannel& ch) { return ch.ReadSettings({g_sink.data(), 26}, 75); },
                  {26}, 75},
        ChunkCase{"SettingsReceiver", Command::ReadSettings, true,
                  [](CDeviceChannel& ch) { return ch.ReadSettings({g_sink.data(), 26}, 75); },
                  {24, 2}, 75},
        ChunkCase{"KeyTableCable", Command::WriteKeyTable, false,
                  [](CDeviceChannel& ch) { return ch.WriteKeyTable(Pattern(512, 3), 0); },
                  {56, 56, 56, 56, 56, 56, 56, 56, 56, 8}, 0},
        ChunkCase{"KeyTableReceiver", Command::WriteKeyTable, true,
                  [](CDeviceChannel& ch) { return ch.WriteKeyTable(Pattern(512, 3), 0); },
                  {24, 24, 24, 24, 24, 24, 24, 24, 24, 24, 24,
                   24, 24, 24, 24, 24, 24, 24, 24, 24, 24, 8}, 0},
        ChunkCase{"AttributesCable", Command::ReadKeyAttributes, false,
                  [](CDeviceChannel& ch) { return ch.ReadKeyAttributes(g_sink); },
                  {56, 56, 56, 2}, 0},
        ChunkCase{"AttributesReceiver", Command::ReadKeyAttributes, true,
                  [](CDeviceChannel& ch) { return ch.ReadKeyAttributes(g_sink); },
                  {24, 24, 24, 24, 24, 24, 24, 2}, 0},
        ChunkCase{"ReadKeyTableShortTable", Command::ReadKeyTable, false,
                  [](CDeviceChannel& ch) {
                    if (ch.SetTableLength(3 * 128) != 1) return -999;
                    return ch.ReadKeyTable(g_sink);
                  },
                  {56, 56, 56, 56, 56, 56, 48}, 0},
        ChunkCase{"MacroReceiver", Command::WriteMacroData, true,
                  [](CDeviceChannel& ch) { return ch.WriteMacroData(Pattern(50, 9)); },
                  {24, 24, 2}, 0},
        ChunkCase{"StatusBlockReceiver", Command::ReadStatusBlock, true,
                  [](CDeviceChannel& ch) { return ch.ReadStatusBlock({g_sink.data(), 6}, 0); },
                  {6}, 0},
        ChunkCase{"BitmapAtIndex", Command::WriteKeyBitmap, false,
                  [](CDeviceChannel& ch) { return ch.WriteKeyBitmap(Pattern(21, 0), 5); },
                  {21}, 15},
        ChunkCase{"StreamCable", Command::StreamLightFrame, false,
                  [](CDeviceChannel& ch) { return ch.StreamLightFrame(Pattern(510, 1)); },
                  {56, 56, 56, 56, 56, 56, 56, 56, 56, 6}, 0}),
    [](const ::testing::TestParamInfo<ChunkCase>& info) { return std::string(info.param.name); });

// A page that never sets the link mode (mouse pad, headset) transfers through
// the cable object in 24-byte chunks.
TEST_F(ChannelFixture, LinkModeNeverSetUsesCableWith24ByteChunks) {
  {
    std::lock_guard<std::mutex> io(channel_.IoLock());
    ASSERT_TRUE(channel_.Cable().Open(cablePath_, true, true, true, false));
    channel_.SetOpen(true);
  }
  Bytes block(26);
  ASSERT_EQ(channel_.ReadSettings(block, 0), kResultOk);
  EXPECT_EQ(ChunksOf(*kb_.cable, Command::ReadSettings), Expected({24, 2}));
  EXPECT_EQ(kb_.receiver->ReceivedCount(), 0u);
}

// ---------------------------------------------------------------------------
// Memory: what the channel reads is what the device holds, what it writes
// lands there.

TEST_F(ChannelFixture, ReadsMatchDeviceMemoryOnBothLinks) {
  for (bool receiver : {false, true}) {
    SCOPED_TRACE(receiver ? "receiver" : "cable");
    if (receiver) {
      AttachReceiver();
    } else {
      AttachCable();
    }
    Bytes info(kDeviceInfoLength, 0xEE);
    ASSERT_EQ(channel_.ReadDeviceInfo(info), kResultOk);
    EXPECT_EQ(info, kb_.keyboard->Info());

    Bytes block(26, 0xEE);
    ASSERT_EQ(channel_.ReadSettings(block, 2 * 25), kResultOk);
    EXPECT_EQ(block, kb_.keyboard->SettingsBlock(2));

    ASSERT_EQ(channel_.SetTableLength(3u * info[kInfoOffKeySlots]), kResultOk);
    Bytes table(channel_.TableLength(), 0xEE);
    ASSERT_EQ(channel_.ReadKeyTable(table), kResultOk);
    EXPECT_EQ(table, Slice(kb_.keyboard->DefaultKeyTable(), 0, table.size()));

    Bytes attributes(channel_.TableLength() / 3, 0xEE);
    ASSERT_EQ(channel_.ReadKeyAttributes(attributes), kResultOk);
    EXPECT_EQ(attributes, Slice(kb_.keyboard->KeyAttributes(), 0, attributes.size()));
  }
}

TEST_F(ChannelFixture, WritesLandInDeviceMemory) {
  AttachReceiver();
  ASSERT_EQ(channel_.BeginSession(), kResultOk);
  EXPECT_TRUE(kb_.keyboard->SessionOpen());

  const Bytes block = Pattern(26, 0x40);
  ASSERT_EQ(channel_.WriteSettings(block, 3 * 25), kResultOk);
  const Bytes table = Pattern(512, 0x11);
  ASSERT_EQ(channel_.WriteKeyTable(table, 0), kResultOk);
  const Bytes macro = Pattern(300, 0x22);
  ASSERT_EQ(channel_.WriteMacroData(macro), kResultOk);
  const Bytes bitmap = Pattern(21, 0x33);
  uint8_t status = 0xEE;
  ASSERT_EQ(channel_.WriteKeyBitmap(bitmap, 0, &status), kResultOk);
  EXPECT_EQ(status, 0);

  ASSERT_EQ(channel_.EndSession(), kResultOk);
  EXPECT_FALSE(kb_.keyboard->SessionOpen());
  EXPECT_EQ(kb_.keyboard->WritesOutsideSession(), 0u);

  EXPECT_EQ(kb_.keyboard->SettingsBlock(3), block);
  EXPECT_EQ(kb_.keyboard->KeyTable(), table);
  EXPECT_EQ(Slice(kb_.keyboard->MacroMemory(), 0, macro.size()), macro);
  EXPECT_EQ(kb_.keyboard->CustomSelection(), bitmap);
}

TEST_F(ChannelFixture, StreamedFrameAndHostLightingReachTheKeyboard) {
  DebugCapture capture;
  SetDebugOutputEnabled(true);
  AttachCable();
  const Bytes frame510 = Pattern(510, 5);
  ASSERT_EQ(channel_.StreamLightFrame(frame510), kResultOk);
  EXPECT_EQ(Slice(kb_.keyboard->LightFrame(), 0, 510), frame510);
  EXPECT_EQ(kb_.keyboard->LightFrameCount(), 1u);
  // The stream path writes no hex dumps.
  EXPECT_TRUE(capture.Lines().empty());

  EXPECT_FALSE(kb_.keyboard->HostLighting());
  ASSERT_EQ(channel_.HostLightingOn(), kResultOk);
  EXPECT_TRUE(kb_.keyboard->HostLighting());
}

TEST_F(ChannelFixture, StreamOnTheReceiverSendsNothing) {
  AttachReceiver();
  EXPECT_EQ(channel_.StreamLightFrame(Pattern(510, 5)), kResultOk);
  EXPECT_EQ(kb_.receiver->ReceivedCount(), 0u);
  EXPECT_EQ(kb_.cable->ReceivedCount(), 0u);
}

// ---------------------------------------------------------------------------
// Shooting data: 56-byte frames on both links. The keyboard firmware does not
// take 0x17, so this one carries shooting memory as the mouse does.

class CShootingKeyboard : public CSimKeyboard {
 public:
  static constexpr const char* kShoot = "shoot";
  CShootingKeyboard() {
    AddRegion(kShoot, 1024);
    MapWrite(SimCommand::WriteShoot, kShoot);
  }
};

class ShootTest : public ChannelFixture, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    firmware_ = std::make_shared<CShootingKeyboard>();
    const std::vector<uint8_t> descriptor(std::begin(kSimKeyboardInterface1Descriptor),
                                          std::end(kSimKeyboardInterface1Descriptor));
    const std::vector<SimOutputReport> outputs = {{kSimVendorReportId, 64}};
    kb_.keyboard = firmware_;
    kb_.cable = std::make_shared<CSimDeviceNode>(
        SimNodeIdentity{"keyboard", 0x320F, 0x5055, 0x0100, 1, descriptor}, outputs, firmware_);
    kb_.receiver = std::make_shared<CSimReceiverNode>(
        SimNodeIdentity{"keyboard-receiver", 0x320F, 0x5088, 0x0100, 1, descriptor}, outputs,
        firmware_);
    firmware_->AttachNode(kb_.cable);
    firmware_->AttachNode(kb_.receiver);
    ASSERT_TRUE(bus_.Plug(kb_.cable));
    ASSERT_TRUE(bus_.Plug(kb_.receiver));
    RegisterSimBus(bus_);
    cablePath_ = FindPath("keyboard", "&col04");
    receiverPath_ = FindPath("keyboard-receiver", "&col04");
  }
  std::shared_ptr<CShootingKeyboard> firmware_;
};

TEST_P(ShootTest, FiftySixByteFramesOnBothLinks) {
  const bool receiver = GetParam();
  if (receiver) {
    AttachReceiver();
  } else {
    AttachCable();
  }
  const Bytes image = Pattern(130, 0x55);
  ASSERT_EQ(channel_.WriteShootData(image), kResultOk);
  const CSimNode& node = receiver ? static_cast<CSimNode&>(*kb_.receiver) : *kb_.cable;
  EXPECT_EQ(ChunksOf(node, Command::WriteShootData), Expected({56, 56, 18}));
  EXPECT_EQ(Slice(firmware_->Region(CShootingKeyboard::kShoot), 0, image.size()), image);
}

INSTANTIATE_TEST_SUITE_P(Links, ShootTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Receiver" : "Cable");
                         });

// ---------------------------------------------------------------------------
// Status faults end the transfer at the faulty chunk.

struct StatusCase {
  uint8_t status;
  int chunk;
  int want;
};

class StatusFaultTest : public ChannelFixture, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusFaultTest, WriteStopsAtTheFaultyChunk) {
  const auto& c = GetParam();
  AttachReceiver();
  const Bytes before = kb_.keyboard->SettingsBlock(1);
  kb_.receiver->FailStatus(CommandByte(Command::WriteSettings), c.chunk, c.status);
  const Bytes block = Pattern(26, 0x70);
  EXPECT_EQ(channel_.WriteSettings(block, 25), c.want);
  // Nothing is sent after the refused chunk.
  EXPECT_EQ(ChunksOf(*kb_.receiver, Command::WriteSettings).size(), size_t(c.chunk));
  const Bytes after = kb_.keyboard->SettingsBlock(1);
  if (c.chunk == 2) {
    EXPECT_EQ(Slice(after, 0, 24), Slice(block, 0, 24));
    EXPECT_EQ(Slice(after, 24, 2), Slice(before, 24, 2));
  } else {
    EXPECT_EQ(after, before);
  }
}

TEST_P(StatusFaultTest, ReadKeepsTheChunksBeforeTheFault) {
  const auto& c = GetParam();
  AttachCable();
  kb_.cable->FailStatus(CommandByte(Command::ReadKeyAttributes), c.chunk, c.status);
  Bytes dest(170, 0xEE);
  EXPECT_EQ(channel_.ReadKeyAttributes(dest), c.want);
  EXPECT_EQ(ChunksOf(*kb_.cable, Command::ReadKeyAttributes).size(), size_t(c.chunk));
  const size_t good = size_t(c.chunk - 1) * 56;
  EXPECT_EQ(Slice(dest, 0, good), Slice(kb_.keyboard->KeyAttributes(), 0, good));
  EXPECT_EQ(Slice(dest, good, 170 - good), Bytes(170 - good, 0xEE));
}

INSTANTIATE_TEST_SUITE_P(Faults, StatusFaultTest,
                         ::testing::Values(StatusCase{0xFE, 2, kResultStatusRejected},
                                           StatusCase{0xFF, 2, kResultStatusError},
                                           StatusCase{0xFE, 1, kResultStatusRejected}));

TEST_F(ChannelFixture, StreamStatusEndsTheFrameAndAPulledCableFailsTheWrite) {
  AttachCable();
  kb_.cable->FailStatus(CommandByte(Command::StreamLightFrame), 2, 0xFE);
  EXPECT_EQ(channel_.StreamLightFrame(Pattern(510, 1)), kResultStatusRejected);
  EXPECT_EQ(ChunksOf(*kb_.cable, Command::StreamLightFrame), Expected({56, 56}));
  bus_.Unplug("keyboard");
  EXPECT_EQ(channel_.StreamLightFrame(Pattern(510, 1)), kResultNotWritten);
}

TEST_F(ChannelFixture, EndSessionPausesBeforeItsFrame) {
  AttachCable();
  ASSERT_EQ(channel_.BeginSession(), kResultOk);
  ASSERT_EQ(channel_.EndSession(), kResultOk);
  const auto frames = kb_.cable->ReceivedFrames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].bytes[frame::kOffCommand], CommandByte(Command::EndSession));
  EXPECT_GE(frames[1].at - frames[0].at, std::chrono::milliseconds(kEndSessionDelayMs));
}

TEST_F(ChannelFixture, KeyBitmapHandsBackTheStatusByte) {
  AttachCable();
  kb_.cable->FailStatus(CommandByte(Command::WriteKeyBitmap), 1, 0xFE);
  uint8_t status = 0;
  EXPECT_EQ(channel_.WriteKeyBitmap(Pattern(21, 1), 0, &status), kResultStatusRejected);
  EXPECT_EQ(status, 0xFE);
}

// ---------------------------------------------------------------------------
// Refusals that must not touch the device.

TEST_F(ChannelFixture, RefusedRequestsDoNoIo) {
  AttachCable();
  Bytes big(600);
  uint8_t status = 0;
  EXPECT_EQ(channel_.WriteKeyTable(big, 1), kResultBadBank);
  EXPECT_EQ(channel_.WriteKeyTable({big.data(), 100}, 0), kResultNothing);  // shorter than the table
  EXPECT_EQ(channel_.ReadKeyTable({big.data(), 511}), kResultNothing);
  EXPECT_EQ(channel_.ReadKeyAttributes({big.data(), 169}), kResultNothing);
  EXPECT_EQ(channel_.ReadDeviceInfo({big.data(), 33}), kResultNothing);
  EXPECT_EQ(channel_.WriteKeyBitmap({big.data(), 57}, 0, &status), kResultNothing);
  EXPECT_EQ(channel_.ReadStatusBlock({big.data(), 57}, 0), kResultNothing);
  // The 16-bit offset would wrap.
  EXPECT_EQ(channel_.WriteSettings({big.data(), 100}, 0xFFC0), kResultNothing);
  EXPECT_EQ(channel_.ReadSettings({big.data(), 0x41}, 0xFFC0), kResultNothing);
  EXPECT_EQ(channel_.WriteKeyBitmap({big.data(), 3}, 0x5556), kResultNothing);
  EXPECT_EQ(kb_.cable->ReceivedCount(), 0u);
}

TEST_F(ChannelFixture, ClosedChannelReturnsZeroWithoutIo) {
  // The HID object is open but the owner has not set the open flag.
  {
    std::lock_guard<std::mutex> io(channel_.IoLock());
    ASSERT_TRUE(channel_.Cable().Open(cablePath_, true, true, true, false));
  }
  Bytes buf(512);
  const std::vector<std::function<int()>> ops = {
      [&] { return channel_.BeginSession(); },
      [&] { return channel_.EndSession(); },
      [&] { return channel_.ReadDeviceInfo(buf); },
      [&] { return channel_.ReadSettings({buf.data(), 26}, 0); },
      [&] { return channel_.WriteSettings({buf.data(), 26}, 0); },
      [&] { return channel_.ReadKeyTable(buf); },
      [&] { return channel_.WriteKeyTable(buf, 0); },
      [&] { return channel_.WriteKeyBitmap({buf.data(), 21}, 0); },
      [&] { return channel_.StreamLightFrame({buf.data(), 510}); },
      [&] { return channel_.WriteMacroData({buf.data(), 100}); },
      [&] { return channel_.WriteShootData({buf.data(), 100}); },
      [&] { return channel_.ReadStatusBlock({buf.data(), 6}, 0); },
      [&] { return channel_.ReadKeyAttributes(buf); },
      [&] { return channel_.HostLightingOn(); },
      [&] { return channel_.Transact(buf, buf); },
  };
  for (size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(ops[i](), kResultNothing) << "op " << i;
  EXPECT_EQ(kb_.cable->ReceivedCount(), 0u);
  EXPECT_FALSE(channel_.Busy());
}

// ---------------------------------------------------------------------------
// The link query.

TEST_F(ChannelFixture, LinkQueryOnTheCableDoesNoIo) {
  EXPECT_EQ(channel_.QueryReceiverLink(), 1);  // not even open
  AttachCable();
  EXPECT_EQ(channel_.QueryReceiverLink(), 1);
  EXPECT_EQ(kb_.cable->ReceivedCount(), 0u);
  EXPECT_EQ(kb_.receiver->ReceivedCount(), 0u);
}

TEST_F(ChannelFixture, LinkQueryOnTheReceiverFollowsTheRadio) {
  AttachReceiver();
  EXPECT_EQ(channel_.QueryReceiverLink(), 1);
  kb_.receiver->SetLinkUp(false);
  EXPECT_EQ(channel_.QueryReceiverLink(), 0);
  kb_.receiver->SetLinkUp(true);
  EXPECT_EQ(channel_.QueryReceiverLink(), 1);
  EXPECT_EQ(ChunksOf(*kb_.receiver, Command::QueryReceiverLink), Expected({0, 0, 0}));
}

// ---------------------------------------------------------------------------
// The receiver's "unreachable" answer.

TEST_F(ChannelFixture, UnreachableKeyboardGivesMinus101AtOnce) {
  AttachReceiver();
  kb_.receiver->SetLinkUp(false);
  Bytes info(kDeviceInfoLength, 0xEE);
  EXPECT_EQ(channel_.ReadDeviceInfo(info), kResultUnreachable);
  EXPECT_EQ(ChunksOf(*kb_.receiver, Command::ReadDeviceInfo).size(), 1u);
  EXPECT_EQ(info, Bytes(kDeviceInfoLength, 0xEE));
  EXPECT_EQ(kb_.keyboard->CommandCount(CommandByte(Command::ReadDeviceInfo)), 0u);

  // One dropped answer over the air, then the keyboard is back.
  kb_.receiver->SetLinkUp(true);
  kb_.receiver->FailUnreachable(1);
  EXPECT_EQ(channel_.WriteSettings(Pattern(26, 1), 0), kResultUnreachable);
  EXPECT_EQ(channel_.WriteSettings(Pattern(26, 1), 0), kResultOk);
  EXPECT_EQ(kb_.keyboard->SettingsBlock(0), Pattern(26, 1));
}

// ---------------------------------------------------------------------------
// Echo handling.

TEST_F(ChannelFixture, StaleReplyBeforeTheEchoIsSkipped) {
  AttachCable();
  kb_.cable->InjectStaleReply(1);
  Bytes info(kDeviceInfoLength);
  ASSERT_EQ(channel_.ReadDeviceInfo(info), kResultOk);
  EXPECT_EQ(info, kb_.keyboard->Info());
  // The next transaction is not confused by leftovers.
  Bytes block(26);
  ASSERT_EQ(channel_.ReadSettings(block, 0), kResultOk);
  EXPECT_EQ(block, kb_.keyboard->SettingsBlock(0));
}

TEST_F(ChannelFixture, NoEchoInTwoReadsHandsBackTheLastReply) {
  AttachCable();
  // Both reads see a wrong echo: the last reply stands, status passes.
  kb_.cable->InjectStaleReply(1);
  kb_.cable->FailWrongEcho(1);
  Bytes reply(frame::kSize);
  Bytes request(frame::kSize);
  BuildFrame(request.data(), Command::BeginSession, 0, {});
  EXPECT_EQ(channel_.Transact(request, reply), kResultOk);
  EXPECT_NE(reply[frame::kOffCommand], CommandByte(Command::BeginSession));
}

// 0xAA means "unreachable" only from the receiver.
TEST_F(ChannelFixture, EchoByteAaOnTheCableIsNotUnreachable) {
  AttachCable();
  kb_.cable->InjectStaleReply(1);
  kb_.cable->FailWrongEcho(1, kReceiverUnreachable);
  Bytes request(frame::kSize), reply(frame::kSize);
  BuildFrame(request.data(), Command::HostLightingOn, 0, {});
  EXPECT_EQ(channel_.Transact(request, reply), kResultOk);
  EXPECT_EQ(reply[frame::kOffCommand], kReceiverUnreachable);
}

// ---------------------------------------------------------------------------
// A device that stops answering or goes away.

TEST_F(ChannelFixture, UnplugMidTransferEndsWithinTheTimeOutBound) {
  AttachCable();
  kb_.cable->FailUnplugAfterFrames(3);
  const auto start = std::chrono::steady_clock::now();
  const int result = channel_.WriteKeyTable(Pattern(512, 1), 0);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result, kResultNothing);  // the third request went out, its reply never came
  EXPECT_EQ(ChunksOf(*kb_.cable, Command::WriteKeyTable).size(), 3u);
  // One write and two reply reads at most.
  EXPECT_LT(elapsed, std::chrono::milliseconds(kCableTimeoutMs * (1 + kMaxReplyReads)));
  // Later requests cannot be written.
  EXPECT_EQ(channel_.BeginSession(), kResultNotWritten);
  EXPECT_FALSE(channel_.Busy());
}

TEST_F(ChannelFixture, SilentDeviceCostsTheReadTimeOutThenRecovers) {
  AttachCable();
  kb_.cable->FailNoReply(1);
  EXPECT_EQ(channel_.BeginSession(), kResultNothing);
  EXPECT_EQ(channel_.BeginSession(), kResultOk);
  EXPECT_EQ(ChunksOf(*kb_.cable, Command::BeginSession).size(), 2u);
}

// ---------------------------------------------------------------------------
// Debug dumps.

TEST_F(ChannelFixture, HexDumpsOfRequestAndReply) {
  DebugCapture capture;
  AttachCable();
  ASSERT_EQ(channel_.BeginSession(), kResultOk);
  EXPECT_TRUE(capture.Lines().empty());  // off by default

  SetDebugOutputEnabled(true);
  ASSERT_EQ(channel_.BeginSession(), kResultOk);
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "命令");
  EXPECT_EQ(lines[1],
            "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  "
            "00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00");
  EXPECT_EQ(lines[2],
            "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  "
            "00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00");
  EXPECT_EQ(lines[3], "返回");
  // The reply echoes the command.
  EXPECT_EQ(lines[4].substr(9, 2), "01");
  EXPECT_EQ(lines[4].size(), lines[1].size());
  EXPECT_EQ(lines[5].size(), lines[2].size());
}

// ---------------------------------------------------------------------------
// Threads: streamed frames give way to configuration transfers.

TEST_F(ChannelFixture, StreamDropsChunksWhileAReadRunsAndTheReadIsUndisturbed) {
  DebugCapture capture;
  SetDebugOutputEnabled(true);
  AttachCable();
  // Slow replies keep the read's transactions long enough to meet the stream.
  kb_.cable->SetReplyDelay(5);

  std::atomic<bool> reading{true};
  std::atomic<bool> streaming{false};
  std::atomic<int> streamFailures{0};
  std::thread streamer([&] {
    const Bytes lights = Pattern(510, 9);
    while (reading.load()) {
      if (channel_.StreamLightFrame(lights) != kResultOk) streamFailures++;
      streaming = true;
    }
  });
  while (!streaming.load()) std::this_thread::yield();
  // Read until the stream has met a read (a generous bound on the rounds).
  int rounds = 0;
  bool undisturbed = true;
  for (; rounds < 50 && capture.Count("放弃灯光数据") == 0; ++rounds) {
    Bytes settings(512, 0xEE);
    const int result = channel_.ReadSettings(settings, 0);
    undisturbed = undisturbed && result == kResultOk && settings == kb_.keyboard->Settings();
  }
  reading = false;
  streamer.join();

  EXPECT_TRUE(undisturbed);
  EXPECT_EQ(streamFailures.load(), 0);
  EXPECT_GT(capture.Count("放弃灯光数据"), 0u);
  const auto reads = ChunksOf(*kb_.cable, Command::ReadSettings);
  ASSERT_GT(rounds, 0);
  ASSERT_EQ(reads.size(), size_t(rounds) * 10);
  EXPECT_EQ(std::vector<Chunk>(reads.begin(), reads.begin() + 10),
            Expected({56, 56, 56, 56, 56, 56, 56, 56, 56, 8}));
}

TEST_F(ChannelFixture, ConcurrentTransfersKeepTheirPairsWhole) {
  AttachCable();
  constexpr int kRounds = 40;
  std::atomic<int> failures{0};
  std::thread writer([&] {
    for (int i = 0; i < kRounds; ++i) {
      if (channel_.WriteSettings(Pattern(26, uint8_t(i)), 4 * 25) != kResultOk) failures++;
    }
  });
  std::thread streamer([&] {
    for (int i = 0; i < kRounds; ++i) {
      if (channel_.StreamLightFrame(Pattern(510, uint8_t(i))) != kResultOk) failures++;
    }
  });
  for (int i = 0; i < kRounds; ++i) {
    Bytes info(kDeviceInfoLength);
    if (channel_.ReadDeviceInfo(info) != kResultOk || info != kb_.keyboard->Info()) failures++;
  }
  writer.join();
  streamer.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(kb_.keyboard->SettingsBlock(4), Pattern(26, uint8_t(kRounds - 1)));
  EXPECT_EQ(kb_.keyboard->BadFrames(), 0u);
}

}  // namespace
}  // namespace talmi::test
