#pragma once
// A drop-down choice. Its rows are list elements held as children; the
// closed combo draws the selected row's text. Hidden rows are skipped.
#include "toolkit/container.h"
#include "toolkit/list.h"

namespace talmi {

class CComboUI : public CContainerUI, public IListOwnerUI {
 public:
  CComboUI();
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
  RECT GetDropBoxRect() const;
  bool Activate() override;
  void DoEvent(TEventUI& event) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void SetAttribute(const char* name, const char* value) override;
  bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl) override;
  void PaintBkColor(HDC hDC) override;
  void PaintBorder(HDC hDC) override;
  void PaintText(HDC hDC) override;

 private:
  void Renumber();
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
