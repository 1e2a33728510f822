#include "toolkit/color_palette.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"

namespace talmi {

CColorPaletteUI::CColorPaletteUI() = default;

CDuiString CColorPaletteUI::GetClass() const { return "ColorPaletteUI"; }

void* CColorPaletteUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_COLORPALETTE) == 0) return this;
  return CControlUI::GetInterface(name);
}

DWORD CColorPaletteUI::HsbToArgb(int hue, int sat, int bright) {
  hue = ((hue % 360) + 360) % 360;
  const double s = std::clamp(sat, 0, 100) / 100.0;
  const double v = std::clamp(bright, 0, 100) / 100.0;
  const double c = v * s;
  const double x = c * (1 - std::fabs(std::fmod(hue / 60.0, 2) - 1));
  const double m = v - c;
  double r = 0, g = 0, b = 0;
  switch (hue / 60) {
    case 0: r = c; g = x; break;
    case 1: r = x; g = c; break;
    case 2: g = c; b = x; break;
    case 3: g = x; b = c; break;
    case 4: r = x; b = c; break;
    default: r = c; b = x; break;
  }
  auto to8 = [m](double f) { return static_cast<BYTE>(std::lround((f + m) * 255.0)); };
  return MakeArgb(0xFF, to8(r), to8(g), to8(b));
}

void CColorPaletteUI::ArgbToHsb(DWORD color, int& hue, int& sat, int& bright) {
  const double r = ColorRed(color) / 255.0, g = ColorGreen(color) / 255.0, b = ColorBlue(color) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const double d = mx - mn;
  double h = 0;
  if (d > 0) {
    if (mx == r) h = 60 * std::fmod((g - b) / d, 6);
    else if (mx == g) h = 60 * ((b - r) / d + 2);
    else h = 60 * ((r - g) / d + 4);
  }
  if (h < 0) h += 360;
  hue = static_cast<int>(std::lround(h)) % 360;
  sat = mx > 0 ? static_cast<int>(std::lround(d / mx * 100)) : 0;
  bright = static_cast<int>(std::lround(mx * 100));
}

void CColorPaletteUI::SetSelectColor(DWORD color) {
  color |= 0xFF000000u;
  m_dwSelectColor = color;
  ArgbToHsb(color, m_iHue, m_iSat, m_iBright);
  Invalidate();
}

RECT CColorPaletteUI::GetPaletteRect() const {
  RECT r = m_rcItem;
  r.bottom = std::min<LONG>(r.top + Scale(m_iPalletHeight), m_rcItem.bottom - Scale(m_iBarHeight) - Scale(8));
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

RECT CColorPaletteUI::GetHueBarRect() const {
  RECT r = m_rcItem;
  r.top = r.bottom - Scale(m_iBarHeight);
  return r;
}

bool CColorPaletteUI::PickAt(POINT pt) {
  RECT pal = GetPaletteRect();
  RECT bar = GetHueBarRect();
  const DWORD before = m_dwSelectColor;
  if (PtInRect(pal, pt) && RectWidth(pal) > 1 && RectHeight(pal) > 1) {
    m_iSat = static_cast<int>((pt.x - pal.left) * 100 / (RectWidth(pal) - 1));
    m_iBright = 100 - static_cast<int>((pt.y - pal.top) * 100 / (RectHeight(pal) - 1));
  } else if (PtInRect(bar, pt) && RectWidth(bar) > 1) {
    m_iHue = static_cast<int>((pt.x - bar.left) * 359 / (RectWidth(bar) - 1));
  } else {
    return false;
  }
  m_iSat = std::clamp(m_iSat, 0, 100);
  m_iBright = std::clamp(m_iBright, 0, 100);
  m_dwSelectColor = HsbToArgb(m_iHue, m_iSat, m_iBright);
  Invalidate();
  if (m_dwSelectColor != before && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_COLORCHANGED);
  return true;
}

// A drag that leaves its area keeps following the mouse along the edge.
bool CColorPaletteUI::PickDrag(POINT pt) {
  RECT r = m_captureArea == Area::Field ? GetPaletteRect() : m_captureArea == Area::HueBar ? GetHueBarRect() : RECT{};
  if (RectWidth(r) <= 0 || RectHeight(r) <= 0) return false;
  pt.x = std::clamp<LONG>(pt.x, r.left, r.right - 1);
  pt.y = std::clamp<LONG>(pt.y, r.top, r.bottom - 1);
  return PickAt(pt);
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
      if (!IsEnabled()) return;
      m_captureArea = PtInRect(GetPaletteRect(), event.ptMouse) ? Area::Field
                      : PtInRect(GetHueBarRect(), event.ptMouse) ? Area::HueBar
                                                                 : Area::None;
      m_bCaptured = PickAt(event.ptMouse);
      if (!m_bCaptured) m_captureArea = Area::None;
      return;
    case UIEVENT_MOUSEMOVE:
      if (m_bCaptured) PickDrag(event.ptMouse);
      return;
    case UIEVENT_BUTTONUP:
      if (m_bCaptured) PickDrag(event.ptMouse);
      m_bCaptured = false;
      m_captureArea = Area::None;
      return;
    default:
      break;
  }
  CControlUI::DoEvent(event);
}

void CColorPaletteUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  int i = 0;
  DWORD c = 0;
  if (n == "palletheight") { if (ParseInt(v, i) && i >= 0) m_iPalletHeight = i; }
  else if (n == "barheight") { if (ParseInt(v, i) && i >= 0) m_iBarHeight = i; }
  else if (n == "thumbimage") m_sThumbImage = value;
  else if (n == "selectcolor") { if (ParseColor(v, c)) SetSelectColor(c); }
  else CControlUI::SetAttribute(name, value);
}

void CColorPaletteUI::PaintBkColor(HDC hDC) {
  CControlUI::PaintBkColor(hDC);
  CRenderEngine::DrawHsbSquare(hDC, GetPaletteRect(), m_iHue);
  CRenderEngine::DrawHueBar(hDC, GetHueBarRect());
}

void CColorPaletteUI::PaintStatusImage(HDC hDC) {
  RECT pal = GetPaletteRect();
  RECT bar = GetHueBarRect();
  const int r = Scale(5);
  int x = pal.left + m_iSat * (RectWidth(pal) - 1) / 100;
  int y = pal.top + (100 - m_iBright) * (RectHeight(pal) - 1) / 100;
  RECT mark{x - r, y - r, x + r, y + r};
  if (!m_sThumbImage.IsEmpty()) CRenderEngine::DrawImageString(hDC, m_pManager, mark, m_rcPaint, m_sThumbImage);
  else CRenderEngine::DrawEllipse(hDC, mark, 0, Scale(2), kColorText);
  int hx = bar.left + m_iHue * (RectWidth(bar) - 1) / 359;
  RECT hueMark{hx - Scale(2), bar.top - Scale(2), hx + Scale(2), bar.bottom + Scale(2)};
  CRenderEngine::DrawColor(hDC, hueMark, kColorText, Scale(1));
}

}  // namespace talmi
