#pragma once
// The fixed set of devices the program serves: which HID interfaces are
// recognised and as what, which belong together, what each page kind is
// built from, and how an enumerated path is matched against them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talmi {

class CHidDevice;

// 1 and 9 share the keyboard page, 2 and 6 the mouse page.
enum class DeviceKind : uint16_t {
  None = 0,
  KeyboardCable = 1,
  MouseCable = 2,
  MousePad = 3,
  MouseReceiver = 6,
  Headset = 7,
  KeyboardReceiver = 9,
};

constexpr uint16_t KindCode(DeviceKind k) { return static_cast<uint16_t>(k); }

// Page kinds in the order of the kind-view and page-template rows.
enum class PageKind : int { Mouse = 0, Keyboard = 1, MousePad = 2, Headset = 3, None = -1 };

inline constexpr uint16_t kRolePrimary = 0;
inline constexpr uint16_t kRoleSecondary = 0xFF;

inline constexpr uint16_t kUsagePageVendor = 0xFF1C;
inline constexpr uint16_t kUsageVendor = 0x92;
inline constexpr uint16_t kUsagePageConsumer = 0x000C;
inline constexpr uint16_t kUsageConsumerControl = 0x01;

struct DeviceKindInfo {
  DeviceKind kind;
  PageKind page;
  DeviceKind partner;  // None when the kind has no second link
  bool receiver;       // reached through a 2.4 GHz receiver
};

inline constexpr std::array<DeviceKindInfo, 6> kDeviceKinds{{
    {DeviceKind::KeyboardCable, PageKind::Keyboard, DeviceKind::KeyboardReceiver, false},
    {DeviceKind::KeyboardReceiver, PageKind::Keyboard, DeviceKind::KeyboardCable, true},
    {DeviceKind::MouseCable, PageKind::Mouse, DeviceKind::MouseReceiver, false},
    {DeviceKind::MouseReceiver, PageKind::Mouse, DeviceKind::MouseCable, true},
    {DeviceKind::MousePad, PageKind::MousePad, DeviceKind::None, false},
    {DeviceKind::Headset, PageKind::Headset, DeviceKind::None, false},
}};

// nullptr for an unknown code.
const DeviceKindInfo* FindDeviceKind(uint16_t kindCode);

// The eleven 16-bit fields of an interface row, a main-window slot and a
// page's identity; the table rows have no path.
struct InterfaceIdentity {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t interfaceNumber = 0;
  uint16_t collectionNumber = 0;
  uint16_t kind = 0;
  uint16_t role = 0;
  uint16_t connected = 0;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint16_t hasPartner = 0;
  uint16_t partnerIndex = 0;
};

struct DeviceIdentity : InterfaceIdentity {
  std::string path;

  DeviceIdentity() = default;
  explicit DeviceIdentity(const InterfaceIdentity& row) : InterfaceIdentity(row) {}
  // Attached: marked connected and carrying a path.
  bool IsAttached() const { return connected != 0 || !path.empty(); }
};

// Fields 1-6, 8 and 9 equal; connected, the partner fields and the path are
// not compared.
bool SameInterface(const InterfaceIdentity& a, const InterfaceIdentity& b);

// Rows 2-9 carry IDs 0: placeholders that no attached device matches until
// the products' real IDs are known.
inline constexpr std::array<InterfaceIdentity, 11> kSupportedInterfaces{{
    {0x320F, 0x5055, 1, 4, 1, kRolePrimary, 0, kUsagePageVendor, kUsageVendor, 1, 2},
    {0x320F, 0x5055, 1, 3, 1, kRoleSecondary, 0, kUsagePageConsumer, kUsageConsumerControl, 1, 3},
    {0, 0, 1, 4, 9, kRolePrimary, 0, kUsagePageVendor, kUsageVendor, 1, 0},
    {0, 0, 1, 3, 9, kRoleSecondary, 0, kUsagePageConsumer, kUsageConsumerControl, 1, 1},
    {0, 0, 1, 4, 2, kRolePrimary, 0, kUsagePageVendor, kUsageVendor, 1, 6},
    {0, 0, 1, 3, 2, kRoleSecondary, 0, kUsagePageConsumer, kUsageConsumerControl, 1, 7},
    {0, 0, 1, 4, 6, kRolePrimary, 0, kUsagePageVendor, kUsageVendor, 1, 4},
    {0, 0, 1, 3, 6, kRoleSecondary, 0, kUsagePageConsumer, kUsageConsumerControl, 1, 5},
    {0, 0, 1, 4, 3, kRolePrimary, 0, kUsagePageVendor, kUsageVendor, 0, 0},
    {0, 0, 1, 3, 3, kRoleSecondary, 0, kUsagePageConsumer, kUsageConsumerControl, 0, 0},
    {0x0C76, 0x1630, 3, 0, 7, kRolePrimary, 0, kUsagePageConsumer, kUsageConsumerControl, 0, 0},
}};

inline constexpr std::string_view kDeviceStripXml = "XML\\CustomControlXML\\DeviceOption.xml";
inline constexpr std::string_view kTabHeaderName = "tab_header_device";
inline constexpr std::string_view kPowerAreaName = "device_power_switch";

struct DeviceKindView {
  std::string_view stripXml;
  std::string_view tabHeader;
  std::string_view powerArea;
  std::string_view kindName;
  int32_t pageParam;
  int32_t vendorId;
  int32_t productId;
  int32_t kind;
  int32_t role;
};

// Indexed by PageKind.
inline constexpr std::array<DeviceKindView, 4> kDeviceKindViews{{
    {kDeviceStripXml, kTabHeaderName, kPowerAreaName, "mouse", 1, 0, 0, 2, 0},
    {kDeviceStripXml, kTabHeaderName, kPowerAreaName, "keyboard", 0, 0x320F, 0x5055, 1, 0},
    {kDeviceStripXml, kTabHeaderName, kPowerAreaName, "MousePad", 2, 0, 0, 3, 0},
    {kDeviceStripXml, kTabHeaderName, kPowerAreaName, "HD", 3, 0x0C76, 0x1630, 7, 0},
}};

struct DevicePageTemplate {
  int32_t lightCount;
  int32_t keyCount;
  int32_t modeFlag;  // 1: the device reports a 2.4 GHz link and a power state
  int32_t extra;     // handed to the mouse page only
  std::string_view pageXml;
  std::string_view lightSettingsName;
};

// Indexed by PageKind.
inline constexpr std::array<DevicePageTemplate, 4> kDevicePageTemplates{{
    {15, 11, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "kelma_light"},
    {170, 170, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "kelma_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "kelma_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\hs6533device.xml", "kelma_light"},
}};

struct UpdateModel {
  int32_t type;  // 0: the program itself
  int32_t flag;
  int32_t version;
  std::string_view brand;
  std::string_view model;
  std::string_view deviceCode;
  std::string_view deviceCode2;
  std::string_view versionText;
};

inline constexpr std::array<UpdateModel, 4> kUpdateModels{{
    {1, 1, 0, "KELMA", "QX52R10B", "MS", "MS", ""},
    {1, 1, 0, "KELMA", "QX52R10B", "KB", "KB", ""},
    {2, 1, 0, "KELMA", "QX52R10B_1", "R37", "R37", ""},
    {0, 1, 0, "KELMA", "ALL", "KB", "AP", "V1.0.0.0"},
}};

// The rows handed to the settings window: the device rows take, by position,
// the HID version number of the device at the same strip position (0 when
// its channel is not open or the strip is shorter), the program row takes
// the installed version; rows still at version 0 are left out.
std::vector<UpdateModel> BuildUpdateList(std::span<const uint16_t> stripVersions,
                                         int32_t programVersion);

// The numbers a device path carries; 0 for a missing marker.
struct DevicePathIds {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t interfaceNumber = 0;
  uint16_t collectionNumber = 0;
  bool operator==(const DevicePathIds&) const = default;
};

// "vid_", "pid_", "&mi_", "&col": first occurrence regardless of case, then
// a plain hexadecimal scan truncated to 16 bits.
DevicePathIds ParseDevicePath(std::string_view path);

// Row look-ups; -1 when no row matches.
int FindPathRow(const DevicePathIds& ids);
int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t role);
int FindKindViewRow(int32_t vendorId, int32_t productId, int32_t kind, int32_t role);

// The main window's working copy of the interface table: one slot per row.
std::vector<DeviceIdentity> MakeSlotList();

// Outcome of matching one enumerated path against the tables and the slots.
inline constexpr int kMatchSkipped = -1;     // first test failed: not opened
inline constexpr int kMatchOpenFailed = -2;  // could not be opened or described
inline constexpr int kMatchRejected = -3;    // opened, its IDs or usages fit no free slot

// Matches one path: the first test on the path's numbers and the free slots,
// then a read-only open through probe for the IDs from the attributes and
// the usage page and usage from the caps, then the second test. On success
// the slot is marked connected with the path stored and its index returned;
// the probe is closed again in every case.
[[nodiscard]] int MatchDevicePath(const std::string& path, std::span<DeviceIdentity> slots,
                                  CHidDevice& probe);
[[nodiscard]] int MatchDevicePath(const std::string& path, std::span<DeviceIdentity> slots);

// The answer to a cooperating tool's device-kind query: 256 little-endian
// 32-bit integers.
inline constexpr size_t kDeviceKindReportSize = 1024;
std::array<uint8_t, kDeviceKindReportSize> BuildDeviceKindReport();

}  // namespace talmi
