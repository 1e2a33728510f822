#pragma once
// The macro memory image the devices take for macros (command 0x15) and for
// shooting patterns (command 0x17). Little-endian:
//   0   u16  0x55AA
//   2   u16  total length in bytes
//   4   u16  number of blocks n
//   6   10 reserved zero bytes
//   16  n x u16 offset of each block from the image start
//   then the blocks: u16 event count, u16 reserved, 4 bytes per event.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/macro_event.h"

namespace talmi {

namespace macro_image {
inline constexpr uint16_t kMagic = 0x55AA;
inline constexpr size_t kMagicOffset = 0;
inline constexpr size_t kTotalLengthOffset = 2;
inline constexpr size_t kBlockCountOffset = 4;
inline constexpr size_t kOffsetTableOffset = 16;
inline constexpr size_t kOffsetEntryBytes = 2;
inline constexpr size_t kBlockEventCountOffset = 0;
inline constexpr size_t kBlockHeaderBytes = 4;
inline constexpr size_t kEventBytes = sizeof(EncodedMacroEvent);
// The length field is 16 bits wide: nothing larger can be described.
inline constexpr size_t kMaxImageBytes = 0xFFFF;
// The device's macro memory is this many bytes per unit of its info byte 6.
inline constexpr size_t kMemoryUnitBytes = 128;
}  // namespace macro_image

using MacroBlock = std::vector<EncodedMacroEvent>;

// 16 + 6 n + 4 x (all events).
size_t MacroImageLength(std::span<const size_t> eventCounts);
size_t MacroImageLength(std::span<const MacroBlock> blocks);

// The image of the blocks in order; empty when it would exceed
// kMaxImageBytes (its length and offsets could not be written).
[[nodiscard]] std::vector<uint8_t> BuildMacroImage(std::span<const MacroBlock> blocks);

// Macro memory of a device whose information record has byte 6 = units.
constexpr size_t MacroMemoryBytes(uint8_t units) {
  return size_t{units} * macro_image::kMemoryUnitBytes;
}

// 0 when an image of total bytes fits memory bytes; otherwise the excess in
// whole 4-byte units plus one (the "events too many plus one" result).
int MacroOversizeResult(size_t total, size_t memory);

}  // namespace talmi
