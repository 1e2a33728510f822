#include "toolkit/list.h"

#include <algorithm>
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
  ForgetLayout();
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
  ForgetLayout();
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

namespace {

constexpr int kScrollBarWidth = 8;  // 96-DPI
constexpr int kMinThumb = 24;
constexpr int kWheelLines = 3;
constexpr WPARAM kVkPageUp = 0x21, kVkPageDown = 0x22, kVkEnd = 0x23, kVkHome = 0x24, kVkUp = 0x26,
                 kVkDown = 0x28;

}  // namespace

int CListUI::RowHeight(CControlUI* row) {
  if (!row->IsVisible()) return 0;
  if (row->GetFixedHeight() > 0) return row->GetFixedHeight();
  SIZE sz = row->EstimateSize(SIZE{RectWidth(m_rcView), RectHeight(m_rcView)});
  return sz.cy > 0 ? sz.cy : Scale(m_info.nItemHeight);
}

void CListUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  RECT content = GetContentRect();
  if (m_pHeader && m_pHeader->IsVisible()) {
    const int h = m_pHeader->GetFixedHeight() > 0 ? m_pHeader->GetFixedHeight() : Scale(30);
    m_pHeader->SetPos(RECT{content.left, content.top, content.right, content.top + h}, false);
    content.top = std::min(content.bottom, content.top + h);
  }
  m_rcView = content;
  const int n = GetCount();
  m_rowTop.assign(static_cast<size_t>(n) + 1, 0);
  const int pad = GetChildPadding();
  int y = 0;
  for (int i = 0; i < n; ++i) {
    m_rowTop[static_cast<size_t>(i)] = y;
    const int h = RowHeight(GetItemAt(i));
    if (h > 0) y += h + pad;
  }
  if (n > 0 && y > 0) y -= pad;
  m_rowTop[static_cast<size_t>(n)] = y;
  m_bScrollBar = y > RectHeight(m_rcView);
  if (m_bScrollBar) m_rcView.right = std::max(m_rcView.left, m_rcView.right - Scale(kScrollBarWidth));
  m_iScrollY = std::clamp(m_iScrollY, 0, static_cast<int>(GetScrollRange().cy));
  LayoutRows();
}

void CListUI::ForgetLayout() {
  // Row indexes of the last layout mean nothing once rows come or go; the
  // next layout (already asked for by the container) rebuilds them.
  m_rowTop.clear();
  m_iFirstShown = m_iLastShown = -1;
}

void CListUI::LayoutRows() {
  m_iFirstShown = m_iLastShown = -1;
  const int n = GetCount();
  if (n == 0 || m_rowTop.size() != static_cast<size_t>(n) + 1) return;
  const int top = m_iScrollY, bottom = m_iScrollY + RectHeight(m_rcView);
  // The first row whose bottom is below the view's top.
  auto it = std::upper_bound(m_rowTop.begin(), m_rowTop.end() - 1, top);
  int i = static_cast<int>(it - m_rowTop.begin()) - 1;
  if (i < 0) i = 0;
  for (; i < n && m_rowTop[static_cast<size_t>(i)] < bottom; ++i) {
    CControlUI* row = GetItemAt(i);
    if (!row->IsVisible()) continue;
    const int y = m_rcView.top + m_rowTop[static_cast<size_t>(i)] - m_iScrollY;
    row->SetPos(RECT{m_rcView.left, y, m_rcView.right, y + RowHeight(row)}, false);
    if (m_iFirstShown < 0) m_iFirstShown = i;
    m_iLastShown = i;
  }
}

SIZE CListUI::GetScrollRange() const {
  const int total = m_rowTop.empty() ? 0 : m_rowTop.back();
  return SIZE{0, std::max(0, total - RectHeight(m_rcView))};
}

void CListUI::SetScrollPos(SIZE pos) {
  const int y = std::clamp(static_cast<int>(pos.cy), 0, static_cast<int>(GetScrollRange().cy));
  if (y == m_iScrollY) return;
  m_iScrollY = y;
  LayoutRows();
  Invalidate();
}

int CListUI::LineStep() const { return Scale(m_info.nItemHeight); }
void CListUI::LineUp() { SetScrollPos(SIZE{0, m_iScrollY - LineStep()}); }
void CListUI::LineDown() { SetScrollPos(SIZE{0, m_iScrollY + LineStep()}); }
void CListUI::PageUp() { SetScrollPos(SIZE{0, m_iScrollY - std::max(LineStep(), RectHeight(m_rcView) - LineStep())}); }
void CListUI::PageDown() { SetScrollPos(SIZE{0, m_iScrollY + std::max(LineStep(), RectHeight(m_rcView) - LineStep())}); }
void CListUI::HomeUp() { SetScrollPos(SIZE{0, 0}); }
void CListUI::EndDown() { SetScrollPos(GetScrollRange()); }

void CListUI::EnsureVisible(int index) {
  if (index < 0 || index >= GetCount()) return;
  // Rows added since the last layout: measure them now.
  if (m_rowTop.size() != static_cast<size_t>(GetCount()) + 1 && !IsRectEmpty(m_rcItem)) SetPos(m_rcItem, false);
  if (m_rowTop.size() != static_cast<size_t>(GetCount()) + 1) return;
  const int top = m_rowTop[static_cast<size_t>(index)];
  const int bottom = top + RowHeight(GetItemAt(index));
  const int viewH = RectHeight(m_rcView);
  if (top < m_iScrollY) SetScrollPos(SIZE{0, top});
  else if (bottom > m_iScrollY + viewH) SetScrollPos(SIZE{0, bottom - viewH});
}

RECT CListUI::GetScrollBarRect() const {
  if (!m_bScrollBar) return RECT{};
  return RECT{m_rcView.right, m_rcView.top, m_rcView.right + Scale(kScrollBarWidth), m_rcView.bottom};
}

RECT CListUI::GetScrollThumbRect() const {
  RECT bar = GetScrollBarRect();
  if (IsRectEmpty(bar) || m_rowTop.empty()) return RECT{};
  const int total = std::max(1, m_rowTop.back());
  const int barH = RectHeight(bar);
  const int thumbH = std::min(barH, std::max(Scale(kMinThumb), static_cast<int>(1LL * barH * RectHeight(m_rcView) / total)));
  const int range = std::max(1, static_cast<int>(GetScrollRange().cy));
  const int y = bar.top + static_cast<int>(1LL * (barH - thumbH) * m_iScrollY / range);
  return RECT{bar.left + Scale(1), y, bar.right - Scale(1), y + thumbH};
}

CControlUI* CListUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags) {
  if (!(flags & UIFIND_HITTEST)) return CVerticalLayoutUI::FindControl(proc, data, flags);
  if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
  if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
  const POINT pt = *static_cast<POINT*>(data);
  if (!PtInRect(m_rcItem, pt)) return nullptr;
  if (IsMouseChildEnabled()) {
    if (m_pHeader)
      if (CControlUI* c = m_pHeader->FindControl(proc, data, flags)) return c;
    if (PtInRect(m_rcView, pt) && m_iFirstShown >= 0)
      for (int i = m_iLastShown; i >= m_iFirstShown; --i)
        if (CControlUI* row = GetItemAt(i))
          if (CControlUI* c = row->FindControl(proc, data, flags)) return c;
  }
  return CControlUI::FindControl(proc, data, flags);
}

bool CListUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
  if (!CControlUI::DoPaint(hDC, rcPaint, pStopControl)) return false;
  RECT clip{};
  if (!IntersectRect(clip, rcPaint, m_rcItem)) return true;
  bool go = true;
  CRenderEngine::PushClip(hDC, clip);
  if (m_pHeader && m_pHeader->IsVisible()) go = m_pHeader != pStopControl && m_pHeader->Paint(hDC, clip, pStopControl);
  RECT rows{};
  if (go && m_iFirstShown >= 0 && IntersectRect(rows, clip, m_rcView)) {
    CRenderEngine::PushClip(hDC, rows);
    for (int i = m_iFirstShown; go && i <= m_iLastShown; ++i) {
      CControlUI* row = GetItemAt(i);
      if (!row) break;
      if (row == pStopControl) go = false;
      else if (row->IsVisible()) go = row->Paint(hDC, rows, pStopControl);
    }
    CRenderEngine::PopClip(hDC);
  }
  if (m_bScrollBar) {
    const RECT bar = GetScrollBarRect();
    const int r = Scale(kScrollBarWidth) / 2;
    CRenderEngine::DrawColor(hDC, bar, kColorSurface, r);
    const DWORD thumb = m_bThumbDrag ? kColorTextSecondary : m_bBarHot ? kColorTextDisabled : kColorBorder;
    CRenderEngine::DrawColor(hDC, GetScrollThumbRect(), thumb, r);
  }
  CRenderEngine::PopClip(hDC);
  return go;
}

void CListUI::MoveSelection(int to) {
  const int n = GetCount();
  if (n == 0) return;
  to = std::clamp(to, 0, n - 1);
  // Hidden or disabled rows are stepped over in the direction of travel.
  const int step = to >= m_iCurSel ? 1 : -1;
  for (int i = to; i >= 0 && i < n; i += step) {
    CControlUI* row = GetItemAt(i);
    if (!row->IsVisible() || !row->IsEnabled()) continue;
    SelectItem(i, true, true);
    EnsureVisible(i);
    return;
  }
}

void CListUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_SCROLLWHEEL: {
      const int delta = static_cast<short>(HIWORD(event.wParam));
      const int lines = delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : -1);
      SetScrollPos(SIZE{0, m_iScrollY - lines * kWheelLines * LineStep()});
      return;
    }
    case UIEVENT_KEYDOWN: {
      const WPARAM k = event.chKey;
      const int page = std::max(1, RectHeight(m_rcView) / std::max(1, LineStep()));
      if (k == kVkUp) MoveSelection(m_iCurSel < 0 ? 0 : m_iCurSel - 1);
      else if (k == kVkDown) MoveSelection(m_iCurSel + 1);
      else if (k == kVkPageUp) MoveSelection(m_iCurSel - page);
      else if (k == kVkPageDown) MoveSelection(m_iCurSel + page);
      else if (k == kVkHome) MoveSelection(0);
      else if (k == kVkEnd) MoveSelection(GetCount() - 1);
      else break;
      return;
    }
    case UIEVENT_BUTTONDOWN:
      if (m_bScrollBar && PtInRect(GetScrollBarRect(), event.ptMouse)) {
        const RECT thumb = GetScrollThumbRect();
        if (PtInRect(thumb, event.ptMouse)) {
          m_bThumbDrag = true;
          m_iDragStartY = event.ptMouse.y;
          m_iDragStartScroll = m_iScrollY;
          Invalidate();
        } else if (event.ptMouse.y < thumb.top) PageUp();
        else PageDown();
        return;
      }
      break;
    case UIEVENT_MOUSEMOVE:
      if (m_bThumbDrag) {
        const RECT bar = GetScrollBarRect(), thumb = GetScrollThumbRect();
        const int travel = std::max(1, RectHeight(bar) - RectHeight(thumb));
        const long long dy = event.ptMouse.y - m_iDragStartY;
        SetScrollPos(SIZE{0, m_iDragStartScroll + static_cast<int>(dy * GetScrollRange().cy / travel)});
        return;
      }
      if (m_bScrollBar) {
        const bool hot = PtInRect(GetScrollBarRect(), event.ptMouse);
        if (hot != m_bBarHot) {
          m_bBarHot = hot;
          Invalidate();
        }
      }
      break;
    case UIEVENT_BUTTONUP:
      if (m_bThumbDrag) {
        m_bThumbDrag = false;
        Invalidate();
        return;
      }
      break;
    case UIEVENT_MOUSELEAVE:
      if (m_bBarHot) {
        m_bBarHot = false;
        Invalidate();
      }
      break;
    default:
      break;
  }
  CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(const char* name, const char* value) {
  if (m_info.SetAttribute(name, value)) {
    Invalidate();
    return;
  }
  if (std::strcmp(name, "header") == 0) return;
  CVerticalLayoutUI::SetAttribute(name, value);
}

}  // namespace talmi
