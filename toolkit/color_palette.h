#pragma once
// A colour picker: a saturation/brightness square for the current hue and a
// hue bar below it. Picking sends "colorchanged".
#include "toolkit/control.h"

namespace talmi {

class CColorPaletteUI : public CControlUI {
 public:
  CColorPaletteUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  // ARGB; the alpha byte is always FF.
  DWORD GetSelectColor() const { return m_dwSelectColor; }
  void SetSelectColor(DWORD color);
  int GetHue() const { return m_iHue; }            // 0..359
  int GetSaturation() const { return m_iSat; }     // 0..100
  int GetBrightness() const { return m_iBright; }  // 0..100

  // A pick at a point of the square or the bar; "colorchanged" when the
  // colour changes. False when the point is on neither.
  bool PickAt(POINT pt);
  RECT GetPaletteRect() const;
  RECT GetHueBarRect() const;

  void DoEvent(TEventUI& event) override;
  void SetAttribute(const char* name, const char* value) override;
  void PaintBkColor(HDC hDC) override;
  void PaintStatusImage(HDC hDC) override;

  static DWORD HsbToArgb(int hue, int sat, int bright);
  static void ArgbToHsb(DWORD color, int& hue, int& sat, int& bright);

 private:
  int m_iPalletHeight = 200;
  int m_iBarHeight = 14;
  int m_iHue = 0;
  int m_iSat = 100;
  int m_iBright = 100;
  DWORD m_dwSelectColor = 0xFFFF0000;
  bool m_bCaptured = false;
  // What a drag started on; the drag keeps picking on it, clamped to it.
  enum class Area { None, Field, HueBar } m_captureArea = Area::None;
  bool PickDrag(POINT pt);
  CDuiString m_sThumbImage;
};

}  // namespace talmi
