#pragma once
// Record layouts the simulated devices share: the head of the info record
// and the lighting block that opens every settings slot.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace talmi {

// Info record (command 0x03).
inline constexpr size_t kSimInfoDeviceType = 0;
inline constexpr size_t kSimInfoFirmwareLo = 1;
inline constexpr size_t kSimInfoFirmwareHi = 2;
inline constexpr size_t kSimInfoLights = 7;

inline void WriteSimInfoHead(std::vector<uint8_t>& info, uint8_t deviceType, uint16_t firmware,
                             uint8_t lights) {
  info[kSimInfoDeviceType] = deviceType;
  info[kSimInfoFirmwareLo] = firmware & 0xFF;
  info[kSimInfoFirmwareHi] = firmware >> 8;
  info[kSimInfoLights] = lights;
}

// Lighting block at the start of a settings slot; byte 0 belongs to the byte
// before the record.
inline constexpr size_t kSimBlockMode = 1;
inline constexpr size_t kSimBlockBrightness = 2;
inline constexpr size_t kSimBlockSpeed = 3;
inline constexpr size_t kSimBlockMultiColour = 5;
inline constexpr size_t kSimBlockRed = 6;
inline constexpr size_t kSimBlockGreen = 7;
inline constexpr size_t kSimBlockBlue = 8;
inline constexpr size_t kSimLightBlockSize = 9;

inline constexpr uint8_t kSimDefaultMode = 0x01;
inline constexpr uint8_t kSimDefaultBrightness = 4;
inline constexpr uint8_t kSimDefaultWireSpeed = 2;  // the wire carries 4 - speed

// Factory lighting (mode 1, full brightness, white, multi-colour) in every
// slot of `stride` bytes that holds a whole block of `blockSize` bytes.
inline void FillSimLightBlocks(std::vector<uint8_t>& settings, size_t stride, size_t blockSize) {
  for (size_t base = 0; base + blockSize <= settings.size(); base += stride) {
    settings[base + kSimBlockMode] = kSimDefaultMode;
    settings[base + kSimBlockBrightness] = kSimDefaultBrightness;
    settings[base + kSimBlockSpeed] = kSimDefaultWireSpeed;
    settings[base + kSimBlockMultiColour] = 1;
    settings[base + kSimBlockRed] = 0xFF;
    settings[base + kSimBlockGreen] = 0xFF;
    settings[base + kSimBlockBlue] = 0xFF;
  }
}

}  // namespace talmi
