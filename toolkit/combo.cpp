#include "toolkit/combo.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/combo_popup.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"

namespace talmi {

CComboUI::CComboUI() { m_info.uTextStyle = DT_VCENTER | DT_SINGLELINE; }

CComboUI::~CComboUI() {
  CloseComboPopup(m_pPopup);
  m_pPopup = nullptr;
}

CDuiString CComboUI::GetClass() const { return "ComboUI"; }

void* CComboUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_COMBO) == 0) return this;
  if (name && std::strcmp(name, DUI_CTR_ILISTOWNER) == 0) return static_cast<IListOwnerUI*>(this);
  return CContainerUI::GetInterface(name);
}

UINT CComboUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_TABSTOP : 0; }

bool CComboUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CComboUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  if (auto* item = static_cast<IListItemUI*>(control->GetInterface(DUI_CTR_LISTITEM))) item->SetOwner(this);
  if (m_iCurSel >= index) ++m_iCurSel;
  Renumber();
  return true;
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy) {
  if (!CContainerUI::RemoveAt(index, doNotDestroy)) return false;
  if (index == m_iCurSel) m_iCurSel = -1;
  else if (index < m_iCurSel) --m_iCurSel;
  Renumber();
  Invalidate();
  return true;
}

void CComboUI::RemoveAll() {
  m_iCurSel = -1;
  CContainerUI::RemoveAll();
  Invalidate();
}

void CComboUI::Renumber() {
  for (int i = 0; i < GetCount(); ++i)
    if (auto* item = static_cast<IListItemUI*>(GetItemAt(i)->GetInterface(DUI_CTR_LISTITEM))) item->SetIndex(i);
}

CDuiString CComboUI::GetText() const {
  if (CControlUI* c = GetItemAt(m_iCurSel)) return c->GetText();
  return CContainerUI::GetText();
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
  if (index == m_iCurSel) return true;
  CControlUI* target = index >= 0 ? GetItemAt(index) : nullptr;
  auto* item = target ? static_cast<IListItemUI*>(target->GetInterface(DUI_CTR_LISTITEM)) : nullptr;
  if (index >= 0 && (!item || !target->IsVisible() || !target->IsEnabled())) return false;
  const int old = m_iCurSel;
  if (CControlUI* prev = GetItemAt(old))
    if (auto* p = static_cast<IListItemUI*>(prev->GetInterface(DUI_CTR_LISTITEM))) p->Select(false);
  m_iCurSel = index;
  if (item) item->Select(true);
  if (takeFocus) SetFocus();
  Invalidate();
  if (triggerEvent && m_pManager)
    m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
  return true;
}

int CComboUI::GetVisibleCount() const {
  int n = 0;
  for (CControlUI* c : m_items)
    if (c->IsVisible()) ++n;
  return n;
}

void CComboUI::SetItemVisible(int index, bool visible) {
  CControlUI* c = GetItemAt(index);
  if (!c) return;
  if (!visible && index == m_iCurSel) {
    if (auto* item = static_cast<IListItemUI*>(c->GetInterface(DUI_CTR_LISTITEM))) item->Select(false);
    m_iCurSel = -1;
  }
  c->SetVisible(visible);
  Invalidate();
}

RECT CComboUI::GetDropBoxRect() const {
  const int rowH = Scale(m_info.nItemHeight);
  const int rows = GetVisibleCount() > 0 ? GetVisibleCount() : 1;
  int h = std::min(Scale(m_szDropBox.cy), rows * rowH + Scale(2));
  if (h < rowH) h = rowH;
  const int w = m_szDropBox.cx > 0 ? Scale(m_szDropBox.cx) : RectWidth(m_rcItem);
  const int clientH = m_pManager ? m_pManager->GetClientSize().cy : 0;
  const bool below = clientH <= 0 || m_rcItem.bottom + h <= clientH || m_rcItem.top - h < 0;
  if (below) return RECT{m_rcItem.left, m_rcItem.bottom, m_rcItem.left + w, m_rcItem.bottom + h};
  return RECT{m_rcItem.left, m_rcItem.top - h, m_rcItem.left + w, m_rcItem.top};
}

void CComboUI::LayoutDropRows() {
  const int rowH = Scale(m_info.nItemHeight);
  const int inner = Scale(1);
  int y = m_rcDrop.top + inner - m_iDropScroll;
  for (CControlUI* c : m_items) {
    if (!c->IsVisible()) continue;
    c->SetPos(RECT{m_rcDrop.left + inner, y, m_rcDrop.right - inner, y + rowH}, false);
    y += rowH;
  }
}

void CComboUI::OpenDropDown() {
  if (m_bDropped || !IsEnabled()) return;
  m_bDropped = true;
  m_rcDrop = GetDropBoxRect();
  m_iDropScroll = 0;
  LayoutDropRows();
  EnsureDropVisible(m_iCurSel);
  m_pPopup = OpenComboPopup(this, m_rcDrop);
  Invalidate();
}

void CComboUI::CloseDropDown() {
  if (!m_bDropped) return;
  m_bDropped = false;
  ComboPopup* p = m_pPopup;
  m_pPopup = nullptr;
  CloseComboPopup(p);
  Invalidate();
}

void CComboUI::ScrollDropDown(int rows) {
  if (!m_bDropped) return;
  const int rowH = Scale(m_info.nItemHeight);
  const int content = GetVisibleCount() * rowH + Scale(2);
  const int maxScroll = std::max(0, content - RectHeight(m_rcDrop));
  m_iDropScroll = std::clamp(m_iDropScroll + rows * rowH, 0, maxScroll);
  LayoutDropRows();
  RepaintComboPopup(m_pPopup);
}

void CComboUI::EnsureDropVisible(int index) {
  CControlUI* c = GetItemAt(index);
  if (!m_bDropped || !c || !c->IsVisible()) return;
  const RECT r = c->GetPos();
  const int inner = Scale(1);
  if (r.top < m_rcDrop.top + inner) m_iDropScroll -= m_rcDrop.top + inner - r.top;
  else if (r.bottom > m_rcDrop.bottom - inner) m_iDropScroll += r.bottom - (m_rcDrop.bottom - inner);
  else return;
  LayoutDropRows();
}

int CComboUI::NextSelectable(int from, int step) const {
  for (int i = from + step; i >= 0 && i < GetCount(); i += step) {
    CControlUI* c = GetItemAt(i);
    if (c->IsVisible() && c->IsEnabled()) return i;
  }
  return -1;
}

bool CComboUI::Activate() {
  if (!CContainerUI::Activate()) return false;
  if (m_bDropped) CloseDropDown();
  else OpenDropDown();
  return true;
}

void CComboUI::DoEvent(TEventUI& event) {
  constexpr WPARAM kReturn = 0x0D, kEscape = 0x1B, kSpace = 0x20, kPageUp = 0x21, kPageDown = 0x22,
                   kEnd = 0x23, kHome = 0x24, kUp = 0x26, kDown = 0x28, kF4 = 0x73;
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
      if (IsEnabled()) Activate();
      return;
    case UIEVENT_KILLFOCUS:
      CloseDropDown();
      break;
    case UIEVENT_SCROLLWHEEL:
      if (IsEnabled()) {
        const int next = NextSelectable(m_iCurSel, static_cast<short>(HIWORD(event.wParam)) < 0 ? 1 : -1);
        if (next >= 0) SelectItem(next, false, true);
      }
      return;
    case UIEVENT_KEYDOWN: {
      if (!IsEnabled()) break;
      const WPARAM k = event.chKey;
      int target = -1;
      if (k == kUp) target = NextSelectable(m_iCurSel, -1);
      else if (k == kDown) target = NextSelectable(m_iCurSel, 1);
      else if (k == kHome || k == kPageUp) target = NextSelectable(-1, 1);
      else if (k == kEnd || k == kPageDown) target = NextSelectable(GetCount(), -1);
      else if (k == kReturn || k == kEscape) {
        if (!m_bDropped) break;  // Return/Escape of the dialog
        CloseDropDown();
        return;
      } else if (k == kSpace || k == kF4) {
        Activate();
        return;
      } else break;
      if (target >= 0 && target != m_iCurSel) {
        SelectItem(target, false, true);
        EnsureDropVisible(target);
        RepaintComboPopup(m_pPopup);
      }
      return;
    }
    default:
      break;
  }
  CContainerUI::DoEvent(event);
}

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate) {
  // Rows are laid out by the drop-down, not inside the closed combo.
  CControlUI::SetPos(rc, bNeedInvalidate);
  if (!m_bDropped) {
    m_rcDrop = GetDropBoxRect();
    m_iDropScroll = 0;
  }
  LayoutDropRows();
}

CControlUI* CComboUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags) {
  if (flags & UIFIND_HITTEST) return CControlUI::FindControl(proc, data, flags);
  return CContainerUI::FindControl(proc, data, flags);
}

void CComboUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  int i = 0;
  SIZE sz{};
  RECT rc{};
  DWORD c = 0;
  if (m_info.SetAttribute(name, value)) return;
  if (n == "dropboxsize") { if (ParseSize(v, sz)) m_szDropBox = sz; }
  else if (n == "font") { if (ParseInt(v, i)) m_iFont = i; }
  else if (n == "textcolor") { if (ParseColor(v, c)) m_dwTextColor = c; }
  else if (n == "textpadding") { if (ParseRect(v, rc)) m_rcTextPadding = rc; }
  else if (n == "normalimage") m_sNormalImage = value;
  else if (n == "selectedid") { if (ParseInt(v, i)) SelectItem(i, false, false); }
  else CContainerUI::SetAttribute(name, value);
}

bool CComboUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
  return CControlUI::DoPaint(hDC, rcPaint, pStopControl);
}

void CComboUI::PaintBkColor(HDC hDC) {
  if (ColorAlpha(m_dwBackColor) || !m_sBkImage.IsEmpty() || !m_sNormalImage.IsEmpty()) {
    CContainerUI::PaintBkColor(hDC);
    DrawImage(hDC, m_sNormalImage);
    return;
  }
  CRenderEngine::DrawColor(hDC, m_rcItem, kColorRaised, Scale(kInputRadius));
}

void CComboUI::PaintBorder(HDC hDC) {
  if (m_nBorderSize > 0) {
    CContainerUI::PaintBorder(hDC);
    return;
  }
  CRenderEngine::DrawBorder(hDC, m_rcItem, Scale(1), IsFocused() || m_bDropped ? kColorAccent : kColorBorder,
                            Scale(kInputRadius));
}

void CComboUI::PaintText(HDC hDC) {
  RECT pad = Scale(m_rcTextPadding);
  RECT r{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right, m_rcItem.bottom - pad.bottom};
  DWORD color = m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : kColorText);
  if (!IsEnabled()) color = kColorTextDisabled;
  CRenderEngine::DrawText(hDC, m_pManager, r, GetText(), color, m_iFont >= 0 ? m_iFont : m_info.nFont,
                          m_info.uTextStyle);
  // The drop-down arrow: a small chevron at the right.
  const int s = Scale(4);
  const int cx = m_rcItem.right - Scale(12);
  const int cy = (m_rcItem.top + m_rcItem.bottom) / 2;
  for (int i = 0; i < s; ++i) {
    RECT line{cx - s + i, cy - s / 2 + i, cx + s - i, cy - s / 2 + i + 1};
    CRenderEngine::DrawColor(hDC, line, kColorTextSecondary);
  }
}

}  // namespace talmi
