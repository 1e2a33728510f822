#pragma once
// Comparing names without regard to case: Unicode simple case folding
// (one code point to one code point) for Latin, Greek, Cyrillic, Armenian
// and the full-width Latin letters. Text is UTF-8; invalid bytes are kept
// as they are, so folding never loses or merges broken input.
#include <string>
#include <string_view>

namespace talmi {

// The simple case fold of one code point (itself when it has none).
char32_t FoldCodePoint(char32_t cp);

// The folded form of a UTF-8 text.
std::string FoldCase(std::string_view utf8);

// true when both texts have the same folded form.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace talmi
