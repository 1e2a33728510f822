#include "toolkit/progress.h"

#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/button.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"

namespace talmi {

CProgressUI::CProgressUI() { m_uTextStyle = DT_SINGLELINE | DT_CENTER | DT_VCENTER; }

CDuiString CProgressUI::GetClass() const { return "ProgressUI"; }

void* CProgressUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_PROGRESS) == 0) return this;
  return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool on) {
  m_bHorizontal = on;
  Invalidate();
}

void CProgressUI::SetMinValue(int v) {
  m_nMin = v;
  if (m_nMax < m_nMin) m_nMax = m_nMin;
  SetValue(m_nValue);
  Invalidate();
}

void CProgressUI::SetMaxValue(int v) {
  m_nMax = v;
  if (m_nMin > m_nMax) m_nMin = m_nMax;
  SetValue(m_nValue);
  Invalidate();
}

void CProgressUI::SetValue(int v) {
  if (v < m_nMin) v = m_nMin;
  if (v > m_nMax) v = m_nMax;
  if (v == m_nValue) return;
  m_nValue = v;
  Invalidate();
}

void CProgressUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  int i = 0;
  if (n == "hor") SetHorizontal(ParseBool(v));
  else if (n == "min") { if (ParseInt(v, i)) SetMinValue(i); }
  else if (n == "max") { if (ParseInt(v, i)) SetMaxValue(i); }
  else if (n == "value") { if (ParseInt(v, i)) SetValue(i); }
  else if (n == "isstretchfore") m_bStretchForeImage = ParseBool(v);
  else CLabelUI::SetAttribute(name, value);
}

RECT CProgressUI::ValueRect(const RECT& rc) const {
  RECT r = rc;
  const long long range = static_cast<long long>(m_nMax) - m_nMin;
  if (range <= 0) return RECT{rc.left, rc.top, rc.left, rc.bottom};
  const long long part = static_cast<long long>(m_nValue) - m_nMin;
  if (m_bHorizontal) r.right = r.left + static_cast<LONG>(RectWidth(rc) * part / range);
  else r.top = r.bottom - static_cast<LONG>(RectHeight(rc) * part / range);
  return r;
}

void CProgressUI::PaintBkColor(HDC hDC) {
  if (ColorAlpha(m_dwBackColor) || !m_sBkImage.IsEmpty()) {
    CLabelUI::PaintBkColor(hDC);
    return;
  }
  int radius = (m_bHorizontal ? RectHeight(m_rcItem) : RectWidth(m_rcItem)) / 2;
  CRenderEngine::DrawColor(hDC, m_rcItem, kColorRaised, radius);
}

void CProgressUI::PaintForeColor(HDC hDC) {
  if (!m_sForeImage.IsEmpty()) return;
  DWORD color = ColorAlpha(m_dwForeColor) ? m_dwForeColor : kColorAccent;
  RECT r = ValueRect(m_rcItem);
  if (IsRectEmpty(r)) return;
  int radius = (m_bHorizontal ? RectHeight(m_rcItem) : RectWidth(m_rcItem)) / 2;
  CRenderEngine::DrawColor(hDC, r, color, radius);
}

void CProgressUI::PaintStatusImage(HDC hDC) {
  if (m_sForeImage.IsEmpty()) return;
  RECT r = ValueRect(m_rcItem);
  if (IsRectEmpty(r)) return;
  if (m_bStretchForeImage) {
    CRenderEngine::DrawImageString(hDC, m_pManager, r, m_rcPaint, m_sForeImage);
    return;
  }
  // Unstretched: the image stays put and is uncovered as the value grows.
  RECT clip{};
  if (!IntersectRect(clip, r, m_rcPaint)) return;
  CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, clip, m_sForeImage);
}

void CProgressUI::PaintForeImage(HDC) {}

CSliderUI::CSliderUI() { m_uTextStyle = DT_SINGLELINE | DT_CENTER; }

CDuiString CSliderUI::GetClass() const { return "SliderUI"; }

void* CSliderUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_SLIDER) == 0) return this;
  return CProgressUI::GetInterface(name);
}

UINT CSliderUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR | UIFLAG_TABSTOP : 0; }

void CSliderUI::SetEnabled(bool enabled) {
  CProgressUI::SetEnabled(enabled);
  if (!enabled) m_uButtonState = 0;
}

RECT CSliderUI::TrackRect() const {
  // The thumb's centre travels between the ends, half a thumb in.
  SIZE thumb{Scale(m_szThumb.cx), Scale(m_szThumb.cy)};
  RECT r = m_rcItem;
  if (m_bHorizontal) {
    r.left += thumb.cx / 2;
    r.right -= thumb.cx - thumb.cx / 2;
  } else {
    r.top += thumb.cy / 2;
    r.bottom -= thumb.cy - thumb.cy / 2;
  }
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

RECT CSliderUI::GetThumbRect() const {
  SIZE thumb{Scale(m_szThumb.cx), Scale(m_szThumb.cy)};
  RECT track = TrackRect();
  RECT v = ValueRect(track);
  if (m_bHorizontal) {
    int cx = v.right;
    int cy = (m_rcItem.top + m_rcItem.bottom) / 2;
    return RECT{cx - thumb.cx / 2, cy - thumb.cy / 2, cx - thumb.cx / 2 + thumb.cx, cy - thumb.cy / 2 + thumb.cy};
  }
  int cy = v.top;
  int cx = (m_rcItem.left + m_rcItem.right) / 2;
  return RECT{cx - thumb.cx / 2, cy - thumb.cy / 2, cx - thumb.cx / 2 + thumb.cx, cy - thumb.cy / 2 + thumb.cy};
}

int CSliderUI::ValueAt(POINT pt) const {
  RECT track = TrackRect();
  const long long range = static_cast<long long>(m_nMax) - m_nMin;
  long long offset = 0, length = 0;
  if (m_bHorizontal) {
    offset = pt.x - track.left;
    length = RectWidth(track);
  } else {
    offset = track.bottom - pt.y;
    length = RectHeight(track);
  }
  if (length <= 0 || range <= 0) return m_nMin;
  if (offset < 0) offset = 0;
  if (offset > length) offset = length;
  long long v = m_nMin + (offset * range + length / 2) / length;
  // Snap to the step.
  if (m_nStep > 1) v = m_nMin + ((v - m_nMin + m_nStep / 2) / m_nStep) * m_nStep;
  if (v > m_nMax) v = m_nMax;
  return static_cast<int>(v);
}

void CSliderUI::DoEvent(TEventUI& event) {
  if (!IsMouseEnabled() && event.Type > UIEVENT_FIRST && event.Type < UIEVENT_SETFOCUS) {
    if (m_pParent) m_pParent->DoEvent(event);
    return;
  }
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (IsEnabled() && PtInRect(m_rcItem, event.ptMouse)) {
        m_uButtonState |= UISTATE_CAPTURED;
        // Grabbing the thumb keeps the value; the drag moves it from there.
        // A press on the track jumps the thumb under the pointer.
        const RECT thumb = GetThumbRect();
        m_ptGrab = POINT{0, 0};
        if (PtInRect(thumb, event.ptMouse))
          m_ptGrab = POINT{event.ptMouse.x - (thumb.left + thumb.right) / 2, event.ptMouse.y - (thumb.top + thumb.bottom) / 2};
        SetValue(ValueAt(Grabbed(event.ptMouse)));
        if (m_bSendMove && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MOVEVALUECHANGED);
      }
      return;
    case UIEVENT_MOUSEMOVE:
      if (m_uButtonState & UISTATE_CAPTURED) {
        int before = m_nValue;
        SetValue(ValueAt(Grabbed(event.ptMouse)));
        if (m_bSendMove && before != m_nValue && m_pManager)
          m_pManager->SendNotify(this, DUI_MSGTYPE_MOVEVALUECHANGED);
      }
      return;
    case UIEVENT_BUTTONUP:
      if (m_uButtonState & UISTATE_CAPTURED) {
        m_uButtonState &= ~UISTATE_CAPTURED;
        SetValue(ValueAt(Grabbed(event.ptMouse)));
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
      }
      return;
    case UIEVENT_SCROLLWHEEL:
      if (IsEnabled()) {
        SetValue(m_nValue + (static_cast<short>(HIWORD(event.wParam)) > 0 ? m_nStep : -m_nStep));
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
      }
      return;
    case UIEVENT_KEYDOWN:
      if (IsEnabled() && HandleKey(event.chKey)) return;
      break;
    case UIEVENT_MOUSEENTER:
      m_uButtonState |= UISTATE_HOT;
      Invalidate();
      break;
    case UIEVENT_MOUSELEAVE:
      m_uButtonState &= ~UISTATE_HOT;
      Invalidate();
      break;
    default:
      break;
  }
  CProgressUI::DoEvent(event);
}

bool CSliderUI::HandleKey(WPARAM key) {
  constexpr WPARAM kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
  int target = m_nValue;
  if (key == kLeft || key == kDown) target -= m_nStep;
  else if (key == kRight || key == kUp) target += m_nStep;
  else if (key == kHome) target = m_nMin;
  else if (key == kEnd) target = m_nMax;
  else return false;
  const int before = m_nValue;
  SetValue(target);
  if (m_nValue != before && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED);
  return true;
}

void CSliderUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  int i = 0;
  SIZE sz{};
  DWORD c = 0;
  if (n == "step") { if (ParseInt(v, i)) SetChangeStep(i); }
  else if (n == "thumbsize") { if (ParseSize(v, sz)) SetThumbSize(sz); }
  else if (n == "thumbimage") SetThumbImage(value);
  else if (n == "thumbhotimage") m_sThumbHotImage = value;
  else if (n == "thumbpushedimage") m_sThumbPushedImage = value;
  else if (n == "thumbcolor") { if (ParseColor(v, c)) SetThumbColor(c); }
  else if (n == "sendmove") SetCanSendMove(ParseBool(v));
  else CProgressUI::SetAttribute(name, value);
}

namespace {

RECT TrackBand(const RECT& track, const RECT& item, bool horizontal, int thickness) {
  if (horizontal) {
    int cy = (item.top + item.bottom) / 2;
    return RECT{track.left, cy - thickness / 2, track.right, cy - thickness / 2 + thickness};
  }
  int cx = (item.left + item.right) / 2;
  return RECT{cx - thickness / 2, track.top, cx - thickness / 2 + thickness, track.bottom};
}

}  // namespace

void CSliderUI::PaintBkColor(HDC hDC) {
  if (ColorAlpha(m_dwBackColor) || !m_sBkImage.IsEmpty()) {
    CLabelUI::PaintBkColor(hDC);
    return;
  }
  const int t = Scale(kSliderTrack);
  CRenderEngine::DrawColor(hDC, TrackBand(TrackRect(), m_rcItem, m_bHorizontal, t), kColorBorder, t / 2);
}

void CSliderUI::PaintForeColor(HDC hDC) {
  if (!m_sForeImage.IsEmpty()) return;
  const int t = Scale(kSliderTrack);
  RECT band = TrackBand(TrackRect(), m_rcItem, m_bHorizontal, t);
  RECT fill = ValueRect(band);
  if (IsRectEmpty(fill)) return;
  DWORD color = ColorAlpha(m_dwForeColor) ? m_dwForeColor : kColorAccent;
  if (!IsEnabled()) color = kColorTextDisabled;
  CRenderEngine::DrawColor(hDC, fill, color, t / 2);
}

void CSliderUI::PaintStatusImage(HDC hDC) {
  CProgressUI::PaintStatusImage(hDC);
  RECT thumb = GetThumbRect();
  CDuiString image = m_sThumbImage;
  if ((m_uButtonState & UISTATE_CAPTURED) && !m_sThumbPushedImage.IsEmpty()) image = m_sThumbPushedImage;
  else if ((m_uButtonState & UISTATE_HOT) && !m_sThumbHotImage.IsEmpty()) image = m_sThumbHotImage;
  if (!image.IsEmpty()) {
    CRenderEngine::DrawImageString(hDC, m_pManager, thumb, m_rcPaint, image);
    return;
  }
  DWORD color = ColorAlpha(m_dwThumbColor) ? m_dwThumbColor : kColorAccent;
  if (!IsEnabled()) color = kColorTextDisabled;
  CRenderEngine::DrawEllipse(hDC, thumb, color);
}

}  // namespace talmi
