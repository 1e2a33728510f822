#pragma once
// Push buttons and options (check boxes, radio buttons and tab headers).
#include "toolkit/label.h"

namespace talmi {

// Button state bits.
inline constexpr UINT UISTATE_FOCUSED = 0x01;
inline constexpr UINT UISTATE_SELECTED = 0x02;
inline constexpr UINT UISTATE_DISABLED = 0x04;
inline constexpr UINT UISTATE_HOT = 0x08;
inline constexpr UINT UISTATE_PUSHED = 0x10;
inline constexpr UINT UISTATE_CAPTURED = 0x40;

class CButtonUI : public CLabelUI {
 public:
  CButtonUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  UINT GetControlFlags() const override;

  // Sends "click".
  bool Activate() override;
  void SetEnabled(bool enabled = true) override;
  void DoEvent(TEventUI& event) override;
  void SetAttribute(const char* name, const char* value) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintBkColor(HDC hDC) override;
  // The default face shows the keyboard focus with an accent ring.
  void PaintBorder(HDC hDC) override;
  UINT GetButtonState() const { return m_uButtonState; }
  // The dialog's default: Return activates it when the focused control
  // does not take Return itself.
  bool IsPrimary() const { return m_bPrimary; }
  void SetPrimary(bool on) { m_bPrimary = on; Invalidate(); }

  CDuiString GetNormalImage() const { return m_sNormalImage; }
  void SetNormalImage(const CDuiString& s);
  void SetHotImage(const CDuiString& s);
  void SetPushedImage(const CDuiString& s);
  void SetDisabledImage(const CDuiString& s);
  void SetHotBkColor(DWORD c) { m_dwHotBkColor = c; }
  void SetHotTextColor(DWORD c) { m_dwHotTextColor = c; }
  void SetPushedTextColor(DWORD c) { m_dwPushedTextColor = c; }

 protected:
  DWORD CurrentTextColor() const override;
  // No image and no colour in the skin: draw the default raised face.
  bool UsesDefaultFace() const;

  UINT m_uButtonState = 0;
  CDuiString m_sNormalImage;
  CDuiString m_sHotImage;
  CDuiString m_sHotForeImage;
  CDuiString m_sPushedImage;
  CDuiString m_sFocusedImage;
  CDuiString m_sDisabledImage;
  DWORD m_dwHotBkColor = 0;
  DWORD m_dwPushedBkColor = 0;
  DWORD m_dwHotTextColor = 0;
  DWORD m_dwPushedTextColor = 0;
  DWORD m_dwFocusedTextColor = 0;
  bool m_bPrimary = false;
};

class COptionUI : public CButtonUI {
 public:
  ~COptionUI() override;
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  CDuiString GetGroup() const { return m_sGroupName; }
  void SetGroup(const CDuiString& group);
  bool IsSelected() const { return m_bSelected; }
  // Selecting one option of a group clears the others of that group (they
  // get no notification). "selectchanged" is sent when triggerEvent is set
  // and the state changed.
  virtual void Selected(bool selected, bool triggerEvent = true);
  // A bound option selects page index of the tab layout named layout.
  void BindTabIndex(int index) { m_iBindTabIndex = index; }
  void BindTabLayoutName(const CDuiString& layout) { m_sBindTabLayoutName = layout; }
  int GetBindTabLayoutIndex() const { return m_iBindTabIndex; }
  CDuiString GetBindTabLayoutName() const { return m_sBindTabLayoutName; }
  void SetSelectedImage(const CDuiString& s);
  void SetSelectedTextColor(DWORD c) { m_dwSelectedTextColor = c; }
  void SetSelectedBkColor(DWORD c) { m_dwSelectedBkColor = c; }

  bool Activate() override;
  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
  void SetAttribute(const char* name, const char* value) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintBkColor(HDC hDC) override;
  // Check and radio options put their text after the indicator.
  void PaintText(HDC hDC) override;

 protected:
  DWORD CurrentTextColor() const override;
  void SelectBoundTab();
  void PaintDefaultIndicator(HDC hDC);
  enum class Look { Automatic, Tab, Check, Radio };

  bool m_bSelected = false;
  CDuiString m_sGroupName;
  CDuiString m_sSelectedImage;
  CDuiString m_sSelectedHotImage;
  CDuiString m_sSelectedForeImage;
  DWORD m_dwSelectedTextColor = 0;
  DWORD m_dwSelectedBkColor = 0;
  int m_iBindTabIndex = -1;
  CDuiString m_sBindTabLayoutName;
  Look m_look = Look::Automatic;
};

}  // namespace talmi
