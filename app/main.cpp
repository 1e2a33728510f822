// talmi-kt380 command-line check (until the window exists):
//   talmi-kt380 --simulate=keyboard,headset [--debug]
// plugs the simulated devices, enumerates the HID interfaces, matches them
// against the supported-device tables, opens each matched device's command
// channel, reads what the device holds and prints a summary. Exit status 0
// when every requested device was found and read, 1 otherwise, 2 on bad
// arguments.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/debug_output.h"
#include "platform/hid_backend.h"
#include "sim/sim_bus.h"
#include "sim/sim_headset.h"
#include "sim/sim_keyboard.h"
#include "transport/device_channel.h"
#include "transport/hid_device.h"
#include "transport/protocol.h"
#include "transport/supported_devices.h"

namespace talmi {
namespace {

constexpr std::string_view kSimulateOption = "--simulate=";
constexpr std::string_view kDebugOption = "--debug";

// The keyboard's settings block: 26 bytes at offset profile x 25.
constexpr size_t kKeyboardBlockSize = 26;
constexpr uint16_t kKeyboardProfileStride = 25;
constexpr size_t kKbOffMode = 1;
constexpr size_t kKbOffBrightness = 2;
constexpr size_t kKbOffSpeed = 3;  // stored as 4 - speed
constexpr size_t kKbOffRed = 6;
constexpr size_t kKbOffPollingRate = 22;
constexpr uint8_t kSpeedMax = 4;

// The headset's settings block: 21 bytes at offset slot x 64; its status
// record is 6 bytes at offset 0.
constexpr size_t kHeadsetBlockSize = 21;
constexpr size_t kStatusRecordSize = 6;

struct Options {
  bool keyboard = false;
  bool headset = false;
  bool debug = false;
  bool simulate = false;
};

bool ParseOptions(int argc, char** argv, Options& out) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg(argv[i]);
    if (arg == kDebugOption) {
      out.debug = true;
    } else if (arg.substr(0, kSimulateOption.size()) == kSimulateOption) {
      out.simulate = true;
      std::string_view list = arg.substr(kSimulateOption.size());
      while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name == "keyboard") {
          out.keyboard = true;
        } else if (name == "headset") {
          out.headset = true;
        } else if (!name.empty()) {
          std::fprintf(stderr, "unknown simulated device: %.*s\n", int(name.size()), name.data());
          return false;
        }
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
      }
    } else {
      std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
      return false;
    }
  }
  return true;
}

void PrintHex(const char* label, const uint8_t* bytes, size_t n) {
  std::printf("  %-16s", label);
  for (size_t i = 0; i < n; ++i) std::printf("%s%02x", i ? " " : "", bytes[i]);
  std::printf("\n");
}

// Opens the channel on the matched path as a page does on arrival.
bool Attach(CDeviceChannel& channel, const DeviceIdentity& slot) {
  const DeviceKindInfo* kind = FindDeviceKind(slot.kind);
  const bool receiver = kind != nullptr && kind->receiver;
  std::lock_guard<std::mutex> io(channel.IoLock());
  CHidDevice& hid = receiver ? channel.Receiver() : channel.Cable();
  if (!hid.Open(slot.path, true, true, true, false)) return false;
  channel.SetLinkMode(receiver ? kLinkModeReceiver : 1);
  channel.SetOpen(true);
  return true;
}

void Detach(CDeviceChannel& channel) {
  std::lock_guard<std::mutex> io(channel.IoLock());
  channel.SetOpen(false);
  channel.Cable().Close();
  channel.Receiver().Close();
}

bool Report(const char* what, int result) {
  if (result == kResultOk) return true;
  std::printf("  %s failed: result %d\n", what, result);
  return false;
}

bool ReadKeyboard(const DeviceIdentity& slot) {
  CDeviceChannel channel;
  if (!Attach(channel, slot)) {
    std::printf("  cannot open %s\n", slot.path.c_str());
    return false;
  }
  const CHidDevice& hid = channel.Cable();
  std::printf("  version          %04x\n", hid.Attributes().versionNumber);

  std::array<uint8_t, kDeviceInfoLength> info{};
  uint8_t active = 0;
  std::array<uint8_t, kKeyboardBlockSize> block{};
  std::array<uint8_t, kStatusRecordSize> status{};
  bool ok = Report("begin session", channel.BeginSession()) &&
            Report("device info", channel.ReadDeviceInfo(info));
  if (ok) {
    const unsigned slots = info[kInfoOffKeySlots];
    std::printf("  key slots        %u\n", slots);
    std::printf("  macro memory     %u bytes\n", unsigned(info[kInfoOffMacroUnits]) * 128u);
    PrintHex("info", info.data(), info.size());
    ok = Report("table length", channel.SetTableLength(3 * slots));
  }
  ok = ok && Report("active profile", channel.ReadSettings({&active, 1}, 0)) &&
       Report("settings block",
              channel.ReadSettings(block, uint16_t(active * kKeyboardProfileStride))) &&
       Report("status record", channel.ReadStatusBlock(status, 0));
  // The session is closed even after a failed read.
  const int end = channel.EndSession();
  ok = ok && Report("end session", end);
  if (ok) {
    std::printf("  active profile   %u\n", active);
    std::printf("  light mode code  %u\n", block[kKbOffMode]);
    std::printf("  brightness       %u\n", block[kKbOffBrightness]);
    std::printf("  speed            %u\n",
                block[kKbOffSpeed] <= kSpeedMax ? unsigned(kSpeedMax - block[kKbOffSpeed]) : 0u);
    std::printf("  colour           #%02x%02x%02x\n", block[kKbOffRed], block[kKbOffRed + 1],
                block[kKbOffRed + 2]);
    std::printf("  polling rate     option %u\n", block[kKbOffPollingRate]);
    PrintHex("settings", block.data(), block.size());
    PrintHex("status", status.data(), status.size());
  }
  Detach(channel);
  return ok;
}

bool ReadHeadset(const DeviceIdentity& slot) {
  CDeviceChannel channel;
  // The headset page never sets a link mode: cable object, 24-byte chunks.
  {
    std::lock_guard<std::mutex> io(channel.IoLock());
    if (!channel.Cable().Open(slot.path, true, true, true, false)) {
      std::printf("  cannot open %s\n", slot.path.c_str());
      return false;
    }
    channel.SetOpen(true);
  }
  std::printf("  version          %04x\n", channel.Cable().Attributes().versionNumber);
  std::array<uint8_t, kHeadsetBlockSize> block{};
  std::array<uint8_t, kStatusRecordSize> status{};
  bool ok = Report("begin session", channel.BeginSession()) &&
            Report("settings block", channel.ReadSettings(block, 0)) &&
            Report("status record", channel.ReadStatusBlock(status, 0));
  const int end = channel.EndSession();
  ok = ok && Report("end session", end);
  if (ok) {
    PrintHex("settings", block.data(), block.size());
    PrintHex("status", status.data(), status.size());
  }
  Detach(channel);
  return ok;
}

const char* KindName(uint16_t kind) {
  const DeviceKindInfo* info = FindDeviceKind(kind);
  if (info == nullptr || info->page == PageKind::None) return "?";
  return kDeviceKindViews[size_t(info->page)].kindName.data();
}

int Run(const Options& options) {
  if (options.debug) SetDebugOutputEnabled(true);

  // Simulated devices only: the real hidraw nodes stay out of this check.
  SetHidrawEnumerationEnabled(false);
  CSimBus& bus = DefaultSimBus();
  SimKeyboardSet keyboard;
  std::shared_ptr<CSimHeadset> headset;
  if (options.keyboard) {
    keyboard = MakeSimKeyboard();
    bus.Plug(keyboard.cable);
    bus.Plug(keyboard.receiver);
  }
  if (options.headset) {
    headset = std::make_shared<CSimHeadset>();
    bus.Plug(MakeSimHeadsetNode(headset));
  }
  RegisterSimBus(bus);

  CHidDevice enumerator;
  if (!enumerator.Enumerate()) {
    std::printf("HID enumeration failed\n");
    return 1;
  }
  std::vector<DeviceIdentity> slots = MakeSlotList();
  CHidDevice probe;
  std::printf("HID interfaces:\n");
  while (const char* p = enumerator.NextPath()) {
    const int slot = MatchDevicePath(p, slots, probe);
    if (slot >= 0) {
      const auto& s = slots[size_t(slot)];
      std::printf("  %-48s slot %d: %s, %s\n", p, slot, KindName(s.kind),
                  s.role == kRolePrimary ? "command channel" : "consumer control");
    } else {
      std::printf("  %-48s not supported\n", p);
    }
  }
  enumerator.FreePathList();

  bool ok = true;
  auto readPrimary = [&](DeviceKind kind, bool wanted, bool (*read)(const DeviceIdentity&)) {
    if (!wanted) return;
    for (const auto& s : slots) {
      if (s.kind != KindCode(kind) || s.role != kRolePrimary || !s.IsAttached()) continue;
      std::printf("%s (%04x:%04x) on %s\n", KindName(s.kind), s.vendorId, s.productId,
                  s.path.c_str());
      if (!read(s)) ok = false;
      return;
    }
    std::printf("%s: not found\n", KindName(KindCode(kind)));
    ok = false;
  };
  readPrimary(DeviceKind::KeyboardCable, options.keyboard, ReadKeyboard);
  readPrimary(DeviceKind::Headset, options.headset, ReadHeadset);

  UnregisterSimBus();
  bus.UnplugAll();
  std::printf("%s\n", ok ? "check passed" : "check FAILED");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace talmi

int main(int argc, char** argv) {
  talmi::Options options;
  if (!talmi::ParseOptions(argc, argv, options) || !options.simulate ||
      !(options.keyboard || options.headset)) {
    std::fprintf(stderr, "usage: %s --simulate=keyboard,headset [--debug]\n", argv[0]);
    return 2;
  }
  return talmi::Run(options);
}
