#pragma once
// The macro memory image of the macros in use, ready for the device, with
// the size check against the device's macro memory made before anything
// is sent.
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/macro_library.h"

namespace talmi {

inline constexpr int kMacroUploadNothing = 0;   // empty or unreadable library, empty list
inline constexpr int kMacroUploadReady = 1;     // image holds the bytes to send
inline constexpr int kMacroUploadTooLarge = 2;  // tooManyPlusOne says by how much

struct MacroUpload {
  int result = kMacroUploadNothing;
  // When too large: the excess in whole 4-byte units plus one.
  int tooManyPlusOne = 0;
  std::vector<uint8_t> image;
};

// Reloads the library and lays out the listed macros (library indexes, in
// device macro number order). Each macro file is read once, so the size
// checked is the size built. A missing or broken macro file is a macro
// without events.
[[nodiscard]] MacroUpload BuildMacroUpload(CMacroLibrary& library,
                                           std::span<const uint8_t> macroList,
                                           size_t memoryBytes);

}  // namespace talmi
