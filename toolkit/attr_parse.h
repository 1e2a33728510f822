#pragma once
// Parsing of skin attribute values. Malformed values never throw: each
// parser says whether it understood the text and leaves defaults otherwise.
#include <functional>
#include <string>
#include <string_view>

#include "toolkit/win_types.h"

namespace talmi {

// "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB" or plain hex.
bool ParseColor(std::string_view text, DWORD& out);
// Decimal integer with optional sign; trailing garbage is refused.
bool ParseInt(std::string_view text, int& out);
bool ParseBool(std::string_view text);
// "l,t,r,b"; one value fills all four.
bool ParseRect(std::string_view text, RECT& out);
// "cx,cy".
bool ParseSize(std::string_view text, SIZE& out);

// An attribute list: name="value" pairs separated by blanks; single quotes
// work as well. Stops at the first malformed pair; returns pairs seen.
int ForEachAttribute(std::string_view list,
                     const std::function<void(std::string_view, std::string_view)>& fn);

// "\" and "/" both separate folders in skin file names.
std::string NormalizePath(std::string_view path);
// A path relative to the folder (with or without a trailing "/").
std::string JoinPath(std::string_view folder, std::string_view file);
bool IsAbsolutePath(std::string_view path);

}  // namespace talmi
