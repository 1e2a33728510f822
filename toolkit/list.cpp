#include "toolkit/list.h"

#include <cstring>
#include <string_view>

#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/palette.h"

namespace talmi {

bool TListInfoUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  DWORD c = 0;
  int i = 0;
  RECT rc{};
  if (n == "itemfont") { if (ParseInt(v, i)) nFont = i; }
  else if (n == "itemalign") {
    uTextStyle &= ~(DT_CENTER | DT_RIGHT);
    if (v.find("center") != std::string_view::npos) uTextStyle |= DT_CENTER;
    else if (v.find("right") != std::string_view::npos) uTextStyle |= DT_RIGHT;
  } else if (n == "itemtextpadding") { if (ParseRect(v, rc)) rcTextPadding = rc; }
  else if (n == "itemtextcolor") { if (ParseColor(v, c)) dwTextColor = c; }
  else if (n == "itembkcolor") { if (ParseColor(v, c)) dwBkColor = c; }
  else if (n == "itemselectedtextcolor") { if (ParseColor(v, c)) dwSelectedTextColor = c; }
  else if (n == "itemselectedbkcolor") { if (ParseColor(v, c)) dwSelectedBkColor = c; }
  else if (n == "itemhottextcolor") { if (ParseColor(v, c)) dwHotTextColor = c; }
  else if (n == "itemhotbkcolor") { if (ParseColor(v, c)) dwHotBkColor = c; }
  else if (n == "itemdisabledtextcolor") { if (ParseColor(v, c)) dwDisabledTextColor = c; }
  else if (n == "itembkimage") sBkImage = value;
  else if (n == "itemselectedimage") sSelectedImage = value;
  else if (n == "itemhotimage") sHotImage = value;
  else if (n == "itemheight") { if (ParseInt(v, i) && i > 0) nItemHeight = i; }
  else return false;
  return true;
}

void CListRowState::SetOwner(CControlUI* owner) {
  m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface(DUI_CTR_ILISTOWNER)) : nullptr;
}

bool CListRowState::HandleRowEvent(CControlUI* self, TEventUI& event) {
  CPaintManagerUI* pm = self->GetManager();
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
      if (self->IsEnabled()) {
        if (m_pOwner) m_pOwner->SelectItem(m_iIndex, true, true);
        if (pm) pm->SendNotify(self, DUI_MSGTYPE_ITEMCLICK);
      }
      return true;
    case UIEVENT_DBLCLICK:
      if (self->IsEnabled()) self->Activate();
      return true;
    case UIEVENT_MOUSEENTER:
      m_bHot = true;
      self->Invalidate();
      return false;
    case UIEVENT_MOUSELEAVE:
      m_bHot = false;
      self->Invalidate();
      return false;
    default:
      return false;
  }
}

void CListRowState::PaintRowBk(CControlUI* self, HDC hDC) {
  TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
  DWORD color = 0;
  CDuiString image;
  if (m_bSelected) {
    color = info && info->dwSelectedBkColor ? info->dwSelectedBkColor : kColorAccentSelectedRow;
    if (info) image = info->sSelectedImage;
  } else if (m_bHot) {
    color = info && info->dwHotBkColor ? info->dwHotBkColor : kColorRaised;
    if (info) image = info->sHotImage;
  } else if (info) {
    color = info->dwBkColor;
    image = info->sBkImage;
  }
  if (ColorAlpha(color)) CRenderEngine::DrawColor(hDC, self->GetPos(), color);
  if (!image.IsEmpty()) self->DrawImage(hDC, image);
}

CListLabelElementUI::CListLabelElementUI() { m_uTextStyle = DT_VCENTER | DT_SINGLELINE; }

CDuiString CListLabelElementUI::GetClass() const { return "ListLabelElementUI"; }

void* CListLabelElementUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_LISTITEM) == 0) return static_cast<IListItemUI*>(this);
  if (name && std::strcmp(name, DUI_CTR_LISTLABELELEMENT) == 0) return this;
  return CLabelUI::GetInterface(name);
}

bool CListLabelElementUI::Select(bool selected) {
  if (m_bSelected == selected) return true;
  m_bSelected = selected;
  Invalidate();
  return true;
}

bool CListLabelElementUI::Activate() {
  if (!CLabelUI::Activate()) return false;
  if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMACTIVATE);
  return true;
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
  if (HandleRowEvent(this, event)) return;
  CLabelUI::DoEvent(event);
}

SIZE CListLabelElementUI::EstimateSize(SIZE szAvailable) {
  SIZE sz = CLabelUI::EstimateSize(szAvailable);
  if (sz.cy == 0) {
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    sz.cy = Scale(info ? info->nItemHeight : 30);
  }
  return sz;
}

void CListLabelElementUI::PaintBkColor(HDC hDC) {
  CLabelUI::PaintBkColor(hDC);
  PaintRowBk(this, hDC);
}

void CListLabelElementUI::PaintText(HDC hDC) {
  TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
  if (!info) {
    CLabelUI::PaintText(hDC);
    return;
  }
  DWORD color = info->dwTextColor ? info->dwTextColor : CurrentTextColor();
  if (m_bSelected) color = info->dwSelectedTextColor ? info->dwSelectedTextColor : kColorAccent;
  else if (m_bHot && info->dwHotTextColor) color = info->dwHotTextColor;
  if (!IsEnabled()) color = info->dwDisabledTextColor ? info->dwDisabledTextColor : kColorTextDisabled;
  RECT pad = Scale(info->rcTextPadding);
  RECT r{m_rcItem.left + pad.left, m_rcItem.top + pad.top, m_rcItem.right - pad.right,
         m_rcItem.bottom - pad.bottom};
  int font = m_iFont >= 0 ? m_iFont : info->nFont;
  CRenderEngine::DrawText(hDC, m_pManager, r, GetText(), color, font, info->uTextStyle);
}

void CListLabelElementUI::SetVisible(bool visible) {
  // A hidden row cannot stay the selection.
  if (!visible && m_bSelected && m_pOwner) m_pOwner->SelectItem(-1, false, false);
  CLabelUI::SetVisible(visible);
}

CDuiString CListContainerElementUI::GetClass() const { return "ListContainerElementUI"; }

void* CListContainerElementUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_LISTITEM) == 0) return static_cast<IListItemUI*>(this);
  if (name && std::strcmp(name, DUI_CTR_LISTCONTAINERELEMENT) == 0) return this;
  return CHorizontalLayoutUI::GetInterface(name);
}

bool CListContainerElementUI::Select(bool selected) {
  if (m_bSelected == selected) return true;
  m_bSelected = selected;
  Invalidate();
  return true;
}

bool CListContainerElementUI::Activate() {
  if (!CHorizontalLayoutUI::Activate()) return false;
  if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMACTIVATE);
  return true;
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
  if (HandleRowEvent(this, event)) return;
  CHorizontalLayoutUI::DoEvent(event);
}

SIZE CListContainerElementUI::EstimateSize(SIZE szAvailable) {
  SIZE sz = CHorizontalLayoutUI::EstimateSize(szAvailable);
  if (sz.cy == 0) {
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    sz.cy = Scale(info ? info->nItemHeight : 30);
  }
  return sz;
}

void CListContainerElementUI::PaintBkColor(HDC hDC) {
  CHorizontalLayoutUI::PaintBkColor(hDC);
  PaintRowBk(this, hDC);
}

CListHeaderUI::CListHeaderUI() { m_cxyFixed.cy = 30; }

CDuiString CListHeaderUI::GetClass() const { return "ListHeaderUI"; }

void* CListHeaderUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_LISTHEADER) == 0) return this;
  return CHorizontalLayoutUI::GetInterface(name);
}

CDuiString CListHeaderItemUI::GetClass() const { return "ListHeaderItemUI"; }

void* CListHeaderItemUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_LISTHEADERITEM) == 0) return this;
  return CLabelUI::GetInterface(name);
}

CDuiString CListUI::GetClass() const { return "ListUI"; }

void* CListUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_LIST) == 0) return this;
  if (name && std::strcmp(name, DUI_CTR_ILISTOWNER) == 0) return static_cast<IListOwnerUI*>(this);
  return CVerticalLayoutUI::GetInterface(name);
}

CControlUI* CListUI::GetItemAt(int index) const {
  if (index < 0) return nullptr;
  return CVerticalLayoutUI::GetItemAt(index + Offset());
}

int CListUI::GetItemIndex(CControlUI* control) const {
  if (control && control == m_pHeader) return -1;
  int i = CVerticalLayoutUI::GetItemIndex(control);
  return i < 0 ? -1 : i - Offset();
}

int CListUI::GetCount() const { return CVerticalLayoutUI::GetCount() - Offset(); }

bool CListUI::Add(CControlUI* control) {
  if (control && control->GetInterface(DUI_CTR_LISTHEADER)) {
    if (m_pHeader) return false;
    if (!CVerticalLayoutUI::AddAt(control, 0)) return false;
    m_pHeader = static_cast<CListHeaderUI*>(control->GetInterface(DUI_CTR_LISTHEADER));
    return true;
  }
  return AddAt(control, GetCount());
}

bool CListUI::AddAt(CControlUI* control, int index) {
  if (!control || index < 0 || index > GetCount()) return false;
  if (control->GetInterface(DUI_CTR_LISTHEADER)) return Add(control);
  if (!CVerticalLayoutUI::AddAt(control, index + Offset())) return false;
  if (auto* item = static_cast<IListItemUI*>(control->GetInterface(DUI_CTR_LISTITEM))) item->SetOwner(this);
  if (m_iCurSel >= index) ++m_iCurSel;
  Renumber();
  return true;
}

bool CListUI::Remove(CControlUI* control, bool doNotDestroy) {
  if (control && control == m_pHeader) {
    m_pHeader = nullptr;
    return CVerticalLayoutUI::RemoveAt(0, doNotDestroy);
  }
  int index = GetItemIndex(control);
  return index >= 0 && RemoveAt(index, doNotDestroy);
}

bool CListUI::RemoveAt(int index, bool doNotDestroy) {
  if (!GetItemAt(index)) return false;
  if (!CVerticalLayoutUI::RemoveAt(index + Offset(), doNotDestroy)) return false;
  if (index == m_iCurSel) m_iCurSel = -1;
  else if (index < m_iCurSel) --m_iCurSel;
  Renumber();
  return true;
}

void CListUI::RemoveAll() {
  m_iCurSel = -1;
  while (GetCount() > 0) RemoveAt(GetCount() - 1);
}

void CListUI::Renumber() {
  for (int i = 0; i < GetCount(); ++i)
    if (auto* item = static_cast<IListItemUI*>(GetItemAt(i)->GetInterface(DUI_CTR_LISTITEM))) item->SetIndex(i);
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
  if (index == m_iCurSel) return true;
  CControlUI* target = index >= 0 ? GetItemAt(index) : nullptr;
  auto* item = target ? static_cast<IListItemUI*>(target->GetInterface(DUI_CTR_LISTITEM)) : nullptr;
  if (index >= 0 && (!item || !target->IsVisible() || !target->IsEnabled())) return false;
  const int old = m_iCurSel;
  if (CControlUI* prev = GetItemAt(old))
    if (auto* p = static_cast<IListItemUI*>(prev->GetInterface(DUI_CTR_LISTITEM))) p->Select(false);
  m_iCurSel = index;
  if (item) item->Select(true);
  if (takeFocus && target) target->SetFocus();
  if (triggerEvent && m_pManager)
    m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
  return true;
}

void CListUI::DoEvent(TEventUI& event) { CVerticalLayoutUI::DoEvent(event); }

void CListUI::SetAttribute(const char* name, const char* value) {
  if (m_info.SetAttribute(name, value)) {
    Invalidate();
    return;
  }
  if (std::strcmp(name, "header") == 0) return;
  CVerticalLayoutUI::SetAttribute(name, value);
}

}  // namespace talmi
