#pragma once
// Horizontal, vertical and tab layouts. Children with a fixed size keep it,
// the others share what is left; float children sit at their own position.
#include "toolkit/container.h"

namespace talmi {

class CVerticalLayoutUI : public CContainerUI {
 public:
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};

class CHorizontalLayoutUI : public CContainerUI {
 public:
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};

// Shows one child at a time.
class CTabLayoutUI : public CContainerUI {
 public:
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  void RemoveAll() override;
  int GetCurSel() const { return m_iCurSel; }
  // False for an index out of range (nothing changes).
  virtual bool SelectItem(int index);
  virtual bool SelectItem(CControlUI* control);
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void SetAttribute(const char* name, const char* value) override;

 private:
  int m_iCurSel = -1;
};

// Lays the visible, non-float children of c along one axis of content.
// Shared by the layouts and the list bodies.
void LayoutChildrenVertically(CContainerUI* c, const RECT& content);
void LayoutChildrenHorizontally(CContainerUI* c, const RECT& content);

}  // namespace talmi
