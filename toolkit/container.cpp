#include "toolkit/container.h"

#include <algorithm>
#include <cstring>

#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"

namespace talmi {

CContainerUI::~CContainerUI() {
  // Children go first, while this container and its manager still exist.
  std::vector<CControlUI*> items;
  items.swap(m_items);
  if (m_bAutoDestroy)
    for (CControlUI* c : items) delete c;
}

CDuiString CContainerUI::GetClass() const { return "ContainerUI"; }

void* CContainerUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_CONTAINER) == 0) return static_cast<CContainerUI*>(this);
  if (name && std::strcmp(name, DUI_CTR_ICONTAINER) == 0) return static_cast<IContainerUI*>(this);
  return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const { return GetChildAt(index); }

int CContainerUI::GetItemIndex(CControlUI* control) const {
  auto it = std::find(m_items.begin(), m_items.end(), control);
  return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
  auto it = std::find(m_items.begin(), m_items.end(), control);
  if (it == m_items.end() || index < 0 || index >= GetChildCount()) return false;
  const auto from = it - m_items.begin();
  m_items.erase(m_items.begin() + from);
  m_items.insert(m_items.begin() + index, control);
  NeedUpdate();
  return true;
}

bool CContainerUI::Add(CControlUI* control) { return CContainerUI::AddAt(control, GetChildCount()); }

// Child indexes here; subclasses that count items differently translate.
bool CContainerUI::AddAt(CControlUI* control, int index) {
  if (!control || control == this || index < 0 || index > GetChildCount()) return false;
  if (std::find(m_items.begin(), m_items.end(), control) != m_items.end()) return false;
  if (m_pManager) control->SetManager(m_pManager, this, true);
  else control->SetManager(nullptr, this, false);
  m_items.insert(m_items.begin() + index, control);
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
  auto it = std::find(m_items.begin(), m_items.end(), control);
  if (it == m_items.end()) return false;
  return CContainerUI::RemoveAt(static_cast<int>(it - m_items.begin()), doNotDestroy);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* control = GetChildAt(index);
  if (!control) return false;
  m_items.erase(m_items.begin() + index);
  if (m_pManager) m_pManager->ReapObjects(control);
  if (m_bAutoDestroy && !doNotDestroy) delete control;
  NeedUpdate();
  return true;
}

void CContainerUI::RemoveAll() {
  std::vector<CControlUI*> items;
  items.swap(m_items);
  for (CControlUI* c : items) {
    if (m_pManager) m_pManager->ReapObjects(c);
    if (m_bAutoDestroy) delete c;
  }
  NeedUpdate();
}

RECT CContainerUI::GetInset() const { return Scale(m_rcInset); }

void CContainerUI::SetInset(RECT rc) {
  m_rcInset = rc;
  NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return Scale(m_iChildPadding); }

void CContainerUI::SetChildPadding(int padding) {
  m_iChildPadding = padding < 0 ? 0 : padding;
  NeedUpdate();
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit) {
  for (CControlUI* c : m_items) c->SetManager(pManager, this, bInit);
  CControlUI::SetManager(pManager, pParent, bInit);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC proc, void* data, UINT flags) {
  if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
  if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
  if ((flags & UIFIND_HITTEST) && !PtInRect(m_rcItem, *static_cast<POINT*>(data))) return nullptr;
  if (flags & UIFIND_ME_FIRST) {
    if (CControlUI* c = CControlUI::FindControl(proc, data, flags)) return c;
  }
  if (!(flags & UIFIND_HITTEST) || m_bMouseChildEnabled) {
    // Hit tests see the topmost child first: the last painted.
    if (flags & UIFIND_HITTEST) {
      for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (CControlUI* c = (*it)->FindControl(proc, data, flags)) return c;
    } else {
      for (CControlUI* item : m_items)
        if (CControlUI* c = item->FindControl(proc, data, flags)) return c;
    }
  }
  if (!(flags & UIFIND_ME_FIRST)) return CControlUI::FindControl(proc, data, flags);
  return nullptr;
}

RECT CContainerUI::GetContentRect() const {
  RECT rc = m_rcItem;
  RECT inset = GetInset();
  rc.left += inset.left;
  rc.top += inset.top;
  rc.right -= inset.right;
  rc.bottom -= inset.bottom;
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  return rc;
}

int CContainerUI::Clamp(int v, int lo, int hi) {
  if (v < lo) v = lo;
  if (v > hi) v = hi;
  return v;
}

void CContainerUI::SetFloatPos(int childIndex) {
  CControlUI* c = GetChildAt(childIndex);
  if (!c || !c->IsVisible() || !c->IsFloat()) return;
  RECT pos = c->GetFloatPos();
  RECT rc{m_rcItem.left + pos.left, m_rcItem.top + pos.top, 0, 0};
  int w = c->GetFixedWidth();
  int h = c->GetFixedHeight();
  if (w <= 0) w = RectWidth(m_rcItem) - pos.left;
  if (h <= 0) h = RectHeight(m_rcItem) - pos.top;
  rc.right = rc.left + Clamp(w, c->GetMinWidth(), c->GetMaxWidth());
  rc.bottom = rc.top + Clamp(h, c->GetMinHeight(), c->GetMaxHeight());
  c->SetPos(rc, false);
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  RECT content = GetContentRect();
  for (int i = 0; i < GetChildCount(); ++i) {
    CControlUI* c = m_items[static_cast<size_t>(i)];
    if (!c->IsVisible()) continue;
    if (c->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    RECT pad = c->GetPadding();
    RECT r{content.left + pad.left, content.top + pad.top, content.right - pad.right,
           content.bottom - pad.bottom};
    int w = c->GetFixedWidth();
    int h = c->GetFixedHeight();
    if (w > 0) r.right = r.left + w;
    if (h > 0) r.bottom = r.top + h;
    r.right = r.left + Clamp(RectWidth(r), c->GetMinWidth(), c->GetMaxWidth());
    r.bottom = r.top + Clamp(RectHeight(r), c->GetMinHeight(), c->GetMaxHeight());
    c->SetPos(r, false);
  }
}

void CContainerUI::SetAttribute(const char* name, const char* value) {
  const std::string_view n(name), v(value);
  RECT rc{};
  int i = 0;
  if (n == "inset") { if (ParseRect(v, rc)) SetInset(rc); }
  else if (n == "childpadding") { if (ParseInt(v, i)) SetChildPadding(i); }
  else if (n == "mousechild") SetMouseChildEnabled(ParseBool(v));
  else if (n == "autodestroy") SetAutoDestroy(ParseBool(v));
  else CControlUI::SetAttribute(name, value);
}

bool CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
  if (!CControlUI::DoPaint(hDC, rcPaint, pStopControl)) return false;
  if (m_items.empty()) return true;
  RECT clip{};
  if (!IntersectRect(clip, rcPaint, m_rcItem)) return true;
  CRenderEngine::PushClip(hDC, clip);
  bool go = true;
  for (CControlUI* c : m_items) {
    if (c == pStopControl) {
      go = false;
      break;
    }
    if (!c->IsVisible()) continue;
    if (!c->Paint(hDC, clip, pStopControl)) {
      go = false;
      break;
    }
  }
  CRenderEngine::PopClip(hDC);
  return go;
}

void CContainerUI::SetVisible(bool visible) { CControlUI::SetVisible(visible); }

void CContainerUI::SetEnabled(bool enabled) { CControlUI::SetEnabled(enabled); }

}  // namespace talmi
