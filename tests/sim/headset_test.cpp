// The headset firmware: settings slots, status record, and the light
// register reports that carry its 13 colours.
#include <gtest/gtest.h>

#include <numeric>

#include "sim/report_descriptors.h"
#include "sim/sim_headset.h"
#include "tests/sim/sim_test_util.h"

namespace talmi {
namespace {

using namespace simtest;

class SimHeadsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headset_ = std::make_shared<CSimHeadset>();
    node_ = MakeSimHeadsetNode(headset_);
    ASSERT_TRUE(bus_.Plug(node_));
    conn_ = OpenRw(bus_, "sim:headset?vid_0c76&pid_1630&mi_03");
    ASSERT_NE(conn_, nullptr);
  }

  int SendLight(uint8_t target, uint8_t reg, std::vector<uint8_t> data) {
    std::vector<uint8_t> report(kSimHeadsetLightReportSize, 0);
    report[0] = kSimHeadsetLightReportId;
    report[1] = target;
    report[2] = reg;
    std::copy(data.begin(), data.end(), report.begin() + 4);
    return conn_->WriteReport(report.data(), report.size(), kWaitMs, -1);
  }

  CSimBus bus_;
  std::shared_ptr<CSimHeadset> headset_;
  std::shared_ptr<CSimDeviceNode> node_;
  std::unique_ptr<IHidConnection> conn_;
};

TEST_F(SimHeadsetTest, SettingsBlockIsWrittenAtSlotTimesSixtyFour) {
  std::vector<uint8_t> block(21);
  std::iota(block.begin(), block.end(), 1);
  // 24-byte chunks as the headset page's channel sends them: one frame.
  const auto reply = Exchange(*conn_, Request(0x06, 64, block));
  EXPECT_EQ(SimFrameCommandOf(reply), 0x06);
  EXPECT_EQ(SimFrameStatusOf(reply), kSimStatusOk);
  const auto slot1 = headset_->SettingsSlot(1);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), slot1.begin()));
  EXPECT_EQ(slot1[21], 0);
  // Slot 0 (what a read of 26 bytes at 0 returns) is untouched.
  const auto read = DataOf(Exchange(*conn_, ReadRequest(0x05, 0, 24)));
  const auto slot0 = headset_->SettingsSlot(0);
  EXPECT_TRUE(std::equal(read.begin(), read.end(), slot0.begin()));
  EXPECT_EQ(read[0], 0);
  EXPECT_EQ(SimFrameStatusOf(Exchange(*conn_, Request(0x06, 250, block))),
            kSimStatusBadRequest);
}

TEST_F(SimHeadsetTest, StatusRecordReadsBackWhatTheDeviceHolds) {
  const uint8_t status[] = {40, 2, 0, 0, 0, 0};
  headset_->SetStatusRecord(status);
  EXPECT_EQ(DataOf(Exchange(*conn_, ReadRequest(0x1A, 0, 6))),
            std::vector<uint8_t>(std::begin(status), std::end(status)));
}

TEST_F(SimHeadsetTest, TwelveLightReportsSetThirteenColoursOnBothControllers) {
  std::vector<uint8_t> r(13), g(13), b(13);
  for (int i = 0; i < 13; ++i) {
    r[i] = static_cast<uint8_t>(10 + i);
    g[i] = static_cast<uint8_t>(100 + i);
    b[i] = static_cast<uint8_t>(200 + i);
  }
  auto low = [](const std::vector<uint8_t>& v) { return std::vector<uint8_t>(v.begin(), v.begin() + 7); };
  auto high = [](const std::vector<uint8_t>& v) { return std::vector<uint8_t>(v.begin() + 7, v.end()); };
  struct Step {
    uint8_t target, reg;
    std::vector<uint8_t> data;
  };
  const Step sequence[] = {
      {0x22, 0xAA, low(r)}, {0x22, 0xAD, high(r)}, {0x44, 0xAA, low(r)}, {0x44, 0xAD, high(r)},
      {0x22, 0xAB, low(g)}, {0x22, 0xAE, high(g)}, {0x44, 0xAB, low(g)}, {0x44, 0xAE, high(g)},
      {0x22, 0xAC, low(b)}, {0x22, 0xAF, high(b)}, {0x44, 0xAC, low(b)}, {0x44, 0xAF, high(b)},
  };
  for (const auto& s : sequence) ASSERT_EQ(SendLight(s.target, s.reg, s.data), 17);
  EXPECT_EQ(headset_->LightReports(), 12u);
  for (uint8_t target : {kSimHeadsetTargetA, kSimHeadsetTargetB}) {
    const auto lights = headset_->LightColours(target);
    for (int i = 0; i < 13; ++i) {
      EXPECT_EQ(lights[i], (SimRgb{r[i], g[i], b[i]})) << "target " << int(target) << " light " << i;
    }
  }
  // Light reports carry no reply and are no vendor frames.
  EXPECT_TRUE(ReadOne(*conn_, 0).empty());
  EXPECT_EQ(headset_->CommandCount(0xAA), 0u);
}

TEST_F(SimHeadsetTest, MalformedLightReportsAreRefused) {
  EXPECT_EQ(SendLight(0x33, 0xAA, {1}), 17);  // unknown controller
  EXPECT_EQ(SendLight(0x22, 0xB0, {1}), 17);  // unknown register
  EXPECT_EQ(headset_->RejectedLightReports(), 2u);
  EXPECT_EQ(headset_->LightColours(0x22)[0], SimRgb{});

  std::vector<uint8_t> longReport(18, 0);
  longReport[0] = kSimHeadsetLightReportId;
  EXPECT_EQ(conn_->WriteReport(longReport.data(), longReport.size(), kWaitMs, -1), -1);
  EXPECT_EQ(node_->RejectedWrites(), 1u);
}

TEST_F(SimHeadsetTest, DescriptorDeclaresTheLightReport) {
  HidNodeInfo info;
  ASSERT_TRUE(bus_.Describe("sim:headset", info));
  // Report ID 0xFF then a 16-byte output.
  const auto& d = info.reportDescriptor;
  const std::vector<uint8_t> lightItems = {0x85, 0xFF, 0x95, 0x10, 0x09, 0x03, 0x91, 0x02};
  EXPECT_NE(std::search(d.begin(), d.end(), lightItems.begin(), lightItems.end()), d.end());
  EXPECT_EQ(d[0], 0x05);
  EXPECT_EQ(d[1], 0x0C);
}

}  // namespace
}  // namespace talmi
