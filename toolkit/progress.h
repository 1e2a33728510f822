#pragma once
// Value bars: a progress bar shows a value in a range; a slider lets the
// user move it with a thumb.
#include "toolkit/label.h"

namespace talmi {

class CProgressUI : public CLabelUI {
 public:
  CProgressUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;

  bool IsHorizontal() const { return m_bHorizontal; }
  void SetHorizontal(bool on);
  int GetMinValue() const { return m_nMin; }
  void SetMinValue(int v);
  int GetMaxValue() const { return m_nMax; }
  void SetMaxValue(int v);
  int GetValue() const { return m_nValue; }
  // Brought into [min, max].
  virtual void SetValue(int v);
  void SetForeColor(DWORD c) { m_dwForeColor = c; Invalidate(); }

  void SetAttribute(const char* name, const char* value) override;
  void PaintBkColor(HDC hDC) override;
  void PaintForeColor(HDC hDC) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintForeImage(HDC hDC) override;

 protected:
  // Part of rc that stands for the current value.
  RECT ValueRect(const RECT& rc) const;
  // The track the value is drawn on (the whole control for a progress bar).
  virtual RECT TrackRect() const { return m_rcItem; }

  bool m_bHorizontal = true;
  bool m_bStretchForeImage = true;
  int m_nMin = 0;
  int m_nMax = 100;
  int m_nValue = 0;
};

class CSliderUI : public CProgressUI {
 public:
  CSliderUI();
  CDuiString GetClass() const override;
  void* GetInterface(const char* name) override;
  UINT GetControlFlags() const override;

  void SetEnabled(bool enabled = true) override;
  int GetChangeStep() const { return m_nStep; }
  void SetChangeStep(int step) { m_nStep = step > 0 ? step : 1; }
  void SetThumbSize(SIZE sz) { m_szThumb = sz; }
  RECT GetThumbRect() const;
  void SetThumbImage(const CDuiString& s) { m_sThumbImage = s; Invalidate(); }
  void SetThumbColor(DWORD c) { m_dwThumbColor = c; Invalidate(); }
  bool IsSendMove() const { return m_bSendMove; }
  void SetCanSendMove(bool on) { m_bSendMove = on; }
  // The value under a point of the track.
  int ValueAt(POINT pt) const;
  // Arrows step, Home/End go to the ends; "valuechanged" when it moved.
  bool HandleKey(WPARAM key);

  void DoEvent(TEventUI& event) override;
  void SetAttribute(const char* name, const char* value) override;
  void PaintBkColor(HDC hDC) override;
  void PaintForeColor(HDC hDC) override;
  void PaintStatusImage(HDC hDC) override;

 protected:
  RECT TrackRect() const override;

  // Where the thumb's centre would be for a pointer at pt, given the grab.
  POINT Grabbed(POINT pt) const { return POINT{pt.x - m_ptGrab.x, pt.y - m_ptGrab.y}; }

  SIZE m_szThumb{14, 14};
  POINT m_ptGrab{};
  UINT m_uButtonState = 0;
  int m_nStep = 1;
  bool m_bSendMove = false;
  CDuiString m_sThumbImage;
  CDuiString m_sThumbHotImage;
  CDuiString m_sThumbPushedImage;
  DWORD m_dwThumbColor = 0;
};

}  // namespace talmi
