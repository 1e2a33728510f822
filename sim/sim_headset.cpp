#include "sim/sim_headset.h"

#include <algorithm>

#include "sim/report_descriptors.h"
#include "sim/sim_records.h"

namespace talmi {

namespace {

// Light report layout.
constexpr size_t kLightTarget = 1;
constexpr size_t kLightRegister = 2;
constexpr size_t kLightData = 4;
constexpr size_t kLightsLow = 7;  // registers 0xAA-0xAC carry lights 0-6
constexpr uint8_t kRegRedLow = 0xAA;
constexpr uint8_t kRegGreenLow = 0xAB;
constexpr uint8_t kRegBlueLow = 0xAC;
constexpr uint8_t kRegRedHigh = 0xAD;
constexpr uint8_t kRegGreenHigh = 0xAE;
constexpr uint8_t kRegBlueHigh = 0xAF;

constexpr uint8_t kDeviceTypeHeadset = 0x07;

// Battery %, power state (0 = external power: a USB headset), -, link, -, -.
constexpr uint8_t kDefaultStatus[6] = {100, 0, 0, 0, 0, 0};

}  // namespace

CSimHeadset::CSimHeadset() {
  AddRegion(kInfo, 34);
  AddRegion(kSettings, kSimHeadsetSettingsSize);
  AddRegion(kStatus, sizeof kDefaultStatus);
  {
    std::lock_guard lk(mutex_);
    auto& info = RegionLocked(kInfo);
    WriteSimInfoHead(info, kDeviceTypeHeadset, kSimHeadsetVersion, kSimHeadsetLights);
    auto& settings = RegionLocked(kSettings);
    FillSimLightBlocks(settings, kSimHeadsetSlotStride, kSimLightBlockSize);
    auto& status = RegionLocked(kStatus);
    std::copy(std::begin(kDefaultStatus), std::end(kDefaultStatus), status.begin());
  }
  auto ack = [](const SimRequest&, SimReply&) {};
  MapCommand(SimCommand::BeginSession, ack);
  MapCommand(SimCommand::EndSession, ack);
  MapRead(SimCommand::ReadInfo, kInfo);
  MapRead(SimCommand::ReadSettings, kSettings);
  MapWrite(SimCommand::WriteSettings, kSettings);
  MapRead(SimCommand::ReadStatus, kStatus);
}

std::vector<uint8_t> CSimHeadset::SettingsSlot(int slot) const {
  const auto settings = Settings();
  if (slot < 0) return {};
  const size_t base = static_cast<size_t>(slot) * kSimHeadsetSlotStride;
  if (base + kSimHeadsetSlotStride > settings.size()) return {};
  return {settings.begin() + static_cast<ptrdiff_t>(base),
          settings.begin() + static_cast<ptrdiff_t>(base + kSimHeadsetSlotStride)};
}

void CSimHeadset::SetStatusRecord(std::span<const uint8_t> record) {
  std::lock_guard lk(mutex_);
  auto& status = RegionLocked(kStatus);
  std::copy_n(record.begin(), std::min(record.size(), status.size()), status.begin());
}

std::array<SimRgb, kSimHeadsetLights> CSimHeadset::LightColours(uint8_t target) const {
  std::lock_guard lk(mutex_);
  if (target == kSimHeadsetTargetB) return lightsB_;
  if (target == kSimHeadsetTargetA) return lightsA_;
  return {};
}

uint64_t CSimHeadset::LightReports() const {
  std::lock_guard lk(mutex_);
  return lightReports_;
}

uint64_t CSimHeadset::RejectedLightReports() const {
  std::lock_guard lk(mutex_);
  return rejectedLightReports_;
}

void CSimHeadset::HandleOtherReport(std::span<const uint8_t> report) {
  std::lock_guard lk(mutex_);
  if (report.size() != kSimHeadsetLightReportSize || report[0] != kSimHeadsetLightReportId) {
    ++rejectedLightReports_;
    return;
  }
  std::array<SimRgb, kSimHeadsetLights>* lights = nullptr;
  if (report[kLightTarget] == kSimHeadsetTargetA) lights = &lightsA_;
  if (report[kLightTarget] == kSimHeadsetTargetB) lights = &lightsB_;
  const uint8_t reg = report[kLightRegister];
  const bool high = reg == kRegRedHigh || reg == kRegGreenHigh || reg == kRegBlueHigh;
  const bool low = reg == kRegRedLow || reg == kRegGreenLow || reg == kRegBlueLow;
  if (lights == nullptr || (!high && !low)) {
    ++rejectedLightReports_;
    return;
  }
  const size_t first = high ? kLightsLow : 0;
  const size_t count = high ? kSimHeadsetLights - kLightsLow : kLightsLow;
  for (size_t i = 0; i < count; ++i) {
    SimRgb& light = (*lights)[first + i];
    const uint8_t value = report[kLightData + i];
    if (reg == kRegRedLow || reg == kRegRedHigh) light.r = value;
    if (reg == kRegGreenLow || reg == kRegGreenHigh) light.g = value;
    if (reg == kRegBlueLow || reg == kRegBlueHigh) light.b = value;
  }
  ++lightReports_;
}

std::shared_ptr<CSimDeviceNode> MakeSimHeadsetNode(const std::shared_ptr<CSimHeadset>& headset,
                                                   const std::string& name) {
  SimNodeIdentity identity{
      name,
      kSimHeadsetVendorId,
      kSimHeadsetProductId,
      kSimHeadsetVersion,
      kSimHeadsetInterface,
      std::vector<uint8_t>(std::begin(kSimHeadsetInterface3Descriptor),
                           std::end(kSimHeadsetInterface3Descriptor))};
  const std::vector<SimOutputReport> outputs = {
      {kSimVendorReportId, static_cast<uint16_t>(kSimVendorReportData + 1)},
      {kSimHeadsetLightReportId, static_cast<uint16_t>(kSimHeadsetLightReportSize)}};
  auto node = std::make_shared<CSimDeviceNode>(identity, outputs, headset);
  headset->AttachNode(node);
  return node;
}

}  // namespace talmi
