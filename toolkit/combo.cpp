#include "toolkit/combo.h"

#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"

namespace talmi {

CComboUI::CComboUI() { m_info.uTextStyle = DT_VCENTER | DT_SINGLELINE; }

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
  int h = Scale(m_szDropBox.cy);
  int w = m_szDropBox.cx > 0 ? Scale(m_szDropBox.cx) : RectWidth(m_rcItem);
  return RECT{m_rcItem.left, m_rcItem.bottom, m_rcItem.left + w, m_rcItem.bottom + h};
}

bool CComboUI::Activate() {
  if (!CContainerUI::Activate()) return false;
  m_bDropped = !m_bDropped;
  Invalidate();
  return true;
}

void CComboUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
      if (IsEnabled()) Activate();
      return;
    case UIEVENT_KILLFOCUS:
      m_bDropped = false;
      break;
    case UIEVENT_SCROLLWHEEL:
      if (IsEnabled()) {
        const bool down = static_cast<short>(HIWORD(event.wParam)) < 0;
        for (int i = m_iCurSel + (down ? 1 : -1); i >= 0 && i < GetCount(); i += down ? 1 : -1)
          if (SelectItem(i, false, true)) break;
      }
      return;
    default:
      break;
  }
  CContainerUI::DoEvent(event);
}

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate) {
  // Rows are laid out by the drop-down, not inside the closed combo.
  CControlUI::SetPos(rc, bNeedInvalidate);
  const int h = Scale(m_info.nItemHeight);
  RECT box = GetDropBoxRect();
  int y = box.top;
  for (CControlUI* c : m_items) {
    if (!c->IsVisible()) continue;
    c->SetPos(RECT{box.left, y, box.right, y + h}, false);
    y += h;
  }
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
