// The simulated bus through the IHidBackend seam: enumeration, open, the
// read/write contract (time-out, abort, unplug), input fan-out and pacing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "sim/report_descriptors.h"
#include "sim/sim_headset.h"
#include "sim/sim_keyboard.h"
#include "tests/sim/sim_test_util.h"

namespace talmi {
namespace {

using namespace simtest;

class SimBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kb_ = MakeSimKeyboard();
    headset_ = std::make_shared<CSimHeadset>();
    headsetNode_ = MakeSimHeadsetNode(headset_);
    ASSERT_TRUE(bus_.Plug(kb_.cable));
    ASSERT_TRUE(bus_.Plug(headsetNode_));
  }

  CSimBus bus_;
  SimKeyboardSet kb_;
  std::shared_ptr<CSimHeadset> headset_;
  std::shared_ptr<CSimDeviceNode> headsetNode_;
};

TEST_F(SimBusTest, EnumeratesPresentNodesSortedWithTheirIdentity) {
  ASSERT_TRUE(bus_.Plug(kb_.receiver));
  std::vector<HidNodeInfo> nodes;
  ASSERT_TRUE(bus_.Enumerate(nodes));
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0].node, "sim:headset");
  EXPECT_EQ(nodes[1].node, "sim:keyboard");
  EXPECT_EQ(nodes[2].node, "sim:keyboard-receiver");

  EXPECT_EQ(nodes[0].vendorId, 0x0C76);
  EXPECT_EQ(nodes[0].productId, 0x1630);
  EXPECT_EQ(nodes[0].interfaceNumber, 3);
  EXPECT_TRUE(std::equal(nodes[0].reportDescriptor.begin(), nodes[0].reportDescriptor.end(),
                         std::begin(kSimHeadsetInterface3Descriptor),
                         std::end(kSimHeadsetInterface3Descriptor)));
  EXPECT_EQ(nodes[1].vendorId, 0x320F);
  EXPECT_EQ(nodes[1].productId, 0x5055);
  EXPECT_EQ(nodes[1].interfaceNumber, 1);
  EXPECT_EQ(nodes[1].reportDescriptor.size(), sizeof kSimKeyboardInterface1Descriptor);
  EXPECT_EQ(nodes[2].vendorId, kSimReceiverVendorId);
  EXPECT_EQ(nodes[2].productId, kSimReceiverProductId);
  EXPECT_EQ(nodes[2].interfaceNumber, 1);

  // The same again: the order does not depend on plug order.
  bus_.Unplug("sim:headset");
  ASSERT_TRUE(bus_.Plug(headsetNode_));
  std::vector<HidNodeInfo> again;
  ASSERT_TRUE(bus_.Enumerate(again));
  ASSERT_EQ(again.size(), 3u);
  for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].node, nodes[i].node);
}

TEST_F(SimBusTest, ReceiverIdsAreConfigurable) {
  SimKeyboardOptions options;
  options.cableName = "kb2";
  options.receiverName = "kb2-dongle";
  options.receiverVendorId = 0x1234;
  options.receiverProductId = 0xABCD;
  auto kb = MakeSimKeyboard(options);
  ASSERT_TRUE(bus_.Plug(kb.receiver));
  HidNodeInfo info;
  ASSERT_TRUE(bus_.Describe("sim:kb2-dongle", info));
  EXPECT_EQ(info.vendorId, 0x1234);
  EXPECT_EQ(info.productId, 0xABCD);
}

TEST_F(SimBusTest, DescribeAndOpenAcceptCollectionPaths) {
  HidNodeInfo info;
  EXPECT_TRUE(bus_.Describe("sim:keyboard?vid_320f&pid_5055&mi_01&col04", info));
  EXPECT_EQ(info.node, "sim:keyboard");
  EXPECT_NE(bus_.Open("sim:keyboard?vid_320f&pid_5055&mi_01&col04", true, true, false), nullptr);
  EXPECT_FALSE(bus_.Describe("sim:mouse", info));
  EXPECT_EQ(bus_.Open("sim:mouse", true, true, false), nullptr);
}

TEST_F(SimBusTest, PlugRefusesASecondNodeOfTheSameName) {
  auto other = MakeSimKeyboard();
  EXPECT_FALSE(bus_.Plug(other.cable));
  EXPECT_FALSE(bus_.Plug(kb_.cable));
  kb_.cable->Unplug();
  EXPECT_TRUE(bus_.Plug(other.cable));
}

TEST_F(SimBusTest, UnplugDropsTheNodeAndFailsItsConnections) {
  auto conn = OpenRw(bus_, "sim:keyboard");
  ASSERT_NE(conn, nullptr);
  ASSERT_TRUE(bus_.Unplug("sim:keyboard"));

  std::vector<HidNodeInfo> nodes;
  ASSERT_TRUE(bus_.Enumerate(nodes));
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].node, "sim:headset");
  HidNodeInfo info;
  EXPECT_FALSE(bus_.Describe("sim:keyboard", info));
  EXPECT_EQ(bus_.Open("sim:keyboard", true, true, false), nullptr);

  const auto frame = Request(0x01, 0);
  EXPECT_EQ(conn->WriteReport(frame.data(), frame.size(), 100, -1), -1);
  uint8_t buf[64];
  EXPECT_EQ(conn->ReadReport(buf, sizeof buf, 100, -1), -1);

  // Plugged again, the old handle stays dead and a new one works.
  ASSERT_TRUE(bus_.Plug(kb_.cable));
  EXPECT_EQ(conn->WriteReport(frame.data(), frame.size(), 100, -1), -1);
  auto fresh = OpenRw(bus_, "sim:keyboard");
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(SimFrameCommandOf(Exchange(*fresh, frame)), 0x01);
}

TEST_F(SimBusTest, UnplugWakesAReadWaitingWithoutLimit) {
  auto conn = OpenRw(bus_, "sim:keyboard");
  ASSERT_NE(conn, nullptr);
  auto pending = std::async(std::launch::async, [&] {
    uint8_t buf[64];
    return conn->ReadReport(buf, sizeof buf, -1, -1);
  });
  // Unplug only once the reader is really inside its wait is not needed:
  // a read that starts after the unplug fails the same way.
  std::this_thread::yield();
  kb_.cable->Unplug();
  ASSERT_EQ(pending.wait_for(std::chrono::milliseconds(kWaitMs)), std::future_status::ready);
  EXPECT_EQ(pending.get(), -1);
}

TEST_F(SimBusTest, AbortFdEndsAWaitingReadAndAWriteWithZero) {
  auto conn = OpenRw(bus_, "sim:keyboard");
  ASSERT_NE(conn, nullptr);
  EventFd abort;
  auto pending = std::async(std::launch::async, [&] {
    uint8_t buf[64];
    return conn->ReadReport(buf, sizeof buf, -1, abort.fd);
  });
  abort.Fire();
  ASSERT_EQ(pending.wait_for(std::chrono::milliseconds(kWaitMs)), std::future_status::ready);
  EXPECT_EQ(pending.get(), 0);

  // With pacing a write may have to wait for its slot; a readable abort fd
  // ends that wait too.
  // Back-to-back writes soon meet a slot that is not free yet.
  kb_.cable->SetPacing(true);
  const auto frame = Request(0x01, 0);
  int result = 64;
  for (int i = 0; i < 1000 && result == 64; ++i) {
    result = conn->WriteReport(frame.data(), frame.size(), kWaitMs, abort.fd);
  }
  EXPECT_EQ(result, 0);
}

TEST_F(SimBusTest, ReadTimesOutWithZeroAndLeavesNothingBehind) {
  auto conn = OpenRw(bus_, "sim:keyboard");
  ASSERT_NE(conn, nullptr);
  uint8_t buf[64];
  EXPECT_EQ(conn->ReadReport(buf, sizeof buf, 0, -1), 0);
  EXPECT_EQ(conn->ReadReport(buf, sizeof buf, 20, -1), 0);
  const auto reply = Exchange(*conn, Request(0x01, 0));
  EXPECT_EQ(SimFrameCommandOf(reply), 0x01);
  EXPECT_EQ(conn->ReadReport(buf, sizeof buf, 0, -1), 0);
}

TEST_F(SimBusTest, AccessFlagsAndReportShapesAreEnforced) {
  auto none = bus_.Open("sim:keyboard", false, false, false);
  ASSERT_NE(none, nullptr);  // a no-access open still proves presence
  const auto frame = Request(0x01, 0);
  uint8_t buf[64];
  EXPECT_EQ(none->WriteReport(frame.data(), frame.size(), 100, -1), -1);
  EXPECT_EQ(none->ReadReport(buf, sizeof buf, 0, -1), -1);

  auto conn = OpenRw(bus_, "sim:keyboard");
  struct Case {
    std::vector<uint8_t> report;
    const char* why;
  };
  std::vector<uint8_t> shortFrame(frame.begin(), frame.begin() + 63);
  std::vector<uint8_t> otherId = frame;
  otherId[0] = 0x05;
  std::vector<uint8_t> headsetLight(17, 0);
  headsetLight[0] = 0xFF;
  const Case cases[] = {
      {shortFrame, "63 bytes"}, {otherId, "report ID 5"}, {headsetLight, "no report 0xFF here"}};
  for (const auto& c : cases) {
    EXPECT_EQ(conn->WriteReport(c.report.data(), c.report.size(), 100, -1), -1) << c.why;
  }
  EXPECT_EQ(kb_.cable->RejectedWrites(), std::size(cases));
  EXPECT_EQ(kb_.keyboard->CommandCount(0x01), 0u);
}

TEST_F(SimBusTest, EveryReaderGetsItsOwnCopyOfInputReports) {
  auto channel = OpenRw(bus_, "sim:keyboard?vid_320f&pid_5055&mi_01&col04");
  auto listener = bus_.Open("sim:keyboard?vid_320f&pid_5055&mi_01&col03", true, false, false);
  ASSERT_NE(channel, nullptr);
  ASSERT_NE(listener, nullptr);
  ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0401));
  const std::vector<uint8_t> expected = {kSimConsumerReportId, 0x01, 0x04};
  EXPECT_EQ(ReadOne(*channel), expected);
  EXPECT_EQ(ReadOne(*listener), expected);
  EXPECT_EQ(kb_.cable->OpenConnections(), 2u);
  listener.reset();
  EXPECT_EQ(kb_.cable->OpenConnections(), 1u);
}

TEST_F(SimBusTest, AReaderThatNeverReadsHoldsABoundedQueue) {
  auto idle = bus_.Open("sim:keyboard", true, false, false);
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0404));
  size_t got = 0;
  while (!ReadOne(*idle, 0).empty()) ++got;
  EXPECT_EQ(got, kSimInputQueueLimit);
}

TEST_F(SimBusTest, ShortBufferTakesTheHeadOfTheReport) {
  auto conn = OpenRw(bus_, "sim:keyboard");
  const auto frame = ReadRequest(0x03, 0, 34);
  ASSERT_EQ(conn->WriteReport(frame.data(), frame.size(), kWaitMs, -1), 64);
  uint8_t buf[8];
  EXPECT_EQ(conn->ReadReport(buf, sizeof buf, kWaitMs, -1), 8);
  EXPECT_EQ(buf[kSimFrameCommand], 0x03);
}

TEST_F(SimBusTest, PacingSpacesReportsOneMillisecondApartEachWay) {
  bus_.SetPacing(true);
  ASSERT_TRUE(kb_.cable->Pacing());
  auto conn = OpenRw(bus_, "sim:keyboard");
  const auto frame = Request(0x01, 0);
  std::vector<std::chrono::steady_clock::time_point> replies;
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(conn->WriteReport(frame.data(), frame.size(), kWaitMs, -1), 64);
    ASSERT_EQ(conn->WriteReport(frame.data(), frame.size(), kWaitMs, -1), 64);
  }
  for (int i = 0; i < 10; ++i) {
    ASSERT_FALSE(ReadOne(*conn).empty());
    replies.push_back(std::chrono::steady_clock::now());
  }
  const auto frames = kb_.cable->ReceivedFrames();
  ASSERT_EQ(frames.size(), 10u);
  for (size_t i = 1; i < frames.size(); ++i) {
    EXPECT_GE(frames[i].at - frames[i - 1].at, kSimUsbFrame) << "output " << i;
  }
  // Ten replies cannot all have been ready sooner than one per frame.
  EXPECT_GE(replies.back() - frames.front().at, 10 * kSimUsbFrame);

  // Pacing is also the default for nodes plugged later.
  auto kb2 = MakeSimKeyboard({.cableName = "kb2", .receiverName = "kb2-r"});
  ASSERT_TRUE(bus_.Plug(kb2.cable));
  EXPECT_TRUE(kb2.cable->Pacing());
}

TEST_F(SimBusTest, WaitForReceivedSeesFramesFromAnotherThread) {
  auto conn = OpenRw(bus_, "sim:keyboard");
  std::thread writer([&] {
    const auto frame = Request(0x01, 0);
    for (int i = 0; i < 3; ++i) (void)conn->WriteReport(frame.data(), frame.size(), kWaitMs, -1);
  });
  EXPECT_TRUE(kb_.cable->WaitForReceived(3, kWaitMs));
  writer.join();
  EXPECT_EQ(kb_.cable->ReceivedCount(), 3u);
  kb_.cable->ClearReceived();
  EXPECT_EQ(kb_.cable->ReceivedCount(), 0u);
}

}  // namespace
}  // namespace talmi
