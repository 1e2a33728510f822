#pragma once
// Controls that hold children. The container owns its children (unless
// auto-destroy is switched off) and lays them out inside its inset.
#include <vector>

#include "toolkit/control.h"

namespace talmi {

class IContainerUI {
 public:
  virtual ~IContainerUI() = default;
  virtual CControlUI* GetItemAt(int index) const = 0;
  virtual int GetItemIndex(CControlUI* control) const = 0;
  virtual bool SetItemIndex(CControlUI* control, int index) = 0;
  virtual int GetCount() const = 0;
  virtual bool Add(CControlUI* control) = 0;
  virtual bool AddAt(CControlUI* control, int index) = 0;
  virtual bool Remove(CControlUI* control, bool doNotDestroy = false) = 0;
  virtual bool RemoveAt(int index, bool doNotDestroy = false) = 0;
  virtual void RemoveAll() = 0;
};

class CContainerUI : public CControlUI, public IContainerUI {
 public:
  CContainerUI() = default;
  ~CContainerUI() override;

  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  CControlUI* GetItemAt(int index) const override;
  int GetItemIndex(CControlUI* control) const override;
  bool SetItemIndex(CControlUI* control, int index) override;
  int GetCount() const override { return static_cast<int>(m_items.size()); }
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;
  bool IsAutoDestroy() const { return m_bAutoDestroy; }
  void SetAutoDestroy(bool on) { m_bAutoDestroy = on; }

  RECT GetInset() const;
  void SetInset(RECT rc);  // 96-DPI units
  int GetChildPadding() const;
  void SetChildPadding(int padding);
  bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
  void SetMouseChildEnabled(bool on) { m_bMouseChildEnabled = on; }

  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
  CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void SetAttribute(const char* name, const char* value) override;
  bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;
  void SetVisible(bool visible = true) override;
  void SetEnabled(bool enabled = true) override;

  // Every child, whatever the subclass counts as an item (a list's header
  // is a child but not an item).
  int GetChildCount() const { return static_cast<int>(m_items.size()); }
  CControlUI* GetChildAt(int index) const {
    return index >= 0 && index < GetChildCount() ? m_items[static_cast<size_t>(index)] : nullptr;
  }

  // The content rectangle: the item minus the inset.
  RECT GetContentRect() const;
  // Places a float child (by child index) at its position inside this container.
  void SetFloatPos(int childIndex);

 protected:
  // Fixed size clamped to min/max, for one axis.
  static int Clamp(int v, int lo, int hi);

  std::vector<CControlUI*> m_items;
  RECT m_rcInset{};
  int m_iChildPadding = 0;
  bool m_bAutoDestroy = true;
  bool m_bMouseChildEnabled = true;
};

}  // namespace talmi
