// The keyboard firmware as the host meets it: frame checks, replies, and
// what its memory holds after the host's writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "sim/report_descriptors.h"
#include "sim/sim_keyboard.h"
#include "tests/sim/sim_test_util.h"

namespace talmi {
namespace {

using namespace simtest;

class SimKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kb_ = MakeSimKeyboard();
    ASSERT_TRUE(bus_.Plug(kb_.cable));
    conn_ = OpenRw(bus_, "sim:keyboard");
    ASSERT_NE(conn_, nullptr);
  }

  std::vector<uint8_t> Ask(const std::vector<uint8_t>& frame) { return Exchange(*conn_, frame); }

  // A chunked write as a host does it, 56 bytes per frame.
  void WriteChunked(uint8_t command, uint16_t offset, const std::vector<uint8_t>& bytes) {
    for (size_t at = 0; at < bytes.size(); at += kSimFrameDataMax) {
      const size_t n = std::min(kSimFrameDataMax, bytes.size() - at);
      std::vector<uint8_t> chunk(bytes.begin() + static_cast<ptrdiff_t>(at),
                                 bytes.begin() + static_cast<ptrdiff_t>(at + n));
      const auto reply = Ask(Request(command, static_cast<uint16_t>(offset + at), chunk));
      ASSERT_EQ(SimFrameStatusOf(reply), kSimStatusOk) << "chunk at " << at;
    }
  }

  std::vector<uint8_t> ReadChunked(uint8_t command, uint16_t offset, size_t length) {
    std::vector<uint8_t> out;
    for (size_t at = 0; at < length; at += kSimFrameDataMax) {
      const auto n = static_cast<uint8_t>(std::min(kSimFrameDataMax, length - at));
      const auto data = DataOf(Ask(ReadRequest(command, static_cast<uint16_t>(offset + at), n)));
      out.insert(out.end(), data.begin(), data.end());
    }
    return out;
  }

  CSimBus bus_;
  SimKeyboardSet kb_;
  std::unique_ptr<IHidConnection> conn_;
};

TEST(SimProtocol, ChecksumIsTheSumOfBytesThreeToSixtyThree) {
  const auto begin = SimBuildRequest(0x01, 0);
  ASSERT_EQ(begin.size(), 64u);
  const std::vector<uint8_t> head = {0x04, 0x01, 0x00, 0x01};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), begin.begin()));
  EXPECT_TRUE(std::all_of(begin.begin() + 4, begin.end(), [](uint8_t b) { return b == 0; }));

  // 56 data bytes of 0xFF plus command, length and offset overflow a byte.
  std::vector<uint8_t> data(56, 0xFF);
  const auto big = SimBuildRequest(0x06, 0x0119, data);
  const uint32_t sum = 0x06 + 56 + 0x19 + 0x01 + 56 * 0xFF;
  EXPECT_EQ(big[1], sum & 0xFF);
  EXPECT_EQ(big[2], (sum >> 8) & 0xFF);
  EXPECT_EQ(SimFrameOffsetOf(big), 0x0119);
}

TEST_F(SimKeyboardTest, RepliesEchoTheCommandAndOffsetWithAValidChecksum) {
  const auto reply = Ask(ReadRequest(0x05, 25, 26));
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply[kSimFrameReportId], kSimVendorReportId);
  EXPECT_EQ(SimFrameCommandOf(reply), 0x05);
  EXPECT_EQ(SimFrameOffsetOf(reply), 25);
  EXPECT_EQ(SimFrameLengthOf(reply), 26);
  EXPECT_EQ(SimFrameStatusOf(reply), kSimStatusOk);
  EXPECT_EQ(reply[1] | (reply[2] << 8), SimFrameChecksum(reply));
}

TEST_F(SimKeyboardTest, MalformedRequestsAreRefusedAndChangeNothing) {
  const auto before = kb_.keyboard->Settings();
  auto badSum = Request(0x06, 0, {9, 9, 9});
  badSum[1] ^= 0x01;
  auto tooLong = Request(0x06, 0, {9});
  tooLong[kSimFrameLength] = 57;
  SimSealFrame(tooLong);
  struct Case {
    std::vector<uint8_t> frame;
    uint8_t status;
    const char* why;
  };
  const Case cases[] = {
      {badSum, kSimStatusBadRequest, "checksum"},
      {tooLong, kSimStatusBadRequest, "length above 56"},
      {Request(0x06, 510, {1, 2, 3}), kSimStatusBadRequest, "write past the settings memory"},
      {ReadRequest(0x1B, 160, 20), kSimStatusBadRequest, "read past the attribute table"},
      {ReadRequest(0x03, 0, 35), kSimStatusBadRequest, "read past the info record"},
      {Request(0x17, 0, {1, 2}), kSimStatusUnsupported, "no shooting memory on a keyboard"},
      {Request(0x42, 0), kSimStatusUnsupported, "unknown command"},
  };
  for (const auto& c : cases) {
    const auto reply = Ask(c.frame);
    EXPECT_EQ(SimFrameCommandOf(reply), c.frame[kSimFrameCommand]) << c.why;
    EXPECT_EQ(SimFrameStatusOf(reply), c.status) << c.why;
    EXPECT_EQ(SimFrameLengthOf(reply), 0) << c.why;
  }
  EXPECT_EQ(kb_.keyboard->Settings(), before);
  EXPECT_EQ(kb_.keyboard->BadFrames(), 5u);
}

TEST_F(SimKeyboardTest, InfoRecordReportsSlotsAndMacroMemory) {
  const auto info = ReadChunked(0x03, 0, 34);
  ASSERT_EQ(info.size(), 34u);
  EXPECT_EQ(info, kb_.keyboard->Info());
  EXPECT_EQ(info[kSimInfoKeySlots], kSimKeyboardSlots);
  EXPECT_EQ(info[kSimInfoMacroUnits], kSimKeyboardMacroUnits);
  EXPECT_EQ(kb_.keyboard->MacroMemory().size(), info[kSimInfoMacroUnits] * 128u);

  kb_.keyboard->SetKeySlots(171);
  kb_.keyboard->SetMacroUnits(2);
  const auto changed = ReadChunked(0x03, 0, 34);
  EXPECT_EQ(changed[kSimInfoKeySlots], 171);
  EXPECT_EQ(changed[kSimInfoMacroUnits], 2);
  EXPECT_EQ(kb_.keyboard->MacroMemory().size(), 256u);
}

// Where each key's factory code sits in the table read with 0x07.
std::vector<int> SlotsOfKeys(const std::vector<uint8_t>& table, int slots) {
  std::vector<int> slotOf(126, -1);
  for (int key = 0; key < 126; ++key) {
    const SimKeyCode code = SimFactoryKeyCode(key);
    if (code.kind == 0x20 && code.p1 == 0 && code.p2 == 0) continue;
    for (int s = 0; s < slots; ++s) {
      if (table[3 * s] == code.kind && table[3 * s + 1] == code.p1 && table[3 * s + 2] == code.p2) {
        slotOf[key] = s;
        break;
      }
    }
  }
  return slotOf;
}

TEST_F(SimKeyboardTest, FactoryKeyTableIsInScanOrderNotKeyOrder) {
  const auto table = ReadChunked(0x07, 0, 3 * kSimKeyboardSlots);
  const auto held = kb_.keyboard->DefaultKeyTable();
  EXPECT_EQ(table, std::vector<uint8_t>(held.begin(), held.begin() + 3 * kSimKeyboardSlots));
  const auto slotOf = SlotsOfKeys(table, kSimKeyboardSlots);
  int found = 0;
  int inPlace = 0;
  for (int key = 0; key < 126; ++key) {
    if (slotOf[key] < 0) continue;
    ++found;
    if (slotOf[key] == key) ++inPlace;
    EXPECT_EQ(SimFactorySlotKey(slotOf[key]), key);
  }
  EXPECT_EQ(found, 122);  // every key with a real code has a slot
  EXPECT_LT(inPlace, 10);
  EXPECT_EQ(slotOf[21], 1);  // grave accent is read second, below Esc
  EXPECT_EQ(slotOf[110], kSimFnSlot);
  // Slots beyond the keys are empty, not 20/00/00 (which would attract
  // every key without a code).
  for (int s = found; s < kSimKeyboardSlots; ++s) {
    EXPECT_EQ(table[3 * s] | table[3 * s + 1] | table[3 * s + 2], 0) << "slot " << s;
  }
}

TEST(SimKeyboardVariant, WithoutFnNoSlotCarriesItsCode) {
  CSimBus bus;
  auto kb = MakeSimKeyboard({.fnInKeyTable = false});
  ASSERT_TRUE(bus.Plug(kb.cable));
  auto conn = OpenRw(bus, "sim:keyboard");
  std::vector<uint8_t> table;
  for (int at = 0; at < 3 * kSimKeyboardSlots; at += 56) {
    const auto n = static_cast<uint8_t>(std::min(56, 3 * kSimKeyboardSlots - at));
    const auto data = DataOf(Exchange(*conn, ReadRequest(0x07, static_cast<uint16_t>(at), n)));
    table.insert(table.end(), data.begin(), data.end());
  }
  const auto slotOf = SlotsOfKeys(table, kSimKeyboardSlots);
  EXPECT_EQ(slotOf[110], -1);
  EXPECT_EQ(table[3 * kSimFnSlot] | table[3 * kSimFnSlot + 1] | table[3 * kSimFnSlot + 2], 0);
  EXPECT_EQ(slotOf[0], 0);
}

TEST_F(SimKeyboardTest, KeyTableUploadLandsInTheActiveTableOnly) {
  std::vector<uint8_t> image(kSimKeyTableSize);
  std::iota(image.begin(), image.end(), 0);
  const auto factory = kb_.keyboard->DefaultKeyTable();
  WriteChunked(0x09, 0, image);
  EXPECT_EQ(kb_.keyboard->KeyTable(), image);
  EXPECT_EQ(kb_.keyboard->DefaultKeyTable(), factory);
  EXPECT_EQ(ReadChunked(0x07, 0, 30), std::vector<uint8_t>(factory.begin(), factory.begin() + 30));
}

TEST_F(SimKeyboardTest, SettingsBlocksAreAddressedAtProfileTimesTwentyFive) {
  // Profile 2's block starts at 50: its byte 0 is profile 1's last byte.
  std::vector<uint8_t> block(26);
  std::iota(block.begin(), block.end(), 100);
  ASSERT_EQ(SimFrameStatusOf(Ask(Request(0x01, 0))), kSimStatusOk);
  WriteChunked(0x06, 2 * 25, block);
  ASSERT_EQ(SimFrameStatusOf(Ask(Request(0x02, 0))), kSimStatusOk);

  EXPECT_EQ(kb_.keyboard->SettingsBlock(2), block);
  EXPECT_EQ(kb_.keyboard->SettingsBlock(1)[25], 100);
  EXPECT_EQ(kb_.keyboard->SettingsBlock(3)[0], 125);
  EXPECT_EQ(ReadChunked(0x05, 50, 26), block);
  EXPECT_EQ(kb_.keyboard->ActiveProfile(), 0);
  EXPECT_EQ(kb_.keyboard->WritesOutsideSession(), 0u);
  EXPECT_FALSE(kb_.keyboard->SessionOpen());

  // Profile 0's byte 0 is the active-profile byte.
  WriteChunked(0x06, 0, std::vector<uint8_t>(26, 3));
  EXPECT_EQ(kb_.keyboard->ActiveProfile(), 3);
  EXPECT_EQ(ReadChunked(0x05, 0, 1), std::vector<uint8_t>{3});
  EXPECT_EQ(kb_.keyboard->WritesOutsideSession(), 1u);
}

TEST_F(SimKeyboardTest, DefaultSettingsBlockIsAPlausibleProfile) {
  const auto block = kb_.keyboard->SettingsBlock(0);
  ASSERT_EQ(block.size(), 26u);
  EXPECT_EQ(block[0], 0);   // active profile
  EXPECT_LE(block[2], 4);   // brightness level
  EXPECT_LE(block[3], 4);   // speed, inverted
  EXPECT_LE(block[22], 3);  // polling rate option
  EXPECT_NE(block[1], 0xFE);
}

TEST_F(SimKeyboardTest, MacroAttributeCustomStatusLightAndHostFlag) {
  std::vector<uint8_t> macro(300);
  std::iota(macro.begin(), macro.end(), 1);
  WriteChunked(0x15, 0, macro);
  const auto memory = kb_.keyboard->MacroMemory();
  EXPECT_TRUE(std::equal(macro.begin(), macro.end(), memory.begin()));
  EXPECT_EQ(memory[300], 0);

  const auto attributes = ReadChunked(0x1B, 0, 170);
  EXPECT_EQ(attributes, kb_.keyboard->KeyAttributes());
  EXPECT_EQ(attributes[0], 1);
  EXPECT_EQ(attributes[169], 0);

  std::vector<uint8_t> bitmap(21, 0);
  bitmap[1] = 0x02;  // slot 22
  WriteChunked(0x0B, 0, bitmap);
  EXPECT_EQ(kb_.keyboard->CustomSelection(), bitmap);

  const uint8_t status[] = {75, 2, 0, 0, 9, 0};
  kb_.keyboard->SetStatusRecord(status);
  EXPECT_EQ(ReadChunked(0x1A, 0, 6), std::vector<uint8_t>(std::begin(status), std::end(status)));

  EXPECT_FALSE(kb_.keyboard->HostLighting());
  EXPECT_EQ(SimFrameStatusOf(Ask(Request(0x1C, 0))), kSimStatusOk);
  EXPECT_TRUE(kb_.keyboard->HostLighting());

  std::vector<uint8_t> frame(kSimKeyboardSlots, 0x40);
  WriteChunked(0x12, 0, frame);
  frame.assign(kSimKeyboardSlots, 0x80);
  WriteChunked(0x12, 0, frame);
  EXPECT_EQ(kb_.keyboard->LightFrameCount(), 2u);
  const auto light = kb_.keyboard->LightFrame();
  EXPECT_TRUE(std::equal(frame.begin(), frame.end(), light.begin()));
}

TEST_F(SimKeyboardTest, ConsumerReportsForChangesMadeOnTheKeyboard) {
  struct Case {
    const char* what;
    std::function<bool()> act;
    uint16_t usage;
  };
  auto& keyboard = *kb_.keyboard;
  const Case cases[] = {
      {"resync", [&] { return keyboard.SendConsumerUsage(0x0401); }, 0x0401},
      {"profile list", [&] { return keyboard.SendConsumerUsage(0x0402); }, 0x0402},
      {"heartbeat", [&] { return keyboard.SendConsumerUsage(0x0404); }, 0x0404},
      {"profile 2", [&] { return keyboard.SwitchProfile(2); }, 0x1002},
      {"profile 1 light 5", [&] { return keyboard.SwitchProfileAndLight(1, 5); }, 0x1151},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.act()) << c.what;
    const auto report = ReadOne(*conn_);
    ASSERT_EQ(report.size(), 3u) << c.what;
    EXPECT_EQ(report[0], kSimConsumerReportId) << c.what;
    EXPECT_EQ(report[1] | (report[2] << 8), c.usage) << c.what;
  }
  EXPECT_EQ(keyboard.ActiveProfile(), 1);
  EXPECT_EQ(keyboard.SettingsBlock(1)[17], 5);
}

TEST_F(SimKeyboardTest, ConsumerReportsTakeTheReceiverWhenTheCableIsOut) {
  ASSERT_TRUE(bus_.Plug(kb_.receiver));
  auto radio = bus_.Open("sim:keyboard-receiver", true, false, false);
  ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0401));
  EXPECT_FALSE(ReadOne(*conn_).empty());
  EXPECT_TRUE(ReadOne(*radio, 0).empty());

  kb_.cable->Unplug();
  ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0402));
  const auto report = ReadOne(*radio);
  ASSERT_EQ(report.size(), 3u);
  EXPECT_EQ(report[1] | (report[2] << 8), 0x0402);

  kb_.receiver->SetLinkUp(false);
  EXPECT_FALSE(kb_.keyboard->SendConsumerUsage(0x0401));
}

TEST_F(SimKeyboardTest, StatusRecordTellsTheLinkTheRequestCame) {
  ASSERT_TRUE(bus_.Plug(kb_.receiver));
  auto radio = OpenRw(bus_, "sim:keyboard-receiver");
  EXPECT_EQ(DataOf(Ask(ReadRequest(0x1A, 0, 6)))[3], 0);
  EXPECT_EQ(DataOf(Exchange(*radio, ReadRequest(0x1A, 0, 6)))[3], 1);
}

}  // namespace
}  // namespace talmi
