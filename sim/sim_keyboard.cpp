#include "sim/sim_keyboard.h"

#include <algorithm>

#include "sim/report_descriptors.h"
#include "sim/sim_records.h"

namespace talmi {

namespace {

constexpr int kRealKeys = 126;
constexpr int kNoKey = 170;

// Factory assignment code of each key index (kind, p1, p2).
constexpr SimKeyCode kFactoryCodes[kRealKeys] = {
    {0x20, 0, 0x29}, {0x20, 0, 0x3A}, {0x20, 0, 0x3B}, {0x20, 0, 0x3C}, {0x20, 0, 0x3D},
    {0x20, 0, 0x3E}, {0x20, 0, 0x3F}, {0x20, 0, 0x40}, {0x20, 0, 0x41}, {0x20, 0, 0x42},
    {0x20, 0, 0x43}, {0x20, 0, 0x44}, {0x20, 0, 0x45}, {0x20, 0, 0x46}, {0x20, 0, 0x47},
    {0x20, 0, 0x48}, {0xA0, 0x1B, 0}, {0xA0, 0x24, 0}, {0x20, 0, 0}, {0x20, 0, 0},
    {0x20, 0, 0},    {0x20, 0, 0x35}, {0x20, 0, 0x1E}, {0x20, 0, 0x1F}, {0x20, 0, 0x20},
    {0x20, 0, 0x21}, {0x20, 0, 0x22}, {0x20, 0, 0x23}, {0x20, 0, 0x24}, {0x20, 0, 0x25},
    {0x20, 0, 0x26}, {0x20, 0, 0x27}, {0x20, 0, 0x2D}, {0x20, 0, 0x2E}, {0x20, 0, 0x2A},
    {0x20, 0, 0x49}, {0x20, 0, 0x4A}, {0x20, 0, 0x4B}, {0x20, 0, 0x53}, {0x20, 0, 0x54},
    {0x20, 0, 0x55}, {0x20, 0, 0x56}, {0x20, 0, 0x2B}, {0x20, 0, 0x14}, {0x20, 0, 0x1A},
    {0x20, 0, 0x08}, {0x20, 0, 0x15}, {0x20, 0, 0x17}, {0x20, 0, 0x1C}, {0x20, 0, 0x18},
    {0x20, 0, 0x0C}, {0x20, 0, 0x12}, {0x20, 0, 0x13}, {0x20, 0, 0x2F}, {0x20, 0, 0x30},
    {0x20, 0, 0x31}, {0x20, 0, 0x4C}, {0x20, 0, 0x4D}, {0x20, 0, 0x4E}, {0x20, 0, 0x5F},
    {0x20, 0, 0x60}, {0x20, 0, 0x61}, {0x20, 0, 0x32}, {0x20, 0, 0x39}, {0x20, 0, 0x04},
    {0x20, 0, 0x16}, {0x20, 0, 0x07}, {0x20, 0, 0x09}, {0x20, 0, 0x0A}, {0x20, 0, 0x0B},
    {0x20, 0, 0x0D}, {0x20, 0, 0x0E}, {0x20, 0, 0x0F}, {0x20, 0, 0x33}, {0x20, 0, 0x34},
    {0x20, 0, 0x28}, {0x20, 0, 0x5C}, {0x20, 0, 0x5D}, {0x20, 0, 0x5E}, {0x20, 0, 0x8A},
    {0x20, 0, 0x8B}, {0x20, 0, 0x90}, {0x20, 0, 0x91}, {0x20, 0, 0x88}, {0x20, 0x02, 0},
    {0x20, 0, 0x1D}, {0x20, 0, 0x1B}, {0x20, 0, 0x06}, {0x20, 0, 0x19}, {0x20, 0, 0x05},
    {0x20, 0, 0x11}, {0x20, 0, 0x10}, {0x20, 0, 0x36}, {0x20, 0, 0x37}, {0x20, 0, 0x38},
    {0x20, 0x20, 0}, {0x20, 0, 0x52}, {0x20, 0, 0x59}, {0x20, 0, 0x5A}, {0x20, 0, 0x5B},
    {0x20, 0, 0x87}, {0x20, 0, 0x89}, {0x20, 0, 0x64}, {0x20, 0, 0x85}, {0x20, 0, 0},
    {0x20, 0x01, 0}, {0x20, 0x08, 0}, {0x20, 0x04, 0}, {0x20, 0, 0x2C}, {0x20, 0x40, 0},
    {0xA0, 0x01, 0}, {0x20, 0, 0x65}, {0x20, 0x10, 0}, {0x20, 0, 0x50}, {0x20, 0, 0x51},
    {0x20, 0, 0x4F}, {0x20, 0, 0x62}, {0x20, 0, 0x63}, {0x20, 0, 0x58}, {0x20, 0, 0x57},
    {0xD0, 0xA2, 1}, {0xD0, 0xA2, 2}, {0xD0, 0xA2, 3}, {0xD0, 0xA2, 4}, {0xD0, 0xA2, 5},
    {0x20, 0x80, 0},
};

constexpr int kFnKey = 110;

// The scan matrix the firmware walks column by column (key indices; 170 =
// no switch at that crossing). Slots follow this walk.
constexpr int kScanColumns = 18;
constexpr int kScanRows = 6;
constexpr int kScanMatrix[kScanColumns][kScanRows] = {
    {0, 21, 42, 63, 84, 105},   {1, 22, 43, 64, 102, 106},  {2, 23, 44, 65, 85, 107},
    {3, 24, 45, 66, 86, 170},   {4, 25, 46, 67, 87, 170},   {5, 26, 47, 68, 88, 108},
    {6, 27, 48, 69, 89, 170},   {7, 28, 49, 70, 90, 170},   {8, 29, 50, 71, 91, 170},
    {9, 30, 51, 72, 92, 109},   {10, 31, 52, 73, 93, 110},  {11, 32, 53, 74, 94, 112},
    {12, 33, 54, 62, 95, 113},  {35, 34, 55, 75, 96, 114},  {56, 38, 59, 76, 97, 115},
    {37, 39, 60, 77, 98, 170},  {58, 40, 61, 78, 99, 116},  {13, 41, 170, 119, 118, 117},
};

constexpr bool IsBlankCode(const SimKeyCode& c) { return c.kind == 0x20 && c.p1 == 0 && c.p2 == 0; }

// Key index per slot (-1 = empty): the matrix walk, then the keys off the
// matrix (extra row, macro keys) in index order; FN is wired to slot 113.
constexpr std::array<int, kSimKeyboardSlots> BuildSlotKeys() {
  std::array<int, kSimKeyboardSlots> slots{};
  for (auto& s : slots) s = -1;
  bool used[kRealKeys] = {};
  int n = 0;
  for (const auto& column : kScanMatrix) {
    for (int key : column) {
      if (key == kNoKey || used[key] || IsBlankCode(kFactoryCodes[key])) continue;
      used[key] = true;
      slots[n++] = key;
    }
  }
  for (int key = 0; key < kRealKeys; ++key) {
    if (used[key] || IsBlankCode(kFactoryCodes[key])) continue;
    used[key] = true;
    slots[n++] = key;
  }
  for (int s = 0; s < n; ++s) {
    if (slots[s] != kFnKey) continue;
    const int other = slots[kSimFnSlot];
    slots[kSimFnSlot] = kFnKey;
    slots[s] = other;
    break;
  }
  return slots;
}

constexpr std::array<int, kSimKeyboardSlots> kSlotKeys = BuildSlotKeys();
static_assert(kSlotKeys[kSimFnSlot] == kFnKey);
static_assert(kSlotKeys[0] == 0 && kSlotKeys[1] == 21, "slots follow the scan matrix");

// Info record layout (bytes the firmware fills).
constexpr size_t kInfoProfiles = 4;
constexpr uint8_t kDeviceTypeKeyboard = 0x01;
constexpr uint8_t kProfileCount = 5;
constexpr uint8_t kLightCount = 126;

// Per-profile record: the lighting block, then the light bytes.
constexpr size_t kBlockLight = 17;

// Status record: battery %, power state, -, link, -, -.
constexpr uint8_t kDefaultStatus[kSimStatusSize] = {100, 0, 0, 0, 0, 0};
constexpr size_t kStatusLink = 3;

constexpr uint8_t kKeyAttributeLit = 0x01;

}  // namespace

SimKeyCode SimFactoryKeyCode(int keyIndex) {
  if (keyIndex < 0 || keyIndex >= kRealKeys) return {0x20, 0, 0};
  return kFactoryCodes[keyIndex];
}

int SimFactorySlotKey(int slot) {
  if (slot < 0 || slot >= static_cast<int>(kSlotKeys.size())) return -1;
  return kSlotKeys[static_cast<size_t>(slot)];
}

CSimKeyboard::CSimKeyboard(bool fnInKeyTable) {
  AddRegion(kInfo, kSimInfoSize);
  AddRegion(kDefaultKeys, kSimKeyTableSize);
  AddRegion(kKeyTable, kSimKeyTableSize);
  AddRegion(kSettings, kSimKeyboardSettingsSize);
  AddRegion(kMacro, size_t{kSimKeyboardMacroUnits} * 128);
  AddRegion(kAttributes, kSimKeyAttributesSize);
  AddRegion(kCustom, kSimCustomRegionSize);
  AddRegion(kStatus, kSimStatusSize);
  AddRegion(kLight, kSimLightFrameSize);

  {
    std::lock_guard lk(mutex_);
    auto& info = RegionLocked(kInfo);
    WriteSimInfoHead(info, kDeviceTypeKeyboard, kSimKeyboardVersion, kLightCount);
    info[kInfoProfiles] = kProfileCount;
    info[kSimInfoKeySlots] = kSimKeyboardSlots;
    info[kSimInfoMacroUnits] = kSimKeyboardMacroUnits;

    auto& table = RegionLocked(kDefaultKeys);
    auto& attributes = RegionLocked(kAttributes);
    for (size_t slot = 0; slot < kSlotKeys.size(); ++slot) {
      const int key = kSlotKeys[slot];
      if (key < 0 || (key == kFnKey && !fnInKeyTable)) continue;
      const SimKeyCode code = kFactoryCodes[key];
      table[slot * 3] = code.kind;
      table[slot * 3 + 1] = code.p1;
      table[slot * 3 + 2] = code.p2;
      if (slot < attributes.size()) attributes[slot] = kKeyAttributeLit;
    }
    RegionLocked(kKeyTable) = table;

    auto& settings = RegionLocked(kSettings);
    FillSimLightBlocks(settings, kSimKeyboardProfileStride, kSimKeyboardBlockSize);
    settings[0] = 0;  // active profile

    auto& status = RegionLocked(kStatus);
    std::copy(std::begin(kDefaultStatus), std::end(kDefaultStatus), status.begin());
  }

  auto ack = [](const SimRequest&, SimReply&) {};
  MapCommand(SimCommand::BeginSession, ack);
  MapCommand(SimCommand::EndSession, ack);
  MapRead(SimCommand::ReadInfo, kInfo);
  MapRead(SimCommand::ReadSettings, kSettings);
  MapWrite(SimCommand::WriteSettings, kSettings);
  MapRead(SimCommand::ReadKeyTable, kDefaultKeys);
  MapWrite(SimCommand::WriteKeyTable, kKeyTable);
  MapWrite(SimCommand::WriteKeyBitmap, kCustom);
  MapWrite(SimCommand::WriteMacro, kMacro);
  MapRead(SimCommand::ReadKeyAttributes, kAttributes);
  MapCommand(SimCommand::StreamLight,
             [this](const SimRequest& req, SimReply& reply) { HandleStream(req, reply); });
  MapCommand(SimCommand::ReadStatus, [this](const SimRequest& req, SimReply& reply) {
    reply.status = ReadRegionLocked(kStatus, req, reply);
    // The record tells which way the request came.
    if (reply.status == kSimStatusOk && req.offset <= kStatusLink &&
        kStatusLink < size_t{req.offset} + req.length) {
      reply.data[kStatusLink - req.offset] = req.viaReceiver ? 1 : 0;
    }
  });
  MapCommand(SimCommand::HostLightingOn,
             [this](const SimRequest&, SimReply&) { hostLighting_ = true; });
}

void CSimKeyboard::HandleStream(const SimRequest& req, SimReply& reply) {
  reply.status = WriteRegionLocked(kLight, req);
  if (reply.status == kSimStatusOk && req.offset == 0) ++lightFrames_;
}

std::vector<uint8_t> CSimKeyboard::SettingsBlock(int profile) const {
  const auto settings = Settings();
  if (profile < 0) return {};
  const size_t base = static_cast<size_t>(profile) * kSimKeyboardProfileStride;
  if (base + kSimKeyboardBlockSize > settings.size()) return {};
  return {settings.begin() + static_cast<ptrdiff_t>(base),
          settings.begin() + static_cast<ptrdiff_t>(base + kSimKeyboardBlockSize)};
}

uint8_t CSimKeyboard::ActiveProfile() const {
  const auto settings = Settings();
  return settings.empty() ? 0 : settings[0];
}

std::vector<uint8_t> CSimKeyboard::CustomSelection() const {
  auto bytes = Region(kCustom);
  bytes.resize(kSimCustomBitmapSize);
  return bytes;
}

uint64_t CSimKeyboard::LightFrameCount() const {
  std::lock_guard lk(mutex_);
  return lightFrames_;
}

bool CSimKeyboard::HostLighting() const {
  std::lock_guard lk(mutex_);
  return hostLighting_;
}

void CSimKeyboard::SetKeySlots(uint8_t slots) {
  std::lock_guard lk(mutex_);
  RegionLocked(kInfo)[kSimInfoKeySlots] = slots;
}

void CSimKeyboard::SetMacroUnits(uint8_t units) {
  std::lock_guard lk(mutex_);
  RegionLocked(kInfo)[kSimInfoMacroUnits] = units;
  RegionLocked(kMacro).assign(size_t{units} * 128, 0);
}

void CSimKeyboard::SetStatusRecord(std::span<const uint8_t> record) {
  std::lock_guard lk(mutex_);
  auto& status = RegionLocked(kStatus);
  std::copy_n(record.begin(), std::min(record.size(), status.size()), status.begin());
}

bool CSimKeyboard::SendConsumerUsage(uint16_t usage) {
  const uint8_t report[] = {kSimConsumerReportId, static_cast<uint8_t>(usage & 0xFF),
                            static_cast<uint8_t>(usage >> 8)};
  return SendUnsolicited(report);
}

bool CSimKeyboard::SwitchProfile(uint8_t profile) {
  profile &= 0x0F;
  {
    std::lock_guard lk(mutex_);
    RegionLocked(kSettings)[0] = profile;
  }
  return SendConsumerUsage(static_cast<uint16_t>(kSimUsageProfileBase | profile));
}

bool CSimKeyboard::SwitchProfileAndLight(uint8_t profile, uint8_t light) {
  profile &= 0x0F;
  light &= 0x0F;
  {
    std::lock_guard lk(mutex_);
    auto& settings = RegionLocked(kSettings);
    settings[0] = profile;
    const size_t at = size_t{profile} * kSimKeyboardProfileStride + kBlockLight;
    if (at < settings.size()) settings[at] = light;
  }
  return SendConsumerUsage(static_cast<uint16_t>(kSimUsageProfileLightBase | (light << 4) | profile));
}

SimKeyboardSet MakeSimKeyboard(const SimKeyboardOptions& options) {
  SimKeyboardSet set;
  set.keyboard = std::make_shared<CSimKeyboard>(options.fnInKeyTable);
  const std::vector<uint8_t> descriptor(std::begin(kSimKeyboardInterface1Descriptor),
                                        std::end(kSimKeyboardInterface1Descriptor));
  const std::vector<SimOutputReport> outputs = {
      {kSimVendorReportId, static_cast<uint16_t>(kSimVendorReportData + 1)}};

  SimNodeIdentity cable{options.cableName, kSimKeyboardVendorId, kSimKeyboardProductId,
                        kSimKeyboardVersion, kSimKeyboardInterface, descriptor};
  set.cable = std::make_shared<CSimDeviceNode>(cable, outputs, set.keyboard);

  SimNodeIdentity receiver{options.receiverName, options.receiverVendorId,
                           options.receiverProductId, kSimKeyboardVersion,
                           kSimKeyboardInterface, descriptor};
  set.receiver = std::make_shared<CSimReceiverNode>(receiver, outputs, set.keyboard);

  set.keyboard->AttachNode(set.cable);
  set.keyboard->AttachNode(set.receiver);
  return set;
}

}  // namespace talmi
