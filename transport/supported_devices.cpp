#include "transport/supported_devices.h"

#include <algorithm>

#include "transport/hid_device.h"

namespace talmi {
namespace {

constexpr std::string_view kMarkerVendor = "vid_";
constexpr std::string_view kMarkerProduct = "pid_";
constexpr std::string_view kMarkerInterface = "&mi_";
constexpr std::string_view kMarkerCollection = "&col";

// The fixed head of the device-kind report, one byte per integer.
constexpr std::array<int32_t, 4> kKindReportHead{2, 4, 0, 2};

constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

size_t FindNoCase(std::string_view text, std::string_view marker) {
  if (marker.size() > text.size()) return std::string_view::npos;
  for (size_t i = 0; i + marker.size() <= text.size(); ++i) {
    bool equal = true;
    for (size_t j = 0; j < marker.size() && equal; ++j) {
      equal = LowerAscii(text[i + j]) == LowerAscii(marker[j]);
    }
    if (equal) return i;
  }
  return std::string_view::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Hex digits after the marker, kept modulo 2^16 so long runs cannot overflow.
uint16_t HexAfter(std::string_view path, std::string_view marker) {
  size_t at = FindNoCase(path, marker);
  if (at == std::string_view::npos) return 0;
  uint32_t value = 0;
  for (size_t i = at + marker.size(); i < path.size(); ++i) {
    int d = HexDigit(path[i]);
    if (d < 0) break;
    value = ((value << 4) | uint32_t(d)) & 0xFFFF;
  }
  return static_cast<uint16_t>(value);
}

bool SamePathIds(const InterfaceIdentity& row, const DevicePathIds& ids) {
  return row.vendorId == ids.vendorId && row.productId == ids.productId &&
         row.collectionNumber == ids.collectionNumber &&
         row.interfaceNumber == ids.interfaceNumber;
}

// The six values of the second test.
bool SameDescribed(const InterfaceIdentity& row, const DevicePathIds& ids, uint16_t usagePage,
                   uint16_t usage) {
  return SamePathIds(row, ids) && row.usagePage == usagePage && row.usage == usage;
}

int FirstFreeSlot(std::span<const DeviceIdentity> slots, const DevicePathIds& ids) {
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i].IsAttached() && SamePathIds(slots[i], ids)) return static_cast<int>(i);
  }
  return -1;
}

int FirstFreeDescribedSlot(std::span<const DeviceIdentity> slots, const DevicePathIds& ids,
                           uint16_t usagePage, uint16_t usage) {
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i].IsAttached() && SameDescribed(slots[i], ids, usagePage, usage)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int FirstDescribedRow(const DevicePathIds& ids, uint16_t usagePage, uint16_t usage) {
  for (size_t i = 0; i < kSupportedInterfaces.size(); ++i) {
    if (SameDescribed(kSupportedInterfaces[i], ids, usagePage, usage)) return static_cast<int>(i);
  }
  return -1;
}

void PutLe32(uint8_t* at, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  at[0] = uint8_t(u);
  at[1] = uint8_t(u >> 8);
  at[2] = uint8_t(u >> 16);
  at[3] = uint8_t(u >> 24);
}

}  // namespace

const DeviceKindInfo* FindDeviceKind(uint16_t kindCode) {
  for (const auto& k : kDeviceKinds) {
    if (KindCode(k.kind) == kindCode) return &k;
  }
  return nullptr;
}

bool SameInterface(const InterfaceIdentity& a, const InterfaceIdentity& b) {
  return a.vendorId == b.vendorId && a.productId == b.productId &&
         a.interfaceNumber == b.interfaceNumber && a.collectionNumber == b.collectionNumber &&
         a.kind == b.kind && a.role == b.role && a.usagePage == b.usagePage &&
         a.usage == b.usage;
}

std::vector<UpdateModel> BuildUpdateList(std::span<const uint16_t> stripVersions,
                                         int32_t programVersion) {
  std::vector<UpdateModel> out;
  for (size_t i = 0; i < kUpdateModels.size(); ++i) {
    UpdateModel row = kUpdateModels[i];
    if (row.type == 0) {
      row.version = programVersion;
    } else {
      row.version = i < stripVersions.size() ? stripVersions[i] : 0;
    }
    if (row.version != 0) out.push_back(row);
  }
  return out;
}

DevicePathIds ParseDevicePath(std::string_view path) {
  DevicePathIds ids;
  ids.vendorId = HexAfter(path, kMarkerVendor);
  ids.productId = HexAfter(path, kMarkerProduct);
  ids.interfaceNumber = HexAfter(path, kMarkerInterface);
  ids.collectionNumber = HexAfter(path, kMarkerCollection);
  return ids;
}

int FindPathRow(const DevicePathIds& ids) {
  for (size_t i = 0; i < kSupportedInterfaces.size(); ++i) {
    if (SamePathIds(kSupportedInterfaces[i], ids)) return static_cast<int>(i);
  }
  return -1;
}

int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t role) {
  for (size_t i = 0; i < kSupportedInterfaces.size(); ++i) {
    const auto& r = kSupportedInterfaces[i];
    if (r.vendorId == vendorId && r.productId == productId && r.kind == kind && r.role == role) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int FindKindViewRow(int32_t vendorId, int32_t productId, int32_t kind, int32_t role) {
  for (size_t i = 0; i < kDeviceKindViews.size(); ++i) {
    const auto& r = kDeviceKindViews[i];
    if (r.vendorId == vendorId && r.productId == productId && r.kind == kind && r.role == role) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::vector<DeviceIdentity> MakeSlotList() {
  std::vector<DeviceIdentity> slots;
  slots.reserve(kSupportedInterfaces.size());
  for (const auto& row : kSupportedInterfaces) slots.emplace_back(row);
  return slots;
}

int MatchDevicePath(const std::string& path, std::span<DeviceIdentity> slots, CHidDevice& probe) {
  DevicePathIds ids = ParseDevicePath(path);
  // A real device always carries a vendor ID; this keeps the placeholder
  // rows out even for a path that lacks the marker.
  if (ids.vendorId == 0) return kMatchSkipped;
  if (FindPathRow(ids) < 0 || FirstFreeSlot(slots, ids) < 0) return kMatchSkipped;

  if (!probe.Open(path, /*readAccess=*/true, /*writeAccess=*/false, /*overlapped=*/true,
                  /*shareReadOnly=*/false)) {
    probe.Close();
    return kMatchOpenFailed;
  }
  ids.vendorId = probe.Attributes().vendorId;
  ids.productId = probe.Attributes().productId;
  const uint16_t usagePage = probe.Caps().usagePage;
  const uint16_t usage = probe.Caps().usage;
  probe.Close();

  if (ids.vendorId == 0) return kMatchRejected;
  const int row = FirstDescribedRow(ids, usagePage, usage);
  if (row < 0) return kMatchRejected;
  const int slot = FirstFreeDescribedSlot(slots, ids, usagePage, usage);
  if (slot < 0) return kMatchRejected;
  slots[size_t(slot)].connected = 1;
  slots[size_t(slot)].path = path;
  return slot;
}

int MatchDevicePath(const std::string& path, std::span<DeviceIdentity> slots) {
  CHidDevice probe;
  return MatchDevicePath(path, slots, probe);
}

std::array<uint8_t, kDeviceKindReportSize> BuildDeviceKindReport() {
  std::array<uint8_t, kDeviceKindReportSize> out{};
  size_t at = 0;
  auto put = [&](int32_t v) {
    if (at + 4 > out.size()) return;
    PutLe32(out.data() + at, v);
    at += 4;
  };
  for (int32_t v : kKindReportHead) put(v);
  put(static_cast<int32_t>(kDeviceKindViews.size()));
  for (const auto& r : kDeviceKindViews) {
    put(r.vendorId);
    put(r.productId);
    put(r.kind);
  }
  return out;
}

}  // namespace talmi
