#include "toolkit/control.h"

#include <cstring>

#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/resource_manager.h"

namespace talmi {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  if (m_pManager) m_pManager->ReapObjects(this);
}

CDuiString CControlUI::GetClass() const { return "ControlUI"; }

void* CControlUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_CONTROL) == 0) return this;
  return nullptr;
}

void CControlUI::SetName(const CDuiString& name) {
  m_sName = name;
  if (m_pManager) m_pManager->NameChanged();
}

CDuiString CControlUI::GetVirtualWnd() const {
  if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
  return m_pParent ? m_pParent->GetVirtualWnd() : CDuiString();
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
  if (m_pManager && m_pManager != pManager) m_pManager->ReapObjects(this);
  m_pManager = pManager;
  m_pParent = pParent;
  if (m_pManager) m_pManager->NameChanged();
  if (bInit && m_pParent) Init();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags) {
  if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
  if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
  if ((flags & UIFIND_HITTEST) && (!m_bMouseEnabled || !PtInRect(m_rcItem, *static_cast<POINT*>(data))))
    return nullptr;
  return proc(this, data);
}

CDuiString CControlUI::GetText() const { return CResourceManager::Translate(m_sText, m_bResourceText); }

void CControlUI::SetText(const CDuiString& text) {
  if (m_sText == text) return;
  m_sText = text;
  Invalidate();
}

void CControlUI::SetResourceText(bool on) {
  if (m_bResourceText == on) return;
  m_bResourceText = on;
  Invalidate();
}

CDuiString CControlUI::GetToolTip() const { return CResourceManager::Translate(m_sToolTip, m_bResourceText); }

void CControlUI::SetToolTip(const CDuiString& text) { m_sToolTip = text; }

void CControlUI::SetBkColor(DWORD color) {
  m_bBkColorSet = true;
  if (m_dwBackColor == color) return;
  m_dwBackColor = color;
  Invalidate();
}

void CControlUI::SetBkImage(const CDuiString& image) {
  if (m_sBkImage == image) return;
  m_sBkImage = image;
  Invalidate();
}

void CControlUI::SetForeImage(const CDuiString& image) {
  m_sForeImage = image;
  Invalidate();
}

void CControlUI::SetBorderColor(DWORD color) {
  m_dwBorderColor = color;
  Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD color) {
  m_dwFocusBorderColor = color;
  Invalidate();
}

int CControlUI::GetBorderSize() const { return Scale(m_nBorderSize); }

void CControlUI::SetBorderSize(int size) {
  m_nBorderSize = size < 0 ? 0 : size;
  Invalidate();
}

SIZE CControlUI::GetBorderRound() const {
  return SIZE{Scale(m_cxyBorderRound.cx), Scale(m_cxyBorderRound.cy)};
}

void CControlUI::SetBorderRound(SIZE round) {
  m_cxyBorderRound = round;
  Invalidate();
}

bool CControlUI::DrawImage(HDC hDC, const CDuiString& description) {
  if (description.IsEmpty()) return false;
  return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, description);
}

int CControlUI::Scale(int v) const { return m_pManager ? m_pManager->ScaleValue(v) : v; }

RECT CControlUI::Scale(RECT rc) const { return m_pManager ? m_pManager->ScaleRect(rc) : rc; }

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate) {
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  if (bNeedInvalidate && !(rc == m_rcItem)) Invalidate();
  m_rcItem = rc;
  m_bUpdateNeeded = false;
  if (bNeedInvalidate) Invalidate();
}

RECT CControlUI::GetPadding() const { return Scale(m_rcPadding); }

void CControlUI::SetPadding(RECT rc) {
  m_rcPadding = rc;
  NeedParentUpdate();
}

int CControlUI::GetFixedWidth() const { return Scale(m_cxyFixed.cx); }

void CControlUI::SetFixedWidth(int cx) {
  if (cx < 0) return;
  m_cxyFixed.cx = cx;
  NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const { return Scale(m_cxyFixed.cy); }

void CControlUI::SetFixedHeight(int cy) {
  if (cy < 0) return;
  m_cxyFixed.cy = cy;
  NeedParentUpdate();
}

int CControlUI::GetMinWidth() const { return Scale(m_cxyMin.cx); }
void CControlUI::SetMinWidth(int cx) {
  if (cx < 0) return;
  m_cxyMin.cx = cx;
  NeedParentUpdate();
}
int CControlUI::GetMaxWidth() const { return m_cxyMax.cx >= 9999 ? 9999 : Scale(m_cxyMax.cx); }
void CControlUI::SetMaxWidth(int cx) {
  if (cx < 0) return;
  m_cxyMax.cx = cx;
  NeedParentUpdate();
}
int CControlUI::GetMinHeight() const { return Scale(m_cxyMin.cy); }
void CControlUI::SetMinHeight(int cy) {
  if (cy < 0) return;
  m_cxyMin.cy = cy;
  NeedParentUpdate();
}
int CControlUI::GetMaxHeight() const { return m_cxyMax.cy >= 9999 ? 9999 : Scale(m_cxyMax.cy); }
void CControlUI::SetMaxHeight(int cy) {
  if (cy < 0) return;
  m_cxyMax.cy = cy;
  NeedParentUpdate();
}

void CControlUI::SetFloat(bool on) {
  m_bFloat = on;
  NeedParentUpdate();
}

RECT CControlUI::GetFloatPos() const { return Scale(m_rcFloat); }

void CControlUI::SetFloatPos(RECT rc) {
  m_rcFloat = rc;
  m_cxyFixed = SIZE{rc.right - rc.left, rc.bottom - rc.top};
  NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE) { return SIZE{GetFixedWidth(), GetFixedHeight()}; }

void CControlUI::SetVisible(bool visible) {
  if (m_bVisible == visible) return;
  bool wasFocused = m_bFocused;
  m_bVisible = visible;
  if (!visible && wasFocused && m_pManager) m_pManager->SetFocus(nullptr);
  NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
  if (m_bEnabled == enabled) return;
  m_bEnabled = enabled;
  Invalidate();
}

void CControlUI::SetFocus() {
  if (m_pManager) m_pManager->SetFocus(this);
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::Invalidate() {
  if (m_pManager && IsVisible()) m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
  m_bUpdateNeeded = true;
  if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
  if (m_pParent) m_pParent->NeedUpdate();
  else NeedUpdate();
}

void CControlUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  RECT rc{};
  SIZE sz{};
  DWORD color = 0;
  int i = 0;
  if (n == "name") SetName(value);
  else if (n == "text") SetText(value);
  else if (n == "tooltip") SetToolTip(value);
  else if (n == "userdata") SetUserData(value);
  else if (n == "tag") { if (ParseInt(v, i)) SetTag(static_cast<UINT_PTR>(i)); }
  else if (n == "resourcetext") SetResourceText(ParseBool(v));
  else if (n == "virtualwnd") SetVirtualWnd(value);
  else if (n == "visible") SetVisible(ParseBool(v));
  else if (n == "enabled") SetEnabled(ParseBool(v));
  else if (n == "mouse") SetMouseEnabled(ParseBool(v));
  else if (n == "keyboard") SetKeyboardEnabled(ParseBool(v));
  else if (n == "menu") SetContextMenuUsed(ParseBool(v));
  else if (n == "float") SetFloat(ParseBool(v));
  else if (n == "pos") { if (ParseRect(v, rc)) SetFloatPos(rc); }
  else if (n == "padding") { if (ParseRect(v, rc)) SetPadding(rc); }
  else if (n == "width") { if (ParseInt(v, i)) SetFixedWidth(i); }
  else if (n == "height") { if (ParseInt(v, i)) SetFixedHeight(i); }
  else if (n == "minwidth") { if (ParseInt(v, i)) SetMinWidth(i); }
  else if (n == "minheight") { if (ParseInt(v, i)) SetMinHeight(i); }
  else if (n == "maxwidth") { if (ParseInt(v, i)) SetMaxWidth(i); }
  else if (n == "maxheight") { if (ParseInt(v, i)) SetMaxHeight(i); }
  else if (n == "bkcolor") { if (ParseColor(v, color)) SetBkColor(color); }
  else if (n == "forecolor") { if (ParseColor(v, color)) { m_dwForeColor = color; Invalidate(); } }
  else if (n == "bordercolor") { if (ParseColor(v, color)) SetBorderColor(color); }
  else if (n == "focusbordercolor") { if (ParseColor(v, color)) SetFocusBorderColor(color); }
  else if (n == "bordersize") { if (ParseInt(v, i)) SetBorderSize(i); }
  else if (n == "borderround") { if (ParseSize(v, sz)) SetBorderRound(sz); }
  else if (n == "bkimage") SetBkImage(value);
  else if (n == "foreimage") SetForeImage(value);
  // Anything else belongs to another kind of control or to a newer skin.
}

void CControlUI::ApplyAttributeList(const CDuiString& list) {
  ForEachAttribute(list.view(), [this](std::string_view name, std::string_view value) {
    SetAttribute(std::string(name).c_str(), std::string(value).c_str());
  });
}

void CControlUI::Event(TEventUI& event) { DoEvent(event); }

void CControlUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_SETFOCUS:
      m_bFocused = true;
      Invalidate();
      return;
    case UIEVENT_KILLFOCUS:
      m_bFocused = false;
      Invalidate();
      return;
    case UIEVENT_TIMER:
      if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
      return;
    case UIEVENT_CONTEXTMENU:
      if (IsContextMenuUsed() && m_pManager) {
        m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
        return;
      }
      break;
    case UIEVENT_MOUSEENTER:
      if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MOUSEENTER);
      return;
    case UIEVENT_MOUSELEAVE:
      if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_MOUSELEAVE);
      return;
    default:
      break;
  }
  if (m_pParent) m_pParent->DoEvent(event);
}

void CControlUI::Init() {
  if (m_bInited) return;
  m_bInited = true;
  DoInit();
}

bool CControlUI::RunNotifyHooks(TNotifyUI& msg) {
  bool handled = false;
  // Copy: a hook may add hooks.
  std::vector<NotifyHook> hooks = m_notifyHooks;
  for (auto& h : hooks)
    if (h && h(msg)) handled = true;
  return handled;
}

bool CControlUI::Paint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
  if (pStopControl == this) return false;
  if (!IntersectRect(m_rcPaint, rcPaint, m_rcItem)) return true;
  return DoPaint(hDC, rcPaint, pStopControl);
}

bool CControlUI::DoPaint(HDC hDC, const RECT&, CControlUI*) {
  PaintBkColor(hDC);
  PaintBkImage(hDC);
  PaintStatusImage(hDC);
  PaintForeColor(hDC);
  PaintForeImage(hDC);
  PaintText(hDC);
  PaintBorder(hDC);
  return true;
}

void CControlUI::PaintBkColor(HDC hDC) {
  if (ColorAlpha(m_dwBackColor) == 0) return;
  CRenderEngine::DrawColor(hDC, m_rcItem, m_dwBackColor, GetBorderRound().cx);
}

void CControlUI::PaintBkImage(HDC hDC) { DrawImage(hDC, m_sBkImage); }

void CControlUI::PaintStatusImage(HDC) {}

void CControlUI::PaintForeColor(HDC hDC) {
  if (ColorAlpha(m_dwForeColor) == 0) return;
  CRenderEngine::DrawColor(hDC, m_rcItem, m_dwForeColor, GetBorderRound().cx);
}

void CControlUI::PaintForeImage(HDC hDC) { DrawImage(hDC, m_sForeImage); }

void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC hDC) {
  int size = GetBorderSize();
  if (size <= 0) return;
  DWORD color = (m_bFocused && ColorAlpha(m_dwFocusBorderColor)) ? m_dwFocusBorderColor : m_dwBorderColor;
  if (ColorAlpha(color) == 0) return;
  CRenderEngine::DrawBorder(hDC, m_rcItem, size, color, GetBorderRound().cx);
}

}  // namespace talmi
