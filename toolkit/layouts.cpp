#include "toolkit/layouts.h"

#include <cstring>
#include <vector>

#include "toolkit/attr_parse.h"

namespace talmi {
namespace {

int ClampTo(int v, int lo, int hi) {
  if (v > hi) v = hi;
  if (v < lo) v = lo;
  return v;
}

// One axis of a box layout: main = the stacking axis.
struct Axis {
  bool vertical;
  int Main(SIZE s) const { return vertical ? s.cy : s.cx; }
  int Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
  int MinMain(CControlUI* c) const { return vertical ? c->GetMinHeight() : c->GetMinWidth(); }
  int MaxMain(CControlUI* c) const { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); }
  int MinCross(CControlUI* c) const { return vertical ? c->GetMinWidth() : c->GetMinHeight(); }
  int MaxCross(CControlUI* c) const { return vertical ? c->GetMaxWidth() : c->GetMaxHeight(); }
  int PadBefore(const RECT& p) const { return vertical ? p.top : p.left; }
  int PadAfter(const RECT& p) const { return vertical ? p.bottom : p.right; }
  int CrossBefore(const RECT& p) const { return vertical ? p.left : p.top; }
  int CrossAfter(const RECT& p) const { return vertical ? p.right : p.bottom; }
  int Length(const RECT& r) const { return vertical ? RectHeight(r) : RectWidth(r); }
  int CrossLength(const RECT& r) const { return vertical ? RectWidth(r) : RectHeight(r); }
  int Start(const RECT& r) const { return vertical ? r.top : r.left; }
  int CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
  RECT Make(int mainPos, int mainLen, int crossPos, int crossLen) const {
    if (vertical) return RECT{crossPos, mainPos, crossPos + crossLen, mainPos + mainLen};
    return RECT{mainPos, crossPos, mainPos + mainLen, crossPos + crossLen};
  }
};

void LayoutBox(CContainerUI* box, const RECT& content, Axis ax) {
  const int count = box->GetChildCount();
  const int childPadding = box->GetChildPadding();
  SIZE available{RectWidth(content), RectHeight(content)};
  // Main-axis length per child; -1 = stretching, decided below.
  std::vector<int> length(static_cast<size_t>(count), 0);
  std::vector<int> stretching;
  int used = 0;
  int visibleCount = 0;
  for (int i = 0; i < count; ++i) {
    CControlUI* c = box->GetChildAt(i);
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++visibleCount;
    RECT pad = c->GetPadding();
    used += ax.PadBefore(pad) + ax.PadAfter(pad);
    int len = ax.Main(c->EstimateSize(available));
    if (len <= 0) {
      length[static_cast<size_t>(i)] = -1;
      stretching.push_back(i);
    } else {
      length[static_cast<size_t>(i)] = ClampTo(len, ax.MinMain(c), ax.MaxMain(c));
      used += length[static_cast<size_t>(i)];
    }
  }
  if (visibleCount > 1) used += (visibleCount - 1) * childPadding;
  // Stretching children share what is left; one held by its min or max
  // takes that and the others share the rest.
  int left = ax.Length(content) - used;
  bool settled = false;
  while (!settled && !stretching.empty()) {
    settled = true;
    const int share = left / static_cast<int>(stretching.size());
    for (auto it = stretching.begin(); it != stretching.end(); ++it) {
      CControlUI* c = box->GetChildAt(*it);
      int bound = share < ax.MinMain(c) ? ax.MinMain(c) : share > ax.MaxMain(c) ? ax.MaxMain(c) : -1;
      if (bound < 0) continue;
      length[static_cast<size_t>(*it)] = bound;
      left -= bound;
      stretching.erase(it);
      settled = false;
      break;
    }
  }
  if (!stretching.empty()) {
    const int n = static_cast<int>(stretching.size());
    const int share = left > 0 ? left / n : 0;
    for (int k = 0; k < n; ++k)
      length[static_cast<size_t>(stretching[static_cast<size_t>(k)])] =
          share + (k == n - 1 && left > 0 ? left - share * n : 0);
  }

  int pos = ax.Start(content);
  for (int i = 0; i < count; ++i) {
    CControlUI* c = box->GetChildAt(i);
    if (!c->IsVisible()) continue;
    if (c->IsFloat()) {
      box->SetFloatPos(i);
      continue;
    }
    RECT pad = c->GetPadding();
    const int len = length[static_cast<size_t>(i)];
    int cross = ax.Cross(c->EstimateSize(available));
    int crossRoom = ax.CrossLength(content) - ax.CrossBefore(pad) - ax.CrossAfter(pad);
    if (cross <= 0) cross = crossRoom;
    cross = ClampTo(cross, ax.MinCross(c), ax.MaxCross(c));
    pos += ax.PadBefore(pad);
    c->SetPos(ax.Make(pos, len, ax.CrossStart(content) + ax.CrossBefore(pad), cross), false);
    pos += len + ax.PadAfter(pad) + childPadding;
  }
}

}  // namespace

void LayoutChildrenVertically(CContainerUI* c, const RECT& content) { LayoutBox(c, content, Axis{true}); }

void LayoutChildrenHorizontally(CContainerUI* c, const RECT& content) {
  LayoutBox(c, content, Axis{false});
}

CDuiString CVerticalLayoutUI::GetClass() const { return "VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_VERTICALLAYOUT) == 0) return this;
  return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  LayoutChildrenVertically(this, GetContentRect());
}

CDuiString CHorizontalLayoutUI::GetClass() const { return "HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_HORIZONTALLAYOUT) == 0) return this;
  return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  LayoutChildrenHorizontally(this, GetContentRect());
}

CDuiString CTabLayoutUI::GetClass() const { return "TabLayoutUI"; }

void* CTabLayoutUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, DUI_CTR_TABLAYOUT) == 0) return this;
  return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) { return CTabLayoutUI::AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  if (m_iCurSel < 0) {
    m_iCurSel = index;
    control->SetVisible(true);
  } else {
    if (index <= m_iCurSel) ++m_iCurSel;
    control->SetVisible(false);
  }
  return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
  int index = GetItemIndex(control);
  if (index < 0) return false;
  if (!CContainerUI::RemoveAt(index, doNotDestroy)) return false;
  if (GetCount() == 0) {
    m_iCurSel = -1;
  } else if (index == m_iCurSel) {
    m_iCurSel = -1;
    SelectItem(index < GetCount() ? index : GetCount() - 1);
  } else if (index < m_iCurSel) {
    --m_iCurSel;
  }
  return true;
}

void CTabLayoutUI::RemoveAll() {
  m_iCurSel = -1;
  CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index) {
  if (index < 0 || index >= GetCount()) return false;
  if (index == m_iCurSel && GetItemAt(index)->IsVisible()) return true;
  m_iCurSel = index;
  for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
  NeedUpdate();
  return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) { return SelectItem(GetItemIndex(control)); }

void CTabLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
  // Only the selected page is visible; the container places it in the inset.
  CContainerUI::SetPos(rc, bNeedInvalidate);
}

void CTabLayoutUI::SetAttribute(const char* name, const char* value) {
  int i = 0;
  if (std::strcmp(name, "selectedid") == 0) {
    if (ParseInt(value, i)) SelectItem(i);
    return;
  }
  CContainerUI::SetAttribute(name, value);
}

}  // namespace talmi
