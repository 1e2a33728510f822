#include "platform/hid_report_descriptor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/report_descriptors.h"

namespace talmi {
namespace {

using Bytes = std::vector<uint8_t>;

template <size_t N>
Bytes ToBytes(const uint8_t (&a)[N]) {
  return Bytes(a, a + N);
}

int Parse(const Bytes& d, HidReportDescriptor& out) {
  // An exact-size heap copy, so a read past the end shows up under ASan.
  auto copy = std::make_unique<uint8_t[]>(d.size() + 1);
  std::copy(d.begin(), d.end(), copy.get());
  return ParseHidReportDescriptor(copy.get(), d.size(), out);
}

constexpr int kIn = static_cast<int>(HidReportType::Input);
constexpr int kOut = static_cast<int>(HidReportType::Output);
constexpr int kFeat = static_cast<int>(HidReportType::Feature);

struct ExpectedCollection {
  uint16_t usagePage;
  uint16_t usage;
  std::vector<uint8_t> reportIds;
  uint16_t inLen, outLen, featLen;
  size_t inButtons, inValues, outValues;
};

struct DescriptorCase {
  const char* name;
  Bytes descriptor;
  bool numbered;
  std::vector<ExpectedCollection> collections;
};

// A boot-style mouse without report IDs: 3 buttons, padding, X/Y/wheel.
const Bytes kUnnumberedMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,  // app, physical pointer
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,  // buttons 1-3
    0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05,
    0x81, 0x01,                                                  // 5 bits padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81,  // X, Y, wheel -127..127
    0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0,
};

TEST(HidReportDescriptor, CollectionsLengthsAndCaps) {
  const std::vector<DescriptorCase> cases = {
      {"keyboard interface 1",
       ToBytes(kSimKeyboardInterface1Descriptor),
       true,
       {
           {0x0001, 0x80, {1}, 2, 0, 0, 1, 0, 0},
           {0x0001, 0x06, {2}, 16, 0, 0, 2, 0, 0},
           {0x000C, 0x01, {3}, 3, 0, 0, 1, 0, 0},
           {0xFF1C, 0x92, {4}, 64, 64, 0, 0, 1, 1},
       }},
      {"headset interface 3",
       ToBytes(kSimHeadsetInterface3Descriptor),
       true,
       {{0x000C, 0x01, {1, 4, 0xFF}, 64, 64, 0, 3, 1, 2}}},
      {"unnumbered mouse", kUnnumberedMouse, false, {{0x0001, 0x02, {0}, 5, 0, 0, 1, 3, 0}}},
  };
  for (const DescriptorCase& c : cases) {
    SCOPED_TRACE(c.name);
    HidReportDescriptor d;
    ASSERT_EQ(Parse(c.descriptor, d), kHidParseOk);
    EXPECT_EQ(d.numbered, c.numbered);
    ASSERT_EQ(d.collections.size(), c.collections.size());
    for (size_t i = 0; i < c.collections.size(); ++i) {
      SCOPED_TRACE(i);
      const HidTopCollection& got = d.collections[i];
      const ExpectedCollection& want = c.collections[i];
      EXPECT_EQ(got.usagePage, want.usagePage);
      EXPECT_EQ(got.usage, want.usage);
      EXPECT_EQ(got.reportIds, want.reportIds);
      EXPECT_EQ(got.reportByteLength[kIn], want.inLen);
      EXPECT_EQ(got.reportByteLength[kOut], want.outLen);
      EXPECT_EQ(got.reportByteLength[kFeat], want.featLen);
      EXPECT_EQ(got.buttonCaps[kIn].size(), want.inButtons);
      EXPECT_EQ(got.valueCaps[kIn].size(), want.inValues);
      EXPECT_EQ(got.valueCaps[kOut].size(), want.outValues);
    }
  }
}

TEST(HidReportDescriptor, PerReportIdLengthsIncludeTheIdByte) {
  HidReportDescriptor d;
  ASSERT_EQ(Parse(ToBytes(kSimHeadsetInterface3Descriptor), d), kHidParseOk);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Input, 1), 2);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Input, 4), 64);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Output, 4), 64);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Output, 0xFF), 17);
  EXPECT_EQ(d.ReportByteLength(HidReportType::Input, 0xFF), 0);  // output only
  const HidTopCollection& top = d.collections[0];
  EXPECT_TRUE(top.HasReportId(HidReportType::Output, 0xFF));
  EXPECT_FALSE(top.HasReportId(HidReportType::Input, 0xFF));

  HidReportDescriptor mouse;
  ASSERT_EQ(Parse(kUnnumberedMouse, mouse), kHidParseOk);
  EXPECT_EQ(mouse.ReportByteLength(HidReportType::Input, 0), 5);  // 4 data bytes + the 0 ID
}

TEST(HidReportDescriptor, ButtonCapsOfRangesSinglesAndArrays) {
  HidReportDescriptor kb;
  ASSERT_EQ(Parse(ToBytes(kSimKeyboardInterface1Descriptor), kb), kHidParseOk);
  const auto& keys = kb.collections[1].buttonCaps[kIn];
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_TRUE(keys[0].isRange);
  EXPECT_EQ(keys[0].usagePage, 0x07);
  EXPECT_EQ(keys[0].usageMin, 0xE0);
  EXPECT_EQ(keys[0].usageMax, 0xE7);
  EXPECT_EQ(keys[1].usageMin, 0x04);
  EXPECT_EQ(keys[1].usageMax, 0x73);
  EXPECT_EQ(kb.collections[1].MaxUsageListLength(HidReportType::Input, 0x07), 8u + 112u);

  const auto& consumer = kb.collections[2].buttonCaps[kIn];
  ASSERT_EQ(consumer.size(), 1u);
  EXPECT_EQ(consumer[0].usagePage, 0x0C);
  EXPECT_EQ(consumer[0].usageMin, 0x0000);
  EXPECT_EQ(consumer[0].usageMax, 0x1FFF);
  EXPECT_EQ(consumer[0].reportId, 3);
  // An array of one field: one usage at a time.
  EXPECT_EQ(kb.collections[2].MaxUsageListLength(HidReportType::Input, 0x0C), 1u);

  HidReportDescriptor hs;
  ASSERT_EQ(Parse(ToBytes(kSimHeadsetInterface3Descriptor), hs), kHidParseOk);
  const auto& volume = hs.collections[0].buttonCaps[kIn];
  ASSERT_EQ(volume.size(), 3u);
  const uint16_t want[] = {0xE9, 0xEA, 0xE2};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_FALSE(volume[i].isRange);
    EXPECT_EQ(volume[i].usageMin, want[i]);
    EXPECT_EQ(volume[i].usageMax, want[i]);
    EXPECT_EQ(volume[i].fieldCount, 1u);
  }
  const auto& vendorOut = hs.collections[0].valueCaps[kOut];
  ASSERT_EQ(vendorOut.size(), 2u);
  EXPECT_EQ(vendorOut[0].usagePage, 0xFF1C);
  EXPECT_EQ(vendorOut[0].reportId, 4);
  EXPECT_EQ(vendorOut[0].reportCount, 63u);
  EXPECT_EQ(vendorOut[1].reportId, 0xFF);
  EXPECT_EQ(vendorOut[1].reportCount, 16u);
}

TEST(HidReportDescriptor, DecodesPressedUsages) {
  HidReportDescriptor kb;
  ASSERT_EQ(Parse(ToBytes(kSimKeyboardInterface1Descriptor), kb), kHidParseOk);
  HidReportDescriptor hs;
  ASSERT_EQ(Parse(ToBytes(kSimHeadsetInterface3Descriptor), hs), kHidParseOk);

  Bytes keys(16, 0);
  keys[0] = 2;
  keys[1] = 0x02;        // Left Shift
  keys[2] = 0x01;        // 'a' (0x04), the first bit of the bitmap
  keys[15] = 0x80;       // the last bit: usage 0x73
  struct Case {
    const char* name;
    const HidTopCollection* top;
    uint16_t page;
    Bytes report;
    int32_t status;
    std::vector<uint16_t> usages;
  };
  const std::vector<Case> cases = {
      {"consumer 0x0401", &kb.collections[2], 0x0C, {3, 0x01, 0x04}, kHidStatusSuccess, {0x0401}},
      {"consumer released", &kb.collections[2], 0x0C, {3, 0x00, 0x00}, kHidStatusSuccess, {}},
      {"consumer beyond the logical range", &kb.collections[2], 0x0C, {3, 0xFF, 0xFF},
       kHidStatusSuccess, {}},
      {"consumer on another page", &kb.collections[2], 0x07, {3, 0x01, 0x04}, kHidStatusSuccess,
       {}},
      {"consumer report too short", &kb.collections[2], 0x0C, {3, 0x01},
       kHidStatusInvalidReportLength, {}},
      {"report ID of another collection", &kb.collections[2], 0x0C, {4, 0x01, 0x04},
       kHidStatusIncompatibleReportId, {}},
      {"modifier and bitmap ends", &kb.collections[1], 0x07, keys, kHidStatusSuccess,
       {0xE1, 0x04, 0x73}},
      {"headset volume up and mute", &hs.collections[0], 0x0C, {1, 0x05}, kHidStatusSuccess,
       {0xE9, 0xE2}},
      {"padding bits are not buttons", &hs.collections[0], 0x0C, {1, 0xF8}, kHidStatusSuccess, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint16_t> got;
    EXPECT_EQ(c.top->GetUsages(HidReportType::Input, c.page, c.report.data(), c.report.size(), got),
              c.status);
    EXPECT_EQ(got, c.usages);
  }
}

TEST(HidReportDescriptor, DecodesRawAndScaledValues) {
  HidReportDescriptor mouse;
  ASSERT_EQ(Parse(kUnnumberedMouse, mouse), kHidParseOk);
  const HidTopCollection& m = mouse.collections[0];
  EXPECT_EQ(m.linkCollections.size(), 2u);  // the application and its physical pointer
  const Bytes report = {0, 0x01, 0xFB, 0x7F, 0x81};  // X -5, Y 127, wheel -127
  struct Case {
    uint16_t usage;
    uint32_t raw;
    int32_t scaled;
  };
  for (const Case& c : {Case{0x30, 0xFB, -5}, Case{0x31, 0x7F, 127}, Case{0x38, 0x81, -127}}) {
    SCOPED_TRACE(c.usage);
    uint32_t raw = 0;
    int32_t scaled = 0;
    EXPECT_EQ(m.GetUsageValue(HidReportType::Input, 0x01, 0, c.usage, report.data(), report.size(),
                              raw),
              kHidStatusSuccess);
    EXPECT_EQ(raw, c.raw);
    EXPECT_EQ(m.GetScaledUsageValue(HidReportType::Input, 0x01, 0, c.usage, report.data(),
                                    report.size(), scaled),
              kHidStatusSuccess);
    EXPECT_EQ(scaled, c.scaled);
  }
  // -128 lies outside -127..127.
  const Bytes outside = {0, 0, 0x80, 0, 0};
  int32_t scaled = 0;
  EXPECT_EQ(m.GetScaledUsageValue(HidReportType::Input, 0x01, 0, 0x30, outside.data(),
                                  outside.size(), scaled),
            kHidStatusValueOutOfRange);
  uint32_t raw = 0;
  EXPECT_EQ(m.GetUsageValue(HidReportType::Input, 0x01, 0, 0x32, report.data(), report.size(), raw),
            kHidStatusUsageNotFound);

  // Physical range: logical 0..255 maps to 0..1000.
  const Bytes physical = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x10, 0x15, 0x00,
                          0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03, 0x75, 0x08, 0x95,
                          0x01, 0x81, 0x02, 0xC0};
  HidReportDescriptor p;
  ASSERT_EQ(Parse(physical, p), kHidParseOk);
  const Bytes half = {0, 0x80};
  EXPECT_EQ(p.collections[0].GetScaledUsageValue(HidReportType::Input, 0xFF00, 0, 0x10, half.data(),
                                                 half.size(), scaled),
            kHidStatusSuccess);
  EXPECT_EQ(scaled, 128 * 1000 / 255);
}

TEST(HidReportDescriptor, UsagesFollowTheDescriptorRules) {
  // Page set after the usage applies (it is the page at the main item), a
  // 4-byte usage keeps its own page, and a value range longer than the
  // report count is cut to the fields there are.
  const Bytes d = {
      0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,              // Generic Desktop / Game Pad
      0x09, 0x30,                                      //   Usage (0x30) before the page
      0x05, 0x02,                                      //   Usage Page (Simulation)
      0x0B, 0xBB, 0x00, 0x01, 0x00,                    //   Usage (Generic Desktop: 0xBB)
      0x15, 0x00, 0x25, 0x0F, 0x75, 0x04, 0x95, 0x02, 0x81, 0x02,
      0x19, 0x40, 0x29, 0x45, 0x95, 0x02, 0x75, 0x08, 0x81, 0x02,
      0xC0};
  HidReportDescriptor out;
  ASSERT_EQ(Parse(d, out), kHidParseOk);
  const auto& values = out.collections[0].valueCaps[kIn];
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].usagePage, 0x02);
  EXPECT_EQ(values[0].usageMin, 0x30);
  EXPECT_EQ(values[1].usagePage, 0x01);
  EXPECT_EQ(values[1].usageMin, 0xBB);
  EXPECT_TRUE(values[2].isRange);
  EXPECT_EQ(values[2].usageMin, 0x40);
  EXPECT_EQ(values[2].usageMax, 0x41);
  EXPECT_EQ(out.collections[0].reportByteLength[kIn], 1 + 1 + 2);
}

TEST(HidReportDescriptor, ArrayWithSeveralUsageEntries) {
  // Logical 1..4 over two ranges; 0 means "nothing".
  const Bytes d = {0x05, 0x09, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07, 0x19, 0x01, 0x29, 0x02,
                   0x19, 0x10, 0x29, 0x11, 0x15, 0x01, 0x25, 0x04, 0x75, 0x08, 0x95, 0x02,
                   0x81, 0x00, 0xC0};
  HidReportDescriptor out;
  ASSERT_EQ(Parse(d, out), kHidParseOk);
  const HidTopCollection& top = out.collections[0];
  ASSERT_EQ(top.buttonCaps[kIn].size(), 2u);
  EXPECT_FALSE(top.buttonCaps[kIn][0].isAlias);
  EXPECT_TRUE(top.buttonCaps[kIn][1].isAlias);
  EXPECT_EQ(top.MaxUsageListLength(HidReportType::Input, 0x09), 2u);  // two fields, counted once
  const Bytes report = {7, 0x03, 0x00};
  std::vector<uint16_t> got;
  EXPECT_EQ(top.GetUsages(HidReportType::Input, 0x09, report.data(), report.size(), got),
            kHidStatusSuccess);
  EXPECT_EQ(got, std::vector<uint16_t>{0x10});
}

struct RejectCase {
  const char* name;
  Bytes descriptor;
  int result;
};

Bytes Nested(int depth) {
  Bytes d = {0x05, 0x01, 0x09, 0x02};
  for (int i = 0; i < depth; ++i) d.insert(d.end(), {0xA1, 0x00});
  d.insert(d.end(), depth, 0xC0);
  return d;
}

TEST(HidReportDescriptor, RejectsMalformedDescriptors) {
  const Bytes collectionOpen = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
  auto inCollection = [&](Bytes body) {
    Bytes d = collectionOpen;
    d.insert(d.end(), body.begin(), body.end());
    d.push_back(0xC0);
    return d;
  };
  const std::vector<RejectCase> cases = {
      {"empty", {}, kHidParseNoCollection},
      {"item data cut off", {0x05, 0x01, 0x26, 0xFF}, kHidParseTruncated},
      {"four-byte item cut off", {0x05, 0x01, 0x27, 0x01, 0x02}, kHidParseTruncated},
      {"long item cut off", {0xFE, 0x10, 0x00, 0x01, 0x02}, kHidParseTruncated},
      {"end without collection", {0xC0}, kHidParseUnbalanced},
      {"collection never closed", collectionOpen, kHidParseUnbalanced},
      {"nesting too deep", Nested(kHidMaxCollectionDepth + 1), kHidParseTooDeep},
      {"report ID 0", inCollection({0x85, 0x00}), kHidParseBadReportId},
      {"report ID above 255", inCollection({0x86, 0x00, 0x01}), kHidParseBadReportId},
      {"numbered and unnumbered mixed",
       inCollection({0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02}),
       kHidParseBadReportId},
      {"report count absurd", inCollection({0x75, 0x08, 0x96, 0x01, 0x20, 0x81, 0x02}),
       kHidParseTooLarge},
      {"report size absurd", inCollection({0x75, 0x21, 0x95, 0x01, 0x81, 0x02}), kHidParseTooLarge},
      {"padding size absurd", inCollection({0x76, 0x01, 0x02, 0x95, 0x01, 0x81, 0x01}),
       kHidParseTooLarge},
      {"report over the byte limit",
       inCollection({0x75, 0x08, 0x96, 0x00, 0x10, 0x81, 0x02, 0x95, 0x01, 0x81, 0x02}),
       kHidParseTooLarge},
      {"data size 0 with fields", inCollection({0x75, 0x00, 0x95, 0x04, 0x81, 0x02}),
       kHidParseBadItem},
      {"data outside any collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, kHidParseBadItem},
      {"usage maximum below minimum", inCollection({0x19, 0x10, 0x29, 0x01}), kHidParseBadItem},
      {"pop without push", inCollection({0xB4}), kHidParseUnbalanced},
      {"push too deep", inCollection(Bytes(kHidMaxGlobalStackDepth + 1, 0xA4)), kHidParseTooDeep},
      {"descriptor over 4096 bytes", Bytes(kHidMaxDescriptorBytes + 1, 0xB0), kHidParseTooLarge},
  };
  for (const RejectCase& c : cases) {
    SCOPED_TRACE(c.name);
    HidReportDescriptor out;
    out.numbered = true;
    EXPECT_EQ(Parse(c.descriptor, out), c.result);
    EXPECT_TRUE(out.collections.empty());
    EXPECT_FALSE(out.numbered);
  }
}

TEST(HidReportDescriptor, EveryTruncationIsRejectedOrWhole) {
  // Every prefix of a real descriptor either parses as the whole collections
  // it holds or is rejected; no prefix reads past its end (ASan watches).
  for (const Bytes& full : {ToBytes(kSimKeyboardInterface1Descriptor),
                            ToBytes(kSimHeadsetInterface3Descriptor), kUnnumberedMouse}) {
    HidReportDescriptor whole;
    ASSERT_EQ(Parse(full, whole), kHidParseOk);
    for (size_t n = 0; n < full.size(); ++n) {
      SCOPED_TRACE(n);
      HidReportDescriptor out;
      const int rc = Parse(Bytes(full.begin(), full.begin() + static_cast<long>(n)), out);
      if (rc == kHidParseOk) {
        // Only whole top-level collections can be in it, the same as in full.
        ASSERT_LT(out.collections.size(), whole.collections.size());
        for (size_t i = 0; i < out.collections.size(); ++i) {
          EXPECT_EQ(out.collections[i].usage, whole.collections[i].usage);
          EXPECT_EQ(out.collections[i].reportByteLength, whole.collections[i].reportByteLength);
        }
      } else {
        EXPECT_LT(rc, 0);
      }
    }
  }
}

TEST(HidReportDescriptor, ToleratesWhatParsersInTheFieldAccept) {
  // Unknown main and reserved items, long items, a stray usage maximum and
  // a second-level collection's usage all pass without harm.
  const Bytes d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xFE, 0x02, 0x10, 0xAA, 0xBB,
                   0x29, 0x05,                    // maximum without minimum
                   0x0C,                          // reserved item type
                   0x09, 0x03, 0xA1, 0x02,        // logical collection
                   0x85, 0x02, 0x09, 0xCD, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x01,
                   0x81, 0x02, 0x95, 0x07, 0x81, 0x03, 0xC0, 0xC0};
  HidReportDescriptor out;
  ASSERT_EQ(Parse(d, out), kHidParseOk);
  ASSERT_EQ(out.collections.size(), 1u);
  const HidTopCollection& top = out.collections[0];
  ASSERT_EQ(top.linkCollections.size(), 2u);
  EXPECT_EQ(top.linkCollections[1].usage, 0x03);
  EXPECT_EQ(top.linkCollections[1].parent, 0);
  ASSERT_EQ(top.buttonCaps[kIn].size(), 1u);
  EXPECT_EQ(top.buttonCaps[kIn][0].usageMin, 0xCD);
  EXPECT_EQ(top.buttonCaps[kIn][0].linkCollection, 1);
  EXPECT_EQ(top.reportByteLength[kIn], 2);
}

}  // namespace
}  // namespace talmi
