#pragma once
// The base of every control: identity, skin attributes, the layout record,
// events and the painting steps. A control belongs to one paint manager and
// (except the root) to one parent container, which owns it.
#include <functional>
#include <vector>

#include "toolkit/dui_string.h"
#include "toolkit/render.h"
#include "toolkit/ui_defs.h"
#include "toolkit/win_types.h"

namespace talmi {

class CPaintManagerUI;
class CControlUI;

using FINDCONTROLPROC = CControlUI* (*)(CControlUI*, void*);

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // Identity.
  virtual CDuiString GetClass() const;
  virtual void* GetInterface(const char* name);
  virtual UINT GetControlFlags() const { return 0; }
  CDuiString GetName() const { return m_sName; }
  void SetName(const CDuiString& name);
  // The name of the sub-page (notify pump) this control's notifications go to:
  // its own "virtualwnd" attribute or the nearest parent's.
  CDuiString GetVirtualWnd() const;
  void SetVirtualWnd(const CDuiString& name) { m_sVirtualWnd = name; }

  // Tree.
  CPaintManagerUI* GetManager() const { return m_pManager; }
  CControlUI* GetParent() const { return m_pParent; }
  virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
  virtual CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags);

  // Texts. GetText shows the translation when the text is a language key.
  virtual CDuiString GetText() const;
  virtual void SetText(const CDuiString& text);
  // The text as stored (the key when it is one).
  CDuiString GetRawText() const { return m_sText; }
  bool IsResourceText() const { return m_bResourceText; }
  void SetResourceText(bool on);
  CDuiString GetToolTip() const;
  void SetToolTip(const CDuiString& text);
  CDuiString GetUserData() const { return m_sUserData; }
  void SetUserData(const CDuiString& data) { m_sUserData = data; }
  UINT_PTR GetTag() const { return m_pTag; }
  void SetTag(UINT_PTR tag) { m_pTag = tag; }

  // Colours and images.
  DWORD GetBkColor() const { return m_dwBackColor; }
  void SetBkColor(DWORD color);
  CDuiString GetBkImage() const { return m_sBkImage; }
  void SetBkImage(const CDuiString& image);
  CDuiString GetForeImage() const { return m_sForeImage; }
  void SetForeImage(const CDuiString& image);
  DWORD GetBorderColor() const { return m_dwBorderColor; }
  void SetBorderColor(DWORD color);
  DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
  void SetFocusBorderColor(DWORD color);
  int GetBorderSize() const;
  void SetBorderSize(int size);
  SIZE GetBorderRound() const;
  void SetBorderRound(SIZE round);
  bool DrawImage(HDC hDC, const CDuiString& description);

  // Layout. Sizes set here are in 96-DPI units; Get* return device pixels
  // at the manager's DPI.
  virtual const RECT& GetPos() const { return m_rcItem; }
  virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
  int GetWidth() const { return RectWidth(m_rcItem); }
  int GetHeight() const { return RectHeight(m_rcItem); }
  int GetX() const { return m_rcItem.left; }
  int GetY() const { return m_rcItem.top; }
  virtual RECT GetPadding() const;
  virtual void SetPadding(RECT rc);
  virtual int GetFixedWidth() const;
  virtual void SetFixedWidth(int cx);
  virtual int GetFixedHeight() const;
  virtual void SetFixedHeight(int cy);
  int GetMinWidth() const;
  void SetMinWidth(int cx);
  int GetMaxWidth() const;
  void SetMaxWidth(int cx);
  int GetMinHeight() const;
  void SetMinHeight(int cy);
  int GetMaxHeight() const;
  void SetMaxHeight(int cy);
  // Float controls sit at their "pos" inside the parent's rectangle.
  bool IsFloat() const { return m_bFloat; }
  void SetFloat(bool on);
  RECT GetFloatPos() const;  // scaled, relative to the parent
  void SetFloatPos(RECT rc);  // 96-DPI units, relative to the parent
  virtual SIZE EstimateSize(SIZE szAvailable);
  int Scale(int v) const;
  RECT Scale(RECT rc) const;

  // State.
  virtual bool IsVisible() const { return m_bVisible; }
  virtual void SetVisible(bool visible = true);
  virtual bool IsEnabled() const { return m_bEnabled; }
  virtual void SetEnabled(bool enabled = true);
  bool IsMouseEnabled() const { return m_bMouseEnabled; }
  void SetMouseEnabled(bool on) { m_bMouseEnabled = on; }
  bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
  void SetKeyboardEnabled(bool on) { m_bKeyboardEnabled = on; }
  virtual bool IsFocused() const { return m_bFocused; }
  virtual void SetFocus();
  bool IsContextMenuUsed() const { return m_bMenuUsed; }
  void SetContextMenuUsed(bool on) { m_bMenuUsed = on; }
  // What the control does when it is clicked or activated from the keyboard.
  virtual bool Activate();

  void Invalidate();
  bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
  void NeedUpdate();
  void NeedParentUpdate();

  // Skin attributes; unknown names are ignored.
  virtual void SetAttribute(const char* name, const char* value);
  void ApplyAttributeList(const CDuiString& list);

  // Events.
  void Event(TEventUI& event);
  virtual void DoEvent(TEventUI& event);
  // Called once, when the control is built or first added with a manager.
  void Init();
  bool IsInited() const { return m_bInited; }
  virtual void DoInit() {}

  // Extra per-control notification hooks (run before the window's notifiers).
  using NotifyHook = std::function<bool(TNotifyUI&)>;
  void AddNotifyHook(NotifyHook hook) { m_notifyHooks.push_back(std::move(hook)); }
  bool RunNotifyHooks(TNotifyUI& msg);

  // Painting.
  virtual bool Paint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl = nullptr);
  virtual bool DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl);
  virtual void PaintBkColor(HDC hDC);
  virtual void PaintBkImage(HDC hDC);
  virtual void PaintStatusImage(HDC hDC);
  virtual void PaintForeColor(HDC hDC);
  virtual void PaintForeImage(HDC hDC);
  virtual void PaintText(HDC hDC);
  virtual void PaintBorder(HDC hDC);

 protected:
  CPaintManagerUI* m_pManager = nullptr;
  CControlUI* m_pParent = nullptr;
  CDuiString m_sName;
  CDuiString m_sVirtualWnd;
  CDuiString m_sText;
  CDuiString m_sToolTip;
  CDuiString m_sUserData;
  UINT_PTR m_pTag = 0;
  bool m_bResourceText = false;

  RECT m_rcItem{};
  RECT m_rcPaint{};
  RECT m_rcPadding{};
  RECT m_rcFloat{};
  SIZE m_cxyFixed{};
  SIZE m_cxyMin{};
  SIZE m_cxyMax{9999, 9999};
  bool m_bFloat = false;
  bool m_bVisible = true;
  bool m_bEnabled = true;
  bool m_bMouseEnabled = true;
  bool m_bKeyboardEnabled = true;
  bool m_bFocused = false;
  bool m_bMenuUsed = false;
  bool m_bUpdateNeeded = true;
  bool m_bInited = false;

  DWORD m_dwBackColor = 0;
  bool m_bBkColorSet = false;  // a skin or caller chose a colour, even a transparent one
  DWORD m_dwForeColor = 0;
  DWORD m_dwBorderColor = 0;
  DWORD m_dwFocusBorderColor = 0;
  int m_nBorderSize = 0;
  SIZE m_cxyBorderRound{};
  CDuiString m_sBkImage;
  CDuiString m_sForeImage;

 private:
  std::vector<NotifyHook> m_notifyHooks;
};

}  // namespace talmi
