#pragma once
// The fixed records the profile data objects hand to the pages and editors.
// Byte-for-byte layouts are the ones pages copy into device blocks, so each
// has its size asserted.
#include <array>
#include <cstdint>
#include <string>

#include "profiles/key_assignment.h"

namespace talmi {

// The lighting settings of a page ("LightInfo"). Bytes 8-10 are not stored.
struct LightInfo {
  uint8_t selectItem = 0;  // mode index into the model's mode list
  uint8_t light = 0;       // brightness level
  uint8_t speed = 0;       // 0-4, 4 fastest
  uint8_t fx = 0;          // direction
  uint8_t multiColor = 0;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t reserved[3] = {0, 0, 0};
  uint8_t zzccLedMode = 0;
  uint8_t customGroup = 0;
  uint8_t oldLedmode = 0;

  friend constexpr bool operator==(const LightInfo&, const LightInfo&) = default;
};
static_assert(sizeof(LightInfo) == 14);

// Audio-reactive lighting ("AudioLightInfo").
struct AudioLightInfo {
  uint8_t audioMode = 0;
  uint8_t bkRed = 0;
  uint8_t bkGreen = 0;
  uint8_t bkBlue = 0;
  uint8_t fgRed = 0;
  uint8_t fgGreen = 0;
  uint8_t fgBlue = 0;
  uint8_t sevenColorFlags = 0;
  uint8_t colorTypeFlags = 0;

  friend constexpr bool operator==(const AudioLightInfo&, const AudioLightInfo&) = default;
};
static_assert(sizeof(AudioLightInfo) == 9);

// One element of "LightList"; present is 1 when the element was an object.
struct LightListRecord {
  uint8_t mode = 0;
  uint8_t brightness = 0;
  uint8_t speed = 0;
  uint8_t direction = 0;
  uint8_t multiColor = 0;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t reserved0[2] = {0, 0};
  uint8_t present = 0;
  uint8_t reserved1[3] = {0, 0, 0};

  friend constexpr bool operator==(const LightListRecord&, const LightListRecord&) = default;
};
static_assert(sizeof(LightListRecord) == 14);

// One step of a light effect file; time is the step's duration in ms.
struct LightEffectStep {
  uint8_t mode = 0;
  uint8_t brightness = 0;
  uint8_t speed = 0;
  uint8_t direction = 0;
  uint8_t multiColor = 0;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t reserved[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  int32_t time = 0;
  int32_t cycle = 0;

  friend constexpr bool operator==(const LightEffectStep&, const LightEffectStep&) = default;
};
static_assert(sizeof(LightEffectStep) == 24);

// One light of a custom colour group.
struct CustomLightRecord {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 0;
  uint8_t isBright = 0;

  friend constexpr bool operator==(const CustomLightRecord&, const CustomLightRecord&) = default;
};
static_assert(sizeof(CustomLightRecord) == 5);

// A mouse DPI stage. DPI values are slider positions. The device record is
// 9 bytes: enable, XY flag, X (u16 LE), Y (u16 LE), red, green, blue.
struct DpiStageRecord {
  uint8_t active = 0;
  uint8_t xy = 0;
  uint16_t dpiX = 0;
  uint16_t dpiY = 0;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;

  static constexpr size_t kWireSize = 9;
  static constexpr size_t kOffActive = 0;
  static constexpr size_t kOffXY = 1;
  static constexpr size_t kOffDpiX = 2;
  static constexpr size_t kOffDpiY = 4;
  static constexpr size_t kOffRed = 6;
  static constexpr size_t kOffGreen = 7;
  static constexpr size_t kOffBlue = 8;

  constexpr std::array<uint8_t, kWireSize> Encode() const {
    return {active, xy, static_cast<uint8_t>(dpiX & 0xFF), static_cast<uint8_t>(dpiX >> 8),
            static_cast<uint8_t>(dpiY & 0xFF), static_cast<uint8_t>(dpiY >> 8), red, green, blue};
  }
  static constexpr DpiStageRecord Decode(const std::array<uint8_t, kWireSize>& b) {
    DpiStageRecord r;
    r.active = b[kOffActive];
    r.xy = b[kOffXY];
    r.dpiX = static_cast<uint16_t>(b[kOffDpiX] | (b[kOffDpiX + 1] << 8));
    r.dpiY = static_cast<uint16_t>(b[kOffDpiY] | (b[kOffDpiY + 1] << 8));
    r.red = b[kOffRed];
    r.green = b[kOffGreen];
    r.blue = b[kOffBlue];
    return r;
  }
  friend constexpr bool operator==(const DpiStageRecord&, const DpiStageRecord&) = default;
};

// A sensor correction choice of the mouse ("CorrectInfo").
struct CorrectInfoEntry {
  uint8_t pixThresh = 0;
  uint8_t minSq = 0;
  uint8_t select = 0;
  std::string name;

  friend bool operator==(const CorrectInfoEntry&, const CorrectInfoEntry&) = default;
};

// Three packed 32-bit settings words (keyboard and mouse system settings).
struct SystemWords {
  uint32_t w0 = 0;
  uint32_t w1 = 0;
  uint32_t w2 = 0;

  friend constexpr bool operator==(const SystemWords&, const SystemWords&) = default;
};

// The headset's eight sound settings, in stored order.
struct HeadsetStages {
  int32_t magicEnable = 0;
  int32_t magicType = 0;
  int32_t eqType = 0;
  int32_t customEqSelectIndex = 0;
  int32_t micInSelect = 0;
  int32_t micInValue = 0;
  int32_t micMonitorSelect = 0;
  int32_t micMonitorValue = 0;

  friend constexpr bool operator==(const HeadsetStages&, const HeadsetStages&) = default;
};

inline constexpr int kEqBandCount = 10;

}  // namespace talmi
