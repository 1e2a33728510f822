#pragma once
// Text entry fields. The typed-in text is filtered here (digits only,
// length limit, value range); the native editor that takes the keystrokes
// while the field has the focus lives in the window layer.
#include "toolkit/label.h"

namespace talmi {

struct EditOverlay;

class CEditUI : public CLabelUI {
 public:
  CEditUI();
  ~CEditUI() override;
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  UINT GetControlFlags() const override;

  void SetText(const CDuiString& text) override;
  void SetNumberOnly(bool on);
  bool IsNumberOnly() const { return m_bNumberOnly; }
  // The range a number-only field is brought into when it loses the focus.
  void SetMinValue(int v);
  void SetMaxValue(int v);
  int GetMinValue() const { return m_iMinValue; }
  int GetMaxValue() const { return m_iMaxValue; }
  bool HasValueRange() const { return m_bHasMin || m_bHasMax; }
  // Characters (not bytes); 0 = no limit.
  void SetMaxChar(int count);
  int GetMaxChar() const { return m_iMaxChar; }
  void SetReadOnly(bool on) { m_bReadOnly = on; }
  bool IsReadOnly() const { return m_bReadOnly; }
  void SetPasswordMode(bool on) { m_bPassword = on; Invalidate(); }
  bool IsPasswordMode() const { return m_bPassword; }
  void SetTipValue(const CDuiString& tip) { m_sTipValue = tip; Invalidate(); }
  CDuiString GetTipValue() const { return m_sTipValue; }

  // What typing the text would leave in the field: non-digits dropped in
  // number-only mode, cut at the character limit. The user's input path
  // goes through here.
  CDuiString FilterInput(const CDuiString& text) const;
  // Replaces the text as typed by the user and sends "textchanged".
  void SetUserText(const CDuiString& text);
  // Brings a number-only value into its range; true when the text changed.
  bool ApplyValueRange();

  // True while the native field takes the keystrokes.
  bool HasNativeField() const { return m_pOverlay != nullptr; }

  void DoEvent(TEventUI& event) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  void SetVisible(bool visible = true) override;
  void SetAttribute(const char* name, const char* value) override;
  void PaintBkColor(HDC hDC) override;
  void PaintBorder(HDC hDC) override;
  void PaintText(HDC hDC) override;

 protected:
  bool m_bNumberOnly = false;
  bool m_bReadOnly = false;
  bool m_bPassword = false;
  bool m_bHasMin = false;
  bool m_bHasMax = false;
  int m_iMinValue = 0;
  int m_iMaxValue = 0;
  int m_iMaxChar = 255;
  CDuiString m_sTipValue;
  DWORD m_dwTipValueColor = 0xFF9AA3B2;
  EditOverlay* m_pOverlay = nullptr;
};

class CRichEditUI : public CEditUI {
 public:
  CRichEditUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  UINT GetControlFlags() const override;
  bool IsWantReturn() const { return m_bWantReturn; }
  void SetAttribute(const char* name, const char* value) override;

 private:
  bool m_bWantReturn = true;
};

// Number of UTF-8 characters.
int Utf8Length(const CDuiString& s);

}  // namespace talmi
