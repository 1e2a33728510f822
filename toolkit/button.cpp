#include "toolkit/button.h"

#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/layouts.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"

namespace talmi {

CButtonUI::CButtonUI() { m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

CDuiString CButtonUI::GetClass() const { return "ButtonUI"; }

void* CButtonUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_BUTTON) == 0) return this;
  return CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const { return IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0; }

bool CButtonUI::Activate() {
  if (!CControlUI::Activate()) return false;
  if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
  return true;
}

void CButtonUI::SetEnabled(bool enabled) {
  CControlUI::SetEnabled(enabled);
  if (!enabled) m_uButtonState = 0;
}

void CButtonUI::DoEvent(TEventUI& event) {
  if (!IsMouseEnabled() && event.Type > UIEVENT_FIRST && event.Type < UIEVENT_SETFOCUS) {
    if (m_pParent) m_pParent->DoEvent(event);
    return;
  }
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (PtInRect(m_rcItem, event.ptMouse) && IsEnabled()) {
        m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
        Invalidate();
      }
      if (event.Type == UIEVENT_DBLCLICK && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_DBCLICK);
      return;
    case UIEVENT_MOUSEMOVE:
      if (m_uButtonState & UISTATE_CAPTURED) {
        if (PtInRect(m_rcItem, event.ptMouse)) m_uButtonState |= UISTATE_PUSHED;
        else m_uButtonState &= ~UISTATE_PUSHED;
        Invalidate();
      }
      return;
    case UIEVENT_BUTTONUP:
      if (m_uButtonState & UISTATE_CAPTURED) {
        bool inside = PtInRect(m_rcItem, event.ptMouse);
        m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        Invalidate();
        if (inside) Activate();
      }
      return;
    case UIEVENT_MOUSEENTER:
      if (IsEnabled()) {
        m_uButtonState |= UISTATE_HOT;
        Invalidate();
      }
      break;
    case UIEVENT_MOUSELEAVE:
      m_uButtonState &= ~UISTATE_HOT;
      Invalidate();
      break;
    case UIEVENT_KEYDOWN:
      if (event.chKey == ' ' || event.chKey == '\r') {
        Activate();
        return;
      }
      break;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(const CDuiString& s) {
  m_sNormalImage = s;
  Invalidate();
}
void CButtonUI::SetHotImage(const CDuiString& s) {
  m_sHotImage = s;
  Invalidate();
}
void CButtonUI::SetPushedImage(const CDuiString& s) {
  m_sPushedImage = s;
  Invalidate();
}
void CButtonUI::SetDisabledImage(const CDuiString& s) {
  m_sDisabledImage = s;
  Invalidate();
}

void CButtonUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  DWORD c = 0;
  if (n == "normalimage") SetNormalImage(value);
  else if (n == "hotimage") SetHotImage(value);
  else if (n == "pushedimage") SetPushedImage(value);
  else if (n == "focusedimage") m_sFocusedImage = value;
  else if (n == "disabledimage") SetDisabledImage(value);
  else if (n == "hotforeimage") m_sHotForeImage = value;
  else if (n == "hotbkcolor") { if (ParseColor(v, c)) m_dwHotBkColor = c; }
  else if (n == "pushedbkcolor") { if (ParseColor(v, c)) m_dwPushedBkColor = c; }
  else if (n == "hottextcolor") { if (ParseColor(v, c)) m_dwHotTextColor = c; }
  else if (n == "pushedtextcolor") { if (ParseColor(v, c)) m_dwPushedTextColor = c; }
  else if (n == "focusedtextcolor") { if (ParseColor(v, c)) m_dwFocusedTextColor = c; }
  else if (n == "primary") m_bPrimary = ParseBool(v);
  else CLabelUI::SetAttribute(name, value);
}

void CButtonUI::PaintBorder(HDC hDC) {
  const bool ring = IsFocused() && IsEnabled() && m_nBorderSize == 0 && UsesDefaultFace() &&
                    !const_cast<CButtonUI*>(this)->GetInterface(DUI_CTR_OPTION);
  if (!ring) {
    CLabelUI::PaintBorder(hDC);
    return;
  }
  const int radius = m_cxyBorderRound.cx ? GetBorderRound().cx : Scale(kButtonRadius);
  CRenderEngine::DrawBorder(hDC, m_rcItem, Scale(1) > 1 ? Scale(1) : 1, m_bPrimary ? kColorText : kColorAccent,
                            radius);
}

bool CButtonUI::UsesDefaultFace() const {
  return m_sNormalImage.IsEmpty() && m_sBkImage.IsEmpty() && !m_bBkColorSet;
}

void CButtonUI::PaintBkColor(HDC hDC) {
  const int radius = m_cxyBorderRound.cx ? GetBorderRound().cx : Scale(kButtonRadius);
  if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedBkColor) {
    CRenderEngine::DrawColor(hDC, m_rcItem, m_dwPushedBkColor, radius);
    return;
  }
  if ((m_uButtonState & UISTATE_HOT) && m_dwHotBkColor) {
    CRenderEngine::DrawColor(hDC, m_rcItem, m_dwHotBkColor, radius);
    return;
  }
  if (!UsesDefaultFace()) {
    CControlUI::PaintBkColor(hDC);
    return;
  }
  DWORD face = m_bPrimary ? kColorAccent : kColorRaised;
  if (m_uButtonState & UISTATE_PUSHED) face = m_bPrimary ? kColorAccentPressed : kColorBorder;
  else if (m_uButtonState & UISTATE_HOT) face = m_bPrimary ? kColorAccent : kColorBorder;
  if (!IsEnabled()) face = kColorSurface;
  CRenderEngine::DrawColor(hDC, m_rcItem, face, radius);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
  if (!IsEnabled() && DrawImage(hDC, m_sDisabledImage)) return;
  if ((m_uButtonState & UISTATE_PUSHED) && DrawImage(hDC, m_sPushedImage)) return;
  if ((m_uButtonState & UISTATE_HOT) && DrawImage(hDC, m_sHotImage)) return;
  if (IsFocused() && DrawImage(hDC, m_sFocusedImage)) return;
  DrawImage(hDC, m_sNormalImage);
  if ((m_uButtonState & UISTATE_HOT)) DrawImage(hDC, m_sHotForeImage);
}

DWORD CButtonUI::CurrentTextColor() const {
  if (IsEnabled()) {
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor) return m_dwPushedTextColor;
    if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor) return m_dwHotTextColor;
    if (IsFocused() && m_dwFocusedTextColor) return m_dwFocusedTextColor;
  }
  return CLabelUI::CurrentTextColor();
}

COptionUI::~COptionUI() = default;

CDuiString COptionUI::GetClass() const { return "OptionUI"; }

void* COptionUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_OPTION) == 0) return this;
  return CButtonUI::GetInterface(name);
}

void COptionUI::SetGroup(const CDuiString& group) {
  m_sGroupName = group;
  if (m_bSelected && !group.IsEmpty()) {
    m_bSelected = false;
    Selected(true, false);
  }
}

namespace {

struct GroupSearch {
  const CDuiString* group;
  COptionUI* self;
};

// Clears the other selected options of a group; never stops the walk.
CControlUI* ClearGroupMember(CControlUI* c, void* data) {
  auto* s = static_cast<GroupSearch*>(data);
  auto* opt = static_cast<COptionUI*>(c->GetInterface(DUI_CTR_OPTION));
  if (opt && opt != s->self && opt->IsSelected() && opt->GetGroup() == *s->group)
    opt->Selected(false, false);
  return nullptr;
}

}  // namespace

void COptionUI::Selected(bool selected, bool triggerEvent) {
  if (m_bSelected == selected) return;
  m_bSelected = selected;
  if (selected) m_uButtonState |= UISTATE_SELECTED;
  else m_uButtonState &= ~UISTATE_SELECTED;
  if (selected && m_pManager && !m_sGroupName.IsEmpty() && m_pManager->GetRoot()) {
    GroupSearch s{&m_sGroupName, this};
    m_pManager->GetRoot()->FindControl(ClearGroupMember, &s, UIFIND_ALL);
  }
  if (selected) SelectBoundTab();
  Invalidate();
  if (triggerEvent && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED);
}

void COptionUI::SelectBoundTab() {
  if (m_iBindTabIndex < 0 || m_sBindTabLayoutName.IsEmpty() || !m_pManager) return;
  CControlUI* c = m_pManager->FindControl(m_sBindTabLayoutName);
  auto* tab = c ? static_cast<CTabLayoutUI*>(c->GetInterface(DUI_CTR_TABLAYOUT)) : nullptr;
  if (tab) tab->SelectItem(m_iBindTabIndex);
}

bool COptionUI::Activate() {
  if (!CButtonUI::Activate()) return false;
  if (!m_sGroupName.IsEmpty()) Selected(true);
  else Selected(!m_bSelected);
  return true;
}

void COptionUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
  CButtonUI::SetManager(pManager, pParent, bInit);
}

void COptionUI::SetSelectedImage(const CDuiString& s) {
  m_sSelectedImage = s;
  Invalidate();
}

void COptionUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  DWORD c = 0;
  int i = 0;
  if (n == "group") SetGroup(value);
  else if (n == "selected") Selected(ParseBool(v), false);
  else if (n == "selectedimage") SetSelectedImage(value);
  else if (n == "selectedhotimage") m_sSelectedHotImage = value;
  else if (n == "selectedforeimage") m_sSelectedForeImage = value;
  else if (n == "selectedtextcolor") { if (ParseColor(v, c)) m_dwSelectedTextColor = c; }
  else if (n == "selectedbkcolor") { if (ParseColor(v, c)) m_dwSelectedBkColor = c; }
  else if (n == "bindtabindex") { if (ParseInt(v, i)) BindTabIndex(i); }
  else if (n == "bindtablayoutname") BindTabLayoutName(value);
  else if (n == "look") {
    if (v == "tab") m_look = Look::Tab;
    else if (v == "check") m_look = Look::Check;
    else if (v == "radio") m_look = Look::Radio;
    else m_look = Look::Automatic;
  } else CButtonUI::SetAttribute(name, value);
}

void COptionUI::PaintBkColor(HDC hDC) {
  if (m_bSelected && m_dwSelectedBkColor) {
    CRenderEngine::DrawColor(hDC, m_rcItem, m_dwSelectedBkColor, GetBorderRound().cx);
    return;
  }
  // Options have no raised face of their own: tabs and check marks sit on
  // the panel.
  if (!UsesDefaultFace()) CButtonUI::PaintBkColor(hDC);
  else if ((m_uButtonState & UISTATE_HOT) && m_dwHotBkColor)
    CRenderEngine::DrawColor(hDC, m_rcItem, m_dwHotBkColor, GetBorderRound().cx);
}

void COptionUI::PaintDefaultIndicator(HDC hDC) {
  Look look = m_look;
  if (look == Look::Automatic) look = m_sGroupName.IsEmpty() ? Look::Check : Look::Tab;
  if (look == Look::Tab) {
    if (!m_bSelected) return;
    const int bar = Scale(kTabBarHeight);
    RECT r{m_rcItem.left, m_rcItem.bottom - bar, m_rcItem.right, m_rcItem.bottom};
    CRenderEngine::DrawColor(hDC, r, kColorAccent);
    return;
  }
  const int box = Scale(kIndicatorSize);
  RECT pad = GetTextPadding();
  int top = m_rcItem.top + (RectHeight(m_rcItem) - box) / 2;
  RECT r{m_rcItem.left + pad.left, top, m_rcItem.left + pad.left + box, top + box};
  if (pad.left >= box) r = RECT{m_rcItem.left, top, m_rcItem.left + box, top + box};
  if (look == Look::Radio) {
    CRenderEngine::DrawEllipse(hDC, r, kColorRaised, Scale(1), m_bSelected ? kColorAccent : kColorBorder);
    if (m_bSelected) {
      int inset = box / 4;
      RECT dot{r.left + inset, r.top + inset, r.right - inset, r.bottom - inset};
      CRenderEngine::DrawEllipse(hDC, dot, kColorAccent);
    }
    return;
  }
  CRenderEngine::DrawColor(hDC, r, m_bSelected ? kColorAccent : kColorRaised, Scale(3));
  if (!m_bSelected) {
    CRenderEngine::DrawBorder(hDC, r, Scale(1), kColorBorder, Scale(3));
    return;
  }
  // The check mark.
  const int w = RectWidth(r), h = RectHeight(r);
  const POINT p0{r.left + w * 4 / 16, r.top + h * 8 / 16};
  const POINT p1{r.left + w * 7 / 16, r.top + h * 11 / 16};
  const POINT p2{r.left + w * 12 / 16, r.top + h * 5 / 16};
  CRenderEngine::DrawLine(hDC, RECT{p0.x, p0.y, p1.x, p1.y}, Scale(2), kColorText);
  CRenderEngine::DrawLine(hDC, RECT{p1.x, p1.y, p2.x, p2.y}, Scale(2), kColorText);
}

void COptionUI::PaintText(HDC hDC) {
  const Look look = m_look == Look::Automatic ? (m_sGroupName.IsEmpty() ? Look::Check : Look::Tab) : m_look;
  const bool indicator = look != Look::Tab && UsesDefaultFace() && m_sSelectedImage.IsEmpty();
  if (!indicator) {
    CButtonUI::PaintText(hDC);
    return;
  }
  const CDuiString text = GetText();
  if (text.IsEmpty()) return;
  // Same place as PaintDefaultIndicator's box, then a gap.
  const int box = Scale(kIndicatorSize);
  const RECT pad = GetTextPadding();
  const int boxLeft = pad.left >= box ? m_rcItem.left : m_rcItem.left + pad.left;
  RECT r{boxLeft + box + Scale(6), m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
  if (r.right <= r.left) return;
  const UINT style = (m_uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_END_ELLIPSIS;
  CRenderEngine::DrawText(hDC, m_pManager, r, text, CurrentTextColor(), m_iFont, style);
}

void COptionUI::PaintStatusImage(HDC hDC) {
  if (m_bSelected) {
    bool drawn = false;
    if ((m_uButtonState & UISTATE_HOT) && DrawImage(hDC, m_sSelectedHotImage)) drawn = true;
    else if (DrawImage(hDC, m_sSelectedImage)) drawn = true;
    DrawImage(hDC, m_sSelectedForeImage);
    if (drawn) return;
  }
  if (UsesDefaultFace() && m_sSelectedImage.IsEmpty()) {
    PaintDefaultIndicator(hDC);
    return;
  }
  if (!m_bSelected) CButtonUI::PaintStatusImage(hDC);
}

DWORD COptionUI::CurrentTextColor() const {
  if (m_bSelected && IsEnabled()) {
    if (m_dwSelectedTextColor) return m_dwSelectedTextColor;
  }
  return CButtonUI::CurrentTextColor();
}

}  // namespace talmi
