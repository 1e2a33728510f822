#pragma once
// The colours and metrics of the default drawing (what a control looks like
// when its skin gives no image or colour of its own).
#include "toolkit/win_types.h"

namespace talmi {

inline constexpr DWORD kColorWindow = 0xFF16181D;
inline constexpr DWORD kColorSurface = 0xFF1F2229;
inline constexpr DWORD kColorRaised = 0xFF272B34;
inline constexpr DWORD kColorBorder = 0xFF343946;
inline constexpr DWORD kColorText = 0xFFE6E8EE;
inline constexpr DWORD kColorTextSecondary = 0xFF9AA3B2;
inline constexpr DWORD kColorTextDisabled = 0xFF5C6370;
inline constexpr DWORD kColorAccent = 0xFF2F9BFF;
inline constexpr DWORD kColorAccentPressed = 0xFF1F7AD6;
inline constexpr DWORD kColorAccentSelectedRow = 0x332F9BFF;
inline constexpr DWORD kColorSuccess = 0xFF30A46C;
inline constexpr DWORD kColorWarning = 0xFFF5A524;
inline constexpr DWORD kColorDanger = 0xFFE5484D;

// 96-DPI metrics.
inline constexpr int kButtonRadius = 6;
inline constexpr int kTabBarHeight = 2;
inline constexpr int kIndicatorSize = 16;
inline constexpr int kSliderTrack = 4;
inline constexpr int kSliderThumb = 14;
inline constexpr int kInputRadius = 4;
inline constexpr int kDefaultFontSize = 14;

}  // namespace talmi
