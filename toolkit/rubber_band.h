#pragma once
// Drag selection: a press on a container's empty area and a drag draw a
// rubber band; the container learns the band while it moves and once on
// release. Custom containers (key maps, light zones) derive from
// CRubberBandLayoutUI and override OnRubberBand.
#include "toolkit/container.h"

namespace talmi {

class CRubberBandLayoutUI : public CContainerUI {
 public:
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  bool IsDragging() const { return m_bDragging; }
  // The band, normalised and clipped to the control; empty when none.
  RECT GetRubberBand() const;
  // Children whose rectangles meet the band.
  std::vector<CControlUI*> ChildrenInBand() const;

  void DoEvent(TEventUI& event) override;
  bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;

 protected:
  // While dragging (done false) and once on release (done true).
  virtual void OnRubberBand(const RECT& band, bool done) {
    (void)band;
    (void)done;
  }

 private:
  bool m_bPressed = false;
  bool m_bDragging = false;
  POINT m_ptStart{};
  POINT m_ptNow{};
};

}  // namespace talmi
