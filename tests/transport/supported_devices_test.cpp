// The supported-device tables and the path rules that need no device.
#include <gtest/gtest.h>

#include <cstring>

#include "transport/supported_devices.h"

namespace talmi {
namespace {

struct ParseCase {
  const char* path;
  DevicePathIds want;
};

class ParseDevicePathTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDevicePathTest, ReadsTheFourNumbers) {
  EXPECT_EQ(ParseDevicePath(GetParam().path), GetParam().want) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ParseDevicePathTest,
    ::testing::Values(
        ParseCase{"/dev/hidraw3?vid_320f&pid_5055&mi_01&col04", {0x320F, 0x5055, 1, 4}},
        // Capitals parse to the same numbers.
        ParseCase{"/dev/hidraw3?VID_320F&PID_5055&MI_01&COL04", {0x320F, 0x5055, 1, 4}},
        ParseCase{"\\\\?\\HID#Vid_320F&Pid_5055&Mi_01&Col04#7&1", {0x320F, 0x5055, 1, 4}},
        // No collection marker: 0, as for the headset's single collection.
        ParseCase{"sim:headset?vid_0c76&pid_1630&mi_03", {0x0C76, 0x1630, 3, 0}},
        // No interface marker either.
        ParseCase{"sim:x?vid_0c76&pid_1630", {0x0C76, 0x1630, 0, 0}},
        // "mi_" without its "&" is not the marker.
        ParseCase{"sim:x?vid_1&pid_2#mi_05", {1, 2, 0, 0}},
        // Nothing at all.
        ParseCase{"/dev/hidraw0", {0, 0, 0, 0}},
        ParseCase{"", {0, 0, 0, 0}},
        // Marker with no digits, and digits that stop at the first non-hex.
        ParseCase{"vid_&pid_12zz&mi_g&col1", {0, 0x12, 0, 1}},
        // Only the first occurrence counts.
        ParseCase{"vid_1&vid_2&pid_3", {1, 3, 0, 0}},
        // Long numbers keep their low 16 bits.
        ParseCase{"vid_123456789abcdef&pid_10000&mi_fffff&col1ffff", {0xCDEF, 0, 0xFFFF, 0xFFFF}},
        // The marker right at the end of the text.
        ParseCase{"abc&col", {0, 0, 0, 0}}));

TEST(SupportedInterfacesTest, PartnerRowsPointAtEachOther) {
  for (size_t i = 0; i < kSupportedInterfaces.size(); ++i) {
    const auto& row = kSupportedInterfaces[i];
    EXPECT_EQ(row.connected, 0) << i;
    if (!row.hasPartner) continue;
    ASSERT_LT(row.partnerIndex, kSupportedInterfaces.size()) << i;
    const auto& partner = kSupportedInterfaces[row.partnerIndex];
    EXPECT_EQ(partner.partnerIndex, i) << i;
    EXPECT_EQ(partner.role, row.role) << i;
    const DeviceKindInfo* info = FindDeviceKind(row.kind);
    ASSERT_NE(info, nullptr) << i;
    EXPECT_EQ(KindCode(info->partner), partner.kind) << i;
  }
}

TEST(SupportedInterfacesTest, RowLookups) {
  EXPECT_EQ(FindInterfaceRow(0x320F, 0x5055, 1, kRolePrimary), 0);
  EXPECT_EQ(FindInterfaceRow(0x320F, 0x5055, 1, kRoleSecondary), 1);
  EXPECT_EQ(FindInterfaceRow(0x0C76, 0x1630, 7, kRolePrimary), 10);
  EXPECT_EQ(FindInterfaceRow(0x0C76, 0x1630, 7, kRoleSecondary), -1);
  EXPECT_EQ(FindInterfaceRow(0, 0, 6, kRolePrimary), 6);  // placeholder row
  EXPECT_EQ(FindInterfaceRow(0x320F, 0x5055, 9, kRolePrimary), -1);

  EXPECT_EQ(FindPathRow({0x320F, 0x5055, 1, 4}), 0);
  EXPECT_EQ(FindPathRow({0x320F, 0x5055, 1, 3}), 1);
  EXPECT_EQ(FindPathRow({0x0C76, 0x1630, 3, 0}), 10);
  EXPECT_EQ(FindPathRow({0x320F, 0x5055, 1, 2}), -1);
  EXPECT_EQ(FindPathRow({0x320F, 0x5055, 0, 4}), -1);

  EXPECT_EQ(FindKindViewRow(0x320F, 0x5055, 1, 0), int(PageKind::Keyboard));
  EXPECT_EQ(FindKindViewRow(0x0C76, 0x1630, 7, 0), int(PageKind::Headset));
  EXPECT_EQ(FindKindViewRow(0, 0, 2, 0), int(PageKind::Mouse));
  EXPECT_EQ(FindKindViewRow(0, 0, 3, 0), int(PageKind::MousePad));
  // The receiver keyboard gets no page of its own.
  EXPECT_EQ(FindKindViewRow(0x320F, 0x5055, 9, 0), -1);
  EXPECT_EQ(FindKindViewRow(0x320F, 0x5055, 1, 0xFF), -1);
}

TEST(SupportedInterfacesTest, SameInterfaceIgnoresAttachmentAndPartner) {
  DeviceIdentity a(kSupportedInterfaces[0]);
  DeviceIdentity b(kSupportedInterfaces[0]);
  b.connected = 1;
  b.hasPartner = 0;
  b.partnerIndex = 7;
  b.path = "sim:keyboard?vid_320f&pid_5055&mi_01&col04";
  EXPECT_TRUE(SameInterface(a, b));

  // Each compared field on its own makes a difference.
  uint16_t InterfaceIdentity::*fields[] = {
      &InterfaceIdentity::vendorId,  &InterfaceIdentity::productId,
      &InterfaceIdentity::interfaceNumber, &InterfaceIdentity::collectionNumber,
      &InterfaceIdentity::kind,      &InterfaceIdentity::role,
      &InterfaceIdentity::usagePage, &InterfaceIdentity::usage};
  for (auto field : fields) {
    DeviceIdentity c(kSupportedInterfaces[0]);
    c.*field ^= 1;
    EXPECT_FALSE(SameInterface(a, c));
  }
}

TEST(SupportedInterfacesTest, SlotListCopiesTheTableUnattached) {
  auto slots = MakeSlotList();
  ASSERT_EQ(slots.size(), kSupportedInterfaces.size());
  for (size_t i = 0; i < slots.size(); ++i) {
    EXPECT_TRUE(SameInterface(slots[i], kSupportedInterfaces[i]));
    EXPECT_FALSE(slots[i].IsAttached());
  }
}

TEST(DevicePagesTest, TemplatesAndViewsLineUpByPageKind) {
  const auto& kb = kDevicePageTemplates[size_t(PageKind::Keyboard)];
  EXPECT_EQ(kb.lightCount, 170);
  EXPECT_EQ(kb.keyCount, 170);
  EXPECT_EQ(kb.pageXml, "XML\\DeviceXml\\keyboarddevice.xml");
  EXPECT_EQ(kDevicePageTemplates[size_t(PageKind::Mouse)].modeFlag, 1);
  EXPECT_EQ(kDevicePageTemplates[size_t(PageKind::Headset)].pageXml,
            "XML\\DeviceXml\\hs6533device.xml");
  EXPECT_EQ(kDeviceKindViews[size_t(PageKind::Headset)].kindName, "HD");
  EXPECT_EQ(kDeviceKindViews[size_t(PageKind::MousePad)].kindName, "MousePad");
  for (const auto& v : kDeviceKindViews) {
    EXPECT_EQ(v.stripXml, "XML\\CustomControlXML\\DeviceOption.xml");
    const DeviceKindInfo* info = FindDeviceKind(uint16_t(v.kind));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(int(info->page), FindKindViewRow(v.vendorId, v.productId, v.kind, 0));
  }
}

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

TEST(DeviceKindReportTest, BytesOfTheAnswer) {
  const auto report = BuildDeviceKindReport();
  ASSERT_EQ(report.size(), 1024u);
  const uint32_t want[] = {2, 4, 0, 2, 4,       //
                           0, 0, 2,             // mouse
                           0x320F, 0x5055, 1,   // keyboard
                           0, 0, 3,             // mouse pad
                           0x0C76, 0x1630, 7};  // headset
  for (size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(Le32(report.data() + 4 * i), want[i]) << "integer " << i;
  }
  for (size_t i = 4 * std::size(want); i < report.size(); ++i) {
    ASSERT_EQ(report[i], 0) << "byte " << i;
  }
  // Little-endian on the wire: the keyboard's vendor ID 0x320F.
  EXPECT_EQ(report[32], 0x0F);
  EXPECT_EQ(report[33], 0x32);
}

struct UpdateCase {
  std::vector<uint16_t> strip;
  int32_t program;
  std::vector<const char*> codes;  // device code 2 of the rows handed on
  std::vector<int32_t> versions;
};

class UpdateListTest : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateListTest, RowsWithAVersionOnly) {
  const auto& c = GetParam();
  const auto rows = BuildUpdateList(c.strip, c.program);
  ASSERT_EQ(rows.size(), c.codes.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].deviceCode2, c.codes[i]);
    EXPECT_EQ(rows[i].version, c.versions[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Strips, UpdateListTest,
    ::testing::Values(
        // One device in the strip: the other device rows stay at 0 and are left out.
        UpdateCase{{0x0102}, 5, {"MS", "AP"}, {0x0102, 5}},
        UpdateCase{{}, 5, {"AP"}, {5}},
        UpdateCase{{0, 0x0200}, 7, {"KB", "AP"}, {0x0200, 7}},
        UpdateCase{{1, 2, 3}, 9, {"MS", "KB", "R37", "AP"}, {1, 2, 3, 9}},
        // A fourth strip position has no row to go to.
        UpdateCase{{1, 2, 3, 4}, 0, {"MS", "KB", "R37"}, {1, 2, 3}}));

}  // namespace
}  // namespace talmi
