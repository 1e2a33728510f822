#pragma once
// The USB headset firmware: settings blocks (slot × 64), a status record,
// and 13 lights driven by 17-byte output reports (report ID 0xFF) that two
// LED controllers (targets 0x22 and 0x44) take as register writes:
//   byte 1 target, byte 2 register, bytes 4.. data
//   0xAA/0xAB/0xAC: red/green/blue of lights 0-6
//   0xAD/0xAE/0xAF: red/green/blue of lights 7-12
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/sim_device_node.h"
#include "sim/sim_firmware.h"

namespace talmi {

inline constexpr uint16_t kSimHeadsetVendorId = 0x0C76;
inline constexpr uint16_t kSimHeadsetProductId = 0x1630;
inline constexpr uint16_t kSimHeadsetVersion = 0x0210;
inline constexpr uint16_t kSimHeadsetInterface = 3;

inline constexpr size_t kSimHeadsetLights = 13;
inline constexpr size_t kSimHeadsetSlotStride = 64;
inline constexpr size_t kSimHeadsetSettingsSize = 256;  // slots 0-3
inline constexpr size_t kSimHeadsetBlockSize = 21;
inline constexpr uint8_t kSimHeadsetTargetA = 0x22;
inline constexpr uint8_t kSimHeadsetTargetB = 0x44;
inline constexpr size_t kSimHeadsetLightReportSize = 17;

struct SimRgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const SimRgb&) const = default;
};

class CSimHeadset : public CSimFirmware {
 public:
  static constexpr const char* kInfo = "info";
  static constexpr const char* kSettings = "settings";
  static constexpr const char* kStatus = "status";

  CSimHeadset();

  [[nodiscard]] std::vector<uint8_t> Settings() const { return Region(kSettings); }
  // The 64 bytes of one slot (the host writes the first 21).
  [[nodiscard]] std::vector<uint8_t> SettingsSlot(int slot) const;
  [[nodiscard]] std::vector<uint8_t> StatusRecord() const { return Region(kStatus); }
  void SetStatusRecord(std::span<const uint8_t> record);

  // The colours one controller holds (target 0x22 or 0x44).
  [[nodiscard]] std::array<SimRgb, kSimHeadsetLights> LightColours(uint8_t target) const;
  // Light register writes taken / refused (unknown target or register).
  [[nodiscard]] uint64_t LightReports() const;
  [[nodiscard]] uint64_t RejectedLightReports() const;

  void HandleOtherReport(std::span<const uint8_t> report) override;

 private:
  std::array<SimRgb, kSimHeadsetLights> lightsA_{};
  std::array<SimRgb, kSimHeadsetLights> lightsB_{};
  uint64_t lightReports_ = 0;
  uint64_t rejectedLightReports_ = 0;
};

// The headset's interface 3 node ("sim:<name>"), not yet plugged.
[[nodiscard]] std::shared_ptr<CSimDeviceNode> MakeSimHeadsetNode(
    const std::shared_ptr<CSimHeadset>& headset, const std::string& name = "headset");

}  // namespace talmi
