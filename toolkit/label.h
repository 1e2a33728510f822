#pragma once
// Text controls: a label draws its (translated) text with a font of the
// registered table, a colour and an alignment.
#include "toolkit/control.h"

namespace talmi {

class CLabelUI : public CControlUI {
 public:
  CLabelUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  void SetTextStyle(UINT style);
  UINT GetTextStyle() const { return m_uTextStyle; }
  void SetTextColor(DWORD color);
  DWORD GetTextColor() const { return m_dwTextColor; }
  void SetDisabledTextColor(DWORD color);
  DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
  void SetFont(int id);
  int GetFont() const { return m_iFont; }
  RECT GetTextPadding() const;
  void SetTextPadding(RECT rc);
  bool IsAutoCalcWidth() const { return m_bAutoCalcWidth; }
  void SetAutoCalcWidth(bool on);

  SIZE EstimateSize(SIZE szAvailable) override;
  void SetAttribute(const char* name, const char* value) override;
  void PaintText(HDC hDC) override;

 protected:
  // The colour text is drawn with in the current state.
  virtual DWORD CurrentTextColor() const;
  void DrawTextIn(HDC hDC, const RECT& rc, DWORD color);

  DWORD m_dwTextColor = 0;
  DWORD m_dwDisabledTextColor = 0;
  int m_iFont = -1;
  UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
  RECT m_rcTextPadding{};
  bool m_bAutoCalcWidth = false;
};

}  // namespace talmi
