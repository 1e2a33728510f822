// Injected faults and the receiver's radio link, seen from the host side.
#include <gtest/gtest.h>

#include <future>

#include "sim/sim_keyboard.h"
#include "tests/sim/sim_test_util.h"

namespace talmi {
namespace {

using namespace simtest;

class SimFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kb_ = MakeSimKeyboard();
    ASSERT_TRUE(bus_.Plug(kb_.cable));
    ASSERT_TRUE(bus_.Plug(kb_.receiver));
    cable_ = OpenRw(bus_, "sim:keyboard");
    radio_ = OpenRw(bus_, "sim:keyboard-receiver");
    ASSERT_NE(cable_, nullptr);
    ASSERT_NE(radio_, nullptr);
  }

  bool Write(IHidConnection& conn, const std::vector<uint8_t>& frame) {
    return conn.WriteReport(frame.data(), frame.size(), kWaitMs, -1) == 64;
  }

  CSimBus bus_;
  SimKeyboardSet kb_;
  std::unique_ptr<IHidConnection> cable_;
  std::unique_ptr<IHidConnection> radio_;
};

TEST_F(SimFaultTest, NoReplySwallowsTheFrameThenAnswersAgain) {
  kb_.cable->FailNoReply(1);
  ASSERT_TRUE(Write(*cable_, Request(0x06, 0, {7})));
  EXPECT_TRUE(ReadOne(*cable_, 50).empty());
  EXPECT_NE(kb_.keyboard->Settings()[0], 7);  // not acted on
  EXPECT_EQ(SimFrameCommandOf(Exchange(*cable_, Request(0x01, 0))), 0x01);

  kb_.cable->FailNoReply();  // every frame
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Write(*cable_, Request(0x01, 0)));
    EXPECT_TRUE(ReadOne(*cable_, 0).empty());
  }
  kb_.cable->ClearFaults();
  EXPECT_EQ(SimFrameCommandOf(Exchange(*cable_, Request(0x01, 0))), 0x01);
  EXPECT_EQ(kb_.cable->ReceivedCount(), 6u);
}

TEST_F(SimFaultTest, LateReplyArrivesAfterItsDelayAndStaysQueued) {
  kb_.cable->SetReplyDelay(1000);
  ASSERT_TRUE(Write(*cable_, ReadRequest(0x05, 0, 1)));
  EXPECT_TRUE(ReadOne(*cable_, 0).empty());  // not yet
  const auto late = ReadOne(*cable_);
  EXPECT_EQ(SimFrameCommandOf(late), 0x05);

  // A reply the host gave up on is still the next report it reads: stale.
  kb_.cable->SetReplyDelay(300);
  ASSERT_TRUE(Write(*cable_, ReadRequest(0x03, 0, 34)));
  EXPECT_TRUE(ReadOne(*cable_, 0).empty());
  kb_.cable->SetReplyDelay(0);
  ASSERT_TRUE(Write(*cable_, Request(0x01, 0)));
  EXPECT_EQ(SimFrameCommandOf(ReadOne(*cable_)), 0x03);
  EXPECT_EQ(SimFrameCommandOf(ReadOne(*cable_)), 0x01);
}

TEST_F(SimFaultTest, WrongEchoOnceOrAlways) {
  kb_.cable->FailWrongEcho(1);
  const auto wrong = Exchange(*cable_, ReadRequest(0x03, 0, 34));
  EXPECT_EQ(SimFrameCommandOf(wrong), kSimWrongEcho);
  EXPECT_EQ(wrong[1] | (wrong[2] << 8), SimFrameChecksum(wrong));
  EXPECT_EQ(DataOf(wrong), kb_.keyboard->Info());  // processed, only mislabelled
  EXPECT_EQ(SimFrameCommandOf(Exchange(*cable_, Request(0x01, 0))), 0x01);

  kb_.cable->FailWrongEcho(-1, 0x55);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(SimFrameCommandOf(Exchange(*cable_, Request(0x01, 0))), 0x55);
  }
}

TEST_F(SimFaultTest, StaleReplyPrecedesTheRealOne) {
  kb_.cable->InjectStaleReply();
  ASSERT_TRUE(Write(*cable_, ReadRequest(0x05, 0, 1)));
  EXPECT_EQ(SimFrameCommandOf(ReadOne(*cable_)), kSimWrongEcho);
  EXPECT_EQ(SimFrameCommandOf(ReadOne(*cable_)), 0x05);
  EXPECT_TRUE(ReadOne(*cable_, 0).empty());
}

TEST_F(SimFaultTest, StatusFaultHitsTheNthChunkOfOneCommandOnly) {
  struct Case {
    uint8_t status;
    int chunk;
  };
  for (const Case c : {Case{0xFE, 2}, Case{0xFF, 1}, Case{0xFE, 3}}) {
    kb_.cable->ClearFaults();
    const auto before = kb_.keyboard->Settings();
    kb_.cable->FailStatus(0x06, c.chunk, c.status);
    // A frame of another command does not count as a chunk.
    EXPECT_EQ(SimFrameStatusOf(Exchange(*cable_, Request(0x01, 0))), kSimStatusOk);
    for (int chunk = 1; chunk <= 3; ++chunk) {
      const auto offset = static_cast<uint16_t>(100 + 10 * chunk);
      const auto reply = Exchange(*cable_, Request(0x06, offset, {static_cast<uint8_t>(chunk)}));
      EXPECT_EQ(SimFrameCommandOf(reply), 0x06);
      const bool hit = chunk == c.chunk;
      EXPECT_EQ(SimFrameStatusOf(reply), hit ? c.status : kSimStatusOk) << "chunk " << chunk;
      EXPECT_EQ(kb_.keyboard->Settings()[offset], hit ? before[offset] : chunk)
          << "a refused chunk is not written";
    }
    // The fault fires once.
    EXPECT_EQ(SimFrameStatusOf(Exchange(*cable_, Request(0x06, 100, {1}))), kSimStatusOk);
  }
}

TEST_F(SimFaultTest, UnplugAfterTheNthFrameFailsTheWaitingRead) {
  kb_.cable->FailUnplugAfterFrames(2);
  EXPECT_EQ(SimFrameCommandOf(Exchange(*cable_, Request(0x01, 0))), 0x01);

  // Frame 2 goes out, then the cable is pulled before the answer.
  auto reading = std::async(std::launch::async, [&] {
    uint8_t buf[64];
    return cable_->ReadReport(buf, sizeof buf, -1, -1);
  });
  ASSERT_TRUE(Write(*cable_, Request(0x06, 0, std::vector<uint8_t>(56, 1))));
  ASSERT_EQ(reading.wait_for(std::chrono::milliseconds(kWaitMs)), std::future_status::ready);
  EXPECT_EQ(reading.get(), -1);

  const auto next = Request(0x06, 56, {1});
  EXPECT_EQ(cable_->WriteReport(next.data(), next.size(), kWaitMs, -1), -1);
  EXPECT_FALSE(kb_.cable->IsPresent());
  HidNodeInfo info;
  EXPECT_FALSE(bus_.Describe("sim:keyboard", info));
  EXPECT_EQ(kb_.cable->ReceivedCount(), 2u);
}

TEST_F(SimFaultTest, ReceiverAnswersLinkQueryAndForwardsWhileLinked) {
  const auto query = Exchange(*radio_, Request(0xAA, 0));
  EXPECT_EQ(SimFrameCommandOf(query), 0xAA);
  EXPECT_EQ(SimFrameStatusOf(query), kSimStatusOk);
  EXPECT_EQ(query[8], kSimLinkUp);
  EXPECT_EQ(kb_.keyboard->CommandCount(0xAA), 0u);  // the receiver answered

  const auto block = Exchange(*radio_, ReadRequest(0x05, 24, 2));
  EXPECT_EQ(SimFrameCommandOf(block), 0x05);
  const auto settings = kb_.keyboard->Settings();
  EXPECT_EQ(DataOf(block), std::vector<uint8_t>(settings.begin() + 24, settings.begin() + 26));
}

TEST_F(SimFaultTest, ReceiverWithoutItsKeyboardAnswersEverythingWithAA) {
  kb_.receiver->SetLinkUp(false);
  const auto before = kb_.keyboard->Settings();
  struct Case {
    std::vector<uint8_t> frame;
    const char* what;
  };
  const Case cases[] = {{Request(0x01, 0), "begin"},
                        {ReadRequest(0x03, 0, 24), "info"},
                        {Request(0x06, 0, {5, 5}), "settings write"}};
  for (const auto& c : cases) {
    const auto reply = Exchange(*radio_, c.frame);
    EXPECT_EQ(SimFrameCommandOf(reply), kSimUnreachableCommand) << c.what;
    EXPECT_NE(reply[8], kSimLinkUp) << c.what;
  }
  EXPECT_EQ(kb_.keyboard->Settings(), before);
  EXPECT_EQ(kb_.keyboard->CommandCount(0x01), 0u);
  const auto query = Exchange(*radio_, Request(0xAA, 0));
  EXPECT_EQ(SimFrameCommandOf(query), 0xAA);
  EXPECT_EQ(query[8], kSimLinkDown);

  // Linked again, and an unreachable moment as a one-off fault.
  kb_.receiver->SetLinkUp(true);
  kb_.receiver->FailUnreachable(1);
  EXPECT_EQ(SimFrameCommandOf(Exchange(*radio_, Request(0x01, 0))), kSimUnreachableCommand);
  EXPECT_EQ(SimFrameCommandOf(Exchange(*radio_, Request(0x01, 0))), 0x01);
}

TEST_F(SimFaultTest, ReceiverCarriesAtMostTwentyFourBytesPerFrame) {
  const std::vector<uint8_t> chunk24(24, 0x11);
  const std::vector<uint8_t> chunk25(25, 0x22);
  EXPECT_EQ(SimFrameStatusOf(Exchange(*radio_, Request(0x06, 30, chunk24))), kSimStatusOk);
  EXPECT_EQ(SimFrameStatusOf(Exchange(*radio_, Request(0x06, 30, chunk25))),
            kSimStatusBadRequest);
  EXPECT_EQ(kb_.keyboard->Settings()[30], 0x11);
  EXPECT_EQ(SimFrameStatusOf(Exchange(*cable_, Request(0x06, 30, chunk25))), kSimStatusOk);

  kb_.receiver->SetChunkLimit(0);
  EXPECT_EQ(SimFrameStatusOf(Exchange(*radio_, Request(0x06, 30, chunk24))), kSimStatusOk);
  EXPECT_EQ(SimFrameStatusOf(Exchange(*radio_, ReadRequest(0x03, 0, 34))), kSimStatusOk);
}

TEST_F(SimFaultTest, FaultsBelongToOneNode) {
  kb_.receiver->FailNoReply();
  kb_.receiver->FailWrongEcho(-1);
  EXPECT_EQ(SimFrameCommandOf(Exchange(*cable_, Request(0x01, 0))), 0x01);
  ASSERT_TRUE(Write(*radio_, Request(0x01, 0)));
  EXPECT_TRUE(ReadOne(*radio_, 0).empty());
}

}  // namespace
}  // namespace talmi
