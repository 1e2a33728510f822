#pragma once
// File replacement that a crash or a full disk cannot tear: the new content
// goes to a temporary file in the same folder, is flushed, then renamed over
// the old one. Readers see the old file or the new one, never a mix.
#include <string>
#include <string_view>

namespace talmi {

// true when the whole content reached the disk under its final name.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::string_view content);

// Reads a whole file; false when it cannot be opened or read, or is larger
// than maxBytes.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& out,
                                 size_t maxBytes = 64u << 20);

// Identifiers that become file names (profile, macro, light effect ids, gun
// numbers): non-empty, at most 128 bytes, no path separator, no "..", no NUL,
// no control characters.
bool IsSafeFileIdentifier(std::string_view id);

}  // namespace talmi
