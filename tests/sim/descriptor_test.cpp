// The simulated interfaces' report descriptors, read by the same parser
// that reads the real ones: collections in order, report lengths, and the
// consumer usage a listener decodes.
#include <gtest/gtest.h>

#include "platform/hid_report_descriptor.h"
#include "sim/report_descriptors.h"

namespace talmi {
namespace {

TEST(SimDescriptors, KeyboardInterfaceHasFourCollectionsInOrder) {
  HidReportDescriptor d;
  ASSERT_EQ(ParseHidReportDescriptor(kSimKeyboardInterface1Descriptor,
                                     sizeof kSimKeyboardInterface1Descriptor, d),
            kHidParseOk);
  ASSERT_TRUE(d.numbered);
  ASSERT_EQ(d.collections.size(), 4u);
  struct Expect {
    uint16_t page, usage;
    uint8_t reportId;
  };
  const Expect expected[] = {{0x01, 0x80, 1}, {0x01, 0x06, 2}, {0x0C, 0x01, 3}, {0xFF1C, 0x92, 4}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(d.collections[i].usagePage, expected[i].page) << "collection " << i + 1;
    EXPECT_EQ(d.collections[i].usage, expected[i].usage) << "collection " << i + 1;
    EXPECT_EQ(d.collections[i].reportIds, std::vector<uint8_t>{expected[i].reportId});
  }
  const auto& vendor = d.collections[3];
  EXPECT_EQ(vendor.reportByteLength[static_cast<int>(HidReportType::Input)], 64);
  EXPECT_EQ(vendor.reportByteLength[static_cast<int>(HidReportType::Output)], 64);
  const auto& consumer = d.collections[2];
  EXPECT_EQ(consumer.reportByteLength[static_cast<int>(HidReportType::Input)], 3);
  EXPECT_EQ(consumer.reportByteLength[static_cast<int>(HidReportType::Output)], 0);
}

TEST(SimDescriptors, ConsumerReportDecodesToTheSixteenBitUsage) {
  HidReportDescriptor d;
  ASSERT_EQ(ParseHidReportDescriptor(kSimKeyboardInterface1Descriptor,
                                     sizeof kSimKeyboardInterface1Descriptor, d),
            kHidParseOk);
  const auto& consumer = d.collections[2];
  for (uint16_t usage : {0x0401, 0x0402, 0x0404, 0x1003, 0x1151, 0x11FF}) {
    const uint8_t report[] = {kSimConsumerReportId, static_cast<uint8_t>(usage & 0xFF),
                              static_cast<uint8_t>(usage >> 8)};
    std::vector<uint16_t> usages;
    ASSERT_EQ(consumer.GetUsages(HidReportType::Input, 0x0C, report, sizeof report, usages),
              kHidStatusSuccess);
    ASSERT_FALSE(usages.empty());
    EXPECT_EQ(usages[0], usage);
  }
}

TEST(SimDescriptors, HeadsetInterfaceIsOneConsumerCollectionWithTheLightReport) {
  HidReportDescriptor d;
  ASSERT_EQ(ParseHidReportDescriptor(kSimHeadsetInterface3Descriptor,
                                     sizeof kSimHeadsetInterface3Descriptor, d),
            kHidParseOk);
  ASSERT_EQ(d.collections.size(), 1u);
  EXPECT_EQ(d.collections[0].usagePage, 0x0C);
  EXPECT_EQ(d.collections[0].usage, 0x01);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Input, kSimVendorReportId), 64);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Output, kSimVendorReportId), 64);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Output, kSimHeadsetLightReportId), 17);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Input, kSimHeadsetLightReportId), 0);
}

}  // namespace
}  // namespace talmi
