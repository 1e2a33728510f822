#pragma once
// A drop-down choice. Its rows are list elements held as children; the
// closed combo draws the selected row's text. Hidden rows are skipped.
#include "toolkit/container.h"
#include "toolkit/list.h"

namespace talmi {

struct ComboPopup;

class CComboUI : public CContainerUI, public IListOwnerUI {
 public:
  CComboUI();
  ~CComboUI() override;
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  UINT GetControlFlags() const override;

  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;

  // The selected row's text (translated), or the combo's own text.
  CDuiString GetText() const override;
  TListInfoUI* GetListInfo() override { return &m_info; }
  int GetCurSel() const override { return m_iCurSel; }
  // Hidden or disabled rows cannot be selected.
  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  // Visible rows, the ones a drop-down offers.
  int GetVisibleCount() const;
  void SetItemVisible(int index, bool visible);

  bool IsDropped() const { return m_bDropped; }
  // Below the combo, or above it when the window has no room below.
  RECT GetDropBoxRect() const;
  // The native drop-down; both are safe to call in either state.
  void OpenDropDown();
  void CloseDropDown();
  // Scrolls the open drop-down by whole rows (positive: down).
  void ScrollDropDown(int rows);
  // Toggles the drop-down.
  bool Activate() override;
  void DoEvent(TEventUI& event) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  // Hit tests stop at the combo: its rows live in the drop-down.
  CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override;
  void SetAttribute(const char* name, const char* value) override;
  bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;
  void PaintBkColor(HDC hDC) override;
  void PaintBorder(HDC hDC) override;
  void PaintText(HDC hDC) override;

 private:
  void Renumber();
  void LayoutDropRows();
  // Next selectable row from the current one in a direction; -1 when none.
  int NextSelectable(int from, int step) const;
  void EnsureDropVisible(int index);
  ComboPopup* m_pPopup = nullptr;
  RECT m_rcDrop{};
  int m_iDropScroll = 0;  // pixels
  TListInfoUI m_info;
  int m_iCurSel = -1;
  bool m_bDropped = false;
  int m_iFont = -1;
  DWORD m_dwTextColor = 0;
  RECT m_rcTextPadding{8, 0, 24, 0};
  SIZE m_szDropBox{0, 150};
  CDuiString m_sNormalImage;
};

}  // namespace talmi
