#include "profiles/macro_image.h"

#include <algorithm>
#include <cstdint>

namespace talmi {
namespace {

void PutU16(std::vector<uint8_t>& image, size_t at, size_t value) {
  image[at] = static_cast<uint8_t>(value);
  image[at + 1] = static_cast<uint8_t>(value >> 8);
}

size_t BlockBytes(size_t events) {
  return macro_image::kOffsetEntryBytes + macro_image::kBlockHeaderBytes +
         macro_image::kEventBytes * events;
}

}  // namespace

size_t MacroImageLength(std::span<const size_t> eventCounts) {
  size_t total = macro_image::kOffsetTableOffset;
  for (size_t events : eventCounts) total += BlockBytes(events);
  return total;
}

size_t MacroImageLength(std::span<const MacroBlock> blocks) {
  size_t total = macro_image::kOffsetTableOffset;
  for (const MacroBlock& b : blocks) total += BlockBytes(b.size());
  return total;
}

std::vector<uint8_t> BuildMacroImage(std::span<const MacroBlock> blocks) {
  const size_t total = MacroImageLength(blocks);
  if (total > macro_image::kMaxImageBytes) return {};
  std::vector<uint8_t> image(total, 0);
  PutU16(image, macro_image::kMagicOffset, macro_image::kMagic);
  PutU16(image, macro_image::kTotalLengthOffset, total);
  PutU16(image, macro_image::kBlockCountOffset, blocks.size());
  size_t cursor = macro_image::kOffsetTableOffset + macro_image::kOffsetEntryBytes * blocks.size();
  for (size_t i = 0; i < blocks.size(); ++i) {
    PutU16(image, macro_image::kOffsetTableOffset + macro_image::kOffsetEntryBytes * i, cursor);
    PutU16(image, cursor + macro_image::kBlockEventCountOffset, blocks[i].size());
    cursor += macro_image::kBlockHeaderBytes;
    for (const EncodedMacroEvent& e : blocks[i]) {
      std::copy(e.begin(), e.end(), image.begin() + static_cast<std::ptrdiff_t>(cursor));
      cursor += macro_image::kEventBytes;
    }
  }
  return image;
}

int MacroOversizeResult(size_t total, size_t memory) {
  if (total <= memory) return 0;
  const size_t units = (total - memory) / macro_image::kEventBytes + 1;
  return units > INT32_MAX ? INT32_MAX : static_cast<int>(units);
}

}  // namespace talmi
