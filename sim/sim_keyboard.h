#pragma once
// The KT-380 keyboard firmware: what the host reads and writes over the
// vendor frames, kept in memory regions, plus the consumer reports the
// keyboard sends on its own (profile changed on the keyboard, …).
//
// Memory map (region, command, size):
//   info         0x03 read           34 bytes (byte 5 key slots, byte 6
//                                    macro memory in 128-byte units)
//   defaultkeys  0x07 read           512 (3 bytes per slot, factory table)
//   keytable     0x09 write          512 (the table the host uploaded)
//   settings     0x05 read/0x06 wr.  512 (byte 0 active profile, profile p's
//                                    25-byte record at p × 25 + 1)
//   macro        0x15 write          macro units × 128
//   attributes   0x1B read           170 (one byte per slot, 1 = lit key)
//   custom       0x0B write          64 (first 21 bytes: selection bitmap)
//   status       0x1A read           6
//   light        0x12 write          512 (the last streamed frame)
// 0x1C switches host lighting on; 0x01/0x02 open and close a session.
// The factory key table lists the keys in scan-matrix order, not in the
// host's key-index order; FN sits in slot 113.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/sim_device_node.h"
#include "sim/sim_firmware.h"

namespace talmi {

inline constexpr uint16_t kSimKeyboardVendorId = 0x320F;
inline constexpr uint16_t kSimKeyboardProductId = 0x5055;
inline constexpr uint16_t kSimKeyboardVersion = 0x0105;
inline constexpr uint16_t kSimKeyboardInterface = 1;
// The receiver's real IDs are not known; this is the default, overridable
// in SimKeyboardOptions.
inline constexpr uint16_t kSimReceiverVendorId = 0x320F;
inline constexpr uint16_t kSimReceiverProductId = 0x5088;

inline constexpr uint8_t kSimKeyboardSlots = 128;
inline constexpr uint8_t kSimKeyboardMacroUnits = 32;  // 4096 bytes
inline constexpr size_t kSimInfoSize = 34;
inline constexpr size_t kSimInfoKeySlots = 5;
inline constexpr size_t kSimInfoMacroUnits = 6;
inline constexpr size_t kSimKeyTableSize = 512;
inline constexpr size_t kSimKeyboardSettingsSize = 512;
inline constexpr size_t kSimKeyboardProfileStride = 25;
inline constexpr size_t kSimKeyboardBlockSize = 26;
inline constexpr size_t kSimKeyAttributesSize = 170;
inline constexpr size_t kSimCustomBitmapSize = 21;
inline constexpr size_t kSimCustomRegionSize = 64;
inline constexpr size_t kSimStatusSize = 6;
inline constexpr size_t kSimLightFrameSize = 512;
inline constexpr uint8_t kSimFnSlot = 113;

// Keyboard-side consumer codes.
inline constexpr uint16_t kSimUsageResync = 0x0401;
inline constexpr uint16_t kSimUsageProfileListChanged = 0x0402;
inline constexpr uint16_t kSimUsageHeartbeat = 0x0404;
inline constexpr uint16_t kSimUsageProfileBase = 0x1000;       // | profile
inline constexpr uint16_t kSimUsageProfileLightBase = 0x1100;  // | light << 4 | profile

struct SimKeyboardOptions {
  std::string cableName = "keyboard";
  std::string receiverName = "keyboard-receiver";
  uint16_t receiverVendorId = kSimReceiverVendorId;
  uint16_t receiverProductId = kSimReceiverProductId;
  // Some firmware leaves FN out of the key table (its slot reads 00 00 00).
  bool fnInKeyTable = true;
};

class CSimKeyboard : public CSimFirmware {
 public:
  static constexpr const char* kInfo = "info";
  static constexpr const char* kDefaultKeys = "defaultkeys";
  static constexpr const char* kKeyTable = "keytable";
  static constexpr const char* kSettings = "settings";
  static constexpr const char* kMacro = "macro";
  static constexpr const char* kAttributes = "attributes";
  static constexpr const char* kCustom = "custom";
  static constexpr const char* kStatus = "status";
  static constexpr const char* kLight = "light";

  explicit CSimKeyboard(bool fnInKeyTable = true);

  [[nodiscard]] std::vector<uint8_t> Info() const { return Region(kInfo); }
  [[nodiscard]] std::vector<uint8_t> DefaultKeyTable() const { return Region(kDefaultKeys); }
  [[nodiscard]] std::vector<uint8_t> KeyTable() const { return Region(kKeyTable); }
  [[nodiscard]] std::vector<uint8_t> Settings() const { return Region(kSettings); }
  // The 26 bytes the host reads and writes for a profile (offset p × 25).
  [[nodiscard]] std::vector<uint8_t> SettingsBlock(int profile) const;
  [[nodiscard]] uint8_t ActiveProfile() const;
  [[nodiscard]] std::vector<uint8_t> MacroMemory() const { return Region(kMacro); }
  [[nodiscard]] std::vector<uint8_t> KeyAttributes() const { return Region(kAttributes); }
  // The 21-byte custom-mode selection bitmap.
  [[nodiscard]] std::vector<uint8_t> CustomSelection() const;
  [[nodiscard]] std::vector<uint8_t> StatusRecord() const { return Region(kStatus); }
  [[nodiscard]] std::vector<uint8_t> LightFrame() const { return Region(kLight); }
  // Streamed frames begun (0x12 frames at offset 0).
  [[nodiscard]] uint64_t LightFrameCount() const;
  [[nodiscard]] bool HostLighting() const;

  // Test set-up.
  // Slot count reported in info byte 5 (the factory table is not changed).
  void SetKeySlots(uint8_t slots);
  // Macro memory size in 128-byte units (info byte 6); resizes the region.
  void SetMacroUnits(uint8_t units);
  void SetStatusRecord(std::span<const uint8_t> record);

  // What a user does on the keyboard itself. Each sends a consumer report
  // (report ID 3, the usage little-endian) through the cable when plugged,
  // else through a linked receiver; false when no path carries it.
  bool SendConsumerUsage(uint16_t usage);
  // Fn+profile key: the active profile byte changes, 0x10 | p is reported.
  bool SwitchProfile(uint8_t profile);
  // Fn+light key: profile and the light byte (block byte 17) change, and
  // 0x11 | light << 4 | profile is reported.
  bool SwitchProfileAndLight(uint8_t profile, uint8_t light);

 private:
  void HandleStream(const SimRequest& req, SimReply& reply);

  uint64_t lightFrames_ = 0;
  bool hostLighting_ = false;
};

// The keyboard with its two USB faces: the cable interface and the 2.4 GHz
// receiver (a separate node with its own IDs). Neither is plugged yet.
struct SimKeyboardSet {
  std::shared_ptr<CSimKeyboard> keyboard;
  std::shared_ptr<CSimDeviceNode> cable;
  std::shared_ptr<CSimReceiverNode> receiver;
};
[[nodiscard]] SimKeyboardSet MakeSimKeyboard(const SimKeyboardOptions& options = {});

// The factory assignment code (kind, p1, p2) of every key index 0-125.
struct SimKeyCode {
  uint8_t kind, p1, p2;
};
[[nodiscard]] SimKeyCode SimFactoryKeyCode(int keyIndex);
// Key index held in a slot of the factory table, or -1 for an empty slot.
[[nodiscard]] int SimFactorySlotKey(int slot);

}  // namespace talmi
