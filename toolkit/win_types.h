#pragma once
// The small Windows-style value types the toolkit's interface is written in.
// They keep Qt out of every public header.
#include <cstdint>

namespace talmi {

using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using LONG = int;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Window handles are opaque, unique for the life of the process and never
// reused, so a stale handle can never reach a newer window.
struct HWND__;
using HWND = HWND__*;
// The module instance handed to the toolkit; only its existence matters here.
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

inline LONG RectWidth(const RECT& r) { return r.right - r.left; }
inline LONG RectHeight(const RECT& r) { return r.bottom - r.top; }
inline bool IsRectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
inline bool PtInRect(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
// False (and an empty result) when the two do not overlap.
inline bool IntersectRect(RECT& out, const RECT& a, const RECT& b) {
  out.left = a.left > b.left ? a.left : b.left;
  out.top = a.top > b.top ? a.top : b.top;
  out.right = a.right < b.right ? a.right : b.right;
  out.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
  if (IsRectEmpty(out)) {
    out = RECT{};
    return false;
  }
  return true;
}

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(hi & 0xFFFF) << 16) |
                             static_cast<std::uint32_t>(lo & 0xFFFF));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return static_cast<WPARAM>(MAKELPARAM(lo, hi)); }
// Signed coordinates packed in an LPARAM (mouse messages).
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<short>(l & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<short>((l >> 16) & 0xFFFF); }

// Colours are 32-bit ARGB throughout.
constexpr BYTE ColorAlpha(DWORD c) { return static_cast<BYTE>(c >> 24); }
constexpr BYTE ColorRed(DWORD c) { return static_cast<BYTE>(c >> 16); }
constexpr BYTE ColorGreen(DWORD c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE ColorBlue(DWORD c) { return static_cast<BYTE>(c); }
constexpr DWORD MakeArgb(BYTE a, BYTE r, BYTE g, BYTE b) {
  return (DWORD(a) << 24) | (DWORD(r) << 16) | (DWORD(g) << 8) | DWORD(b);
}

}  // namespace talmi
