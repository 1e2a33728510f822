#include "toolkit/rubber_band.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "toolkit/palette.h"

namespace talmi {

namespace {
constexpr const char* kInterface = "RubberBandLayout";
constexpr DWORD kBandFill = 0x332F9BFF;  // accent at 20%
// Smaller moves are a click, not a drag.
constexpr int kDragThreshold = 3;
}  // namespace

CDuiString CRubberBandLayoutUI::GetClass() const { return "RubberBandLayoutUI"; }

void* CRubberBandLayoutUI::GetInterface(const char* name) {
  if (name && std::strcmp(name, kInterface) == 0) return this;
  return CContainerUI::GetInterface(name);
}

RECT CRubberBandLayoutUI::GetRubberBand() const {
  if (!m_bDragging) return RECT{};
  RECT band{std::min(m_ptStart.x, m_ptNow.x), std::min(m_ptStart.y, m_ptNow.y), std::max(m_ptStart.x, m_ptNow.x),
            std::max(m_ptStart.y, m_ptNow.y)};
  RECT out{};
  IntersectRect(out, band, m_rcItem);
  return out;
}

std::vector<CControlUI*> CRubberBandLayoutUI::ChildrenInBand() const {
  std::vector<CControlUI*> out;
  const RECT band = GetRubberBand();
  if (IsRectEmpty(band)) return out;
  RECT meet{};
  for (CControlUI* c : m_items)
    if (c->IsVisible() && IntersectRect(meet, band, c->GetPos())) out.push_back(c);
  return out;
}

void CRubberBandLayoutUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
      if (IsEnabled() && event.pSender == this) {
        m_ptStart = m_ptNow = event.ptMouse;
        m_bDragging = false;
        m_bPressed = true;
        return;
      }
      break;
    case UIEVENT_MOUSEMOVE:
      if (m_bPressed) {
        m_ptNow = event.ptMouse;
        if (!m_bDragging && std::abs(m_ptNow.x - m_ptStart.x) < Scale(kDragThreshold) &&
            std::abs(m_ptNow.y - m_ptStart.y) < Scale(kDragThreshold))
          return;
        m_bDragging = true;
        Invalidate();
        OnRubberBand(GetRubberBand(), false);
        return;
      }
      break;
    case UIEVENT_BUTTONUP:
      if (m_bPressed) {
        m_bPressed = false;
        m_ptNow = event.ptMouse;
        if (m_bDragging) {
          const RECT band = GetRubberBand();
          m_bDragging = false;
          Invalidate();
          OnRubberBand(band, true);
        }
        return;
      }
      break;
    default:
      break;
  }
  CContainerUI::DoEvent(event);
}

bool CRubberBandLayoutUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) {
  if (!CContainerUI::DoPaint(hDC, rcPaint, pStopControl)) return false;
  const RECT band = GetRubberBand();
  if (!IsRectEmpty(band)) {
    CRenderEngine::DrawColor(hDC, band, kBandFill);
    CRenderEngine::DrawBorder(hDC, band, 1, kColorAccent);
  }
  return true;
}

}  // namespace talmi
