#include "profiles/macro_upload.h"

#include "profiles/macro_image.h"

namespace talmi {

MacroUpload BuildMacroUpload(CMacroLibrary& library, std::span<const uint8_t> macroList,
                             size_t memoryBytes) {
  MacroUpload out;
  if (library.Load() != 1 || macroList.empty()) return out;
  std::vector<MacroBlock> blocks;
  blocks.reserve(macroList.size());
  for (uint8_t index : macroList) blocks.push_back(EncodeMacroEvents(library.ReadMacro(index)));
  const size_t total = MacroImageLength(blocks);
  if (const int excess = MacroOversizeResult(total, memoryBytes); excess > 0) {
    out.result = kMacroUploadTooLarge;
    out.tooManyPlusOne = excess;
    return out;
  }
  out.image = BuildMacroImage(blocks);
  if (out.image.empty()) {
    // Beyond what the 16-bit length can describe: too large for any device.
    out.result = kMacroUploadTooLarge;
    out.tooManyPlusOne = MacroOversizeResult(total, macro_image::kMaxImageBytes);
    return out;
  }
  out.result = kMacroUploadReady;
  return out;
}

}  // namespace talmi
