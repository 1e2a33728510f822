#pragma once
// One paint manager per window: the control tree's root, its name index,
// focus, control timers, notifications, fonts, default attributes and DPI.
// The static half holds the process-wide instance and resource settings.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/dui_string.h"
#include "toolkit/ui_defs.h"
#include "toolkit/win_types.h"
#include "toolkit/render.h"

namespace talmi {

class CControlUI;

// Set in the lParam of WM_KEYDOWN/WM_KEYUP while Shift is held.
inline constexpr LPARAM kKeyShiftHeld = 0x01000000;

enum UILIB_RESOURCETYPE {
  UILIB_FILE = 1,
  UILIB_ZIP,
  UILIB_RESOURCE,
  UILIB_ZIPRESOURCE,
};

struct TFontInfo {
  CDuiString sFontName;
  int iSize = 14;  // pixels at 96 DPI
  bool bBold = false;
  bool bUnderline = false;
  bool bItalic = false;
};

class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // Process-wide.
  static void SetInstance(HINSTANCE instance);
  static HINSTANCE GetInstance();
  // The program's folder with a trailing "/".
  static CDuiString GetInstancePath();
  static void SetResourcePath(const CDuiString& path);
  static CDuiString GetResourcePath();  // with a trailing "/"
  static void SetResourceZip(const CDuiString& zip);
  static CDuiString GetResourceZip();
  static void SetResourceType(int type);
  static int GetResourceType();
  // Runs the UI loop until the quit message (or until no window is left).
  static int MessageLoop();
  static void SetAllDPI(int dpi);
  static std::vector<CPaintManagerUI*> GetPaintManagers();
  // Shared fonts and default attribute lists serve every window.
  static int AddSharedFont(int id, const CDuiString& name, int size, bool bold, bool underline,
                           bool italic);
  static void RemoveAllSharedFonts();

  // Window.
  void Init(HWND hWnd, const CDuiString& name = "");
  HWND GetPaintWindow() const { return m_hWnd; }
  CDuiString GetName() const { return m_sName; }
  SIZE GetClientSize() const;
  // Window attributes from the skin (96-DPI units).
  SIZE GetInitSize() const { return m_szInit; }
  void SetInitSize(int cx, int cy);
  RECT GetCaptionRect() const { return m_rcCaption; }
  void SetCaptionRect(RECT rc) { m_rcCaption = rc; }
  SIZE GetMinInfo() const { return m_szMin; }
  void SetMinInfo(int cx, int cy) { m_szMin = SIZE{cx, cy}; }
  SIZE GetMaxInfo() const { return m_szMax; }
  void SetMaxInfo(int cx, int cy) { m_szMax = SIZE{cx, cy}; }
  RECT GetSizeBox() const { return m_rcSizeBox; }
  void SetSizeBox(RECT rc) { m_rcSizeBox = rc; }
  SIZE GetRoundCorner() const { return m_szRound; }
  void SetRoundCorner(int cx, int cy) { m_szRound = SIZE{cx, cy}; }
  CDuiString GetCaption() const { return m_sCaption; }
  void SetCaption(const CDuiString& c) { m_sCaption = c; }

  // Tree.
  bool AttachDialog(CControlUI* root);
  CControlUI* GetRoot() const { return m_pRoot; }
  // Deletes the tree (timers and focus go with it).
  void DetachDialog();
  void InitControls(CControlUI* control, CControlUI* parent = nullptr);
  // A control is going away: drop every reference to it.
  void ReapObjects(CControlUI* control);
  void NameChanged() { m_bNamesDirty = true; }
  // First control of that name (without regard to case), or null.
  CControlUI* FindControl(const CDuiString& name) const;
  CControlUI* FindControl(POINT pt) const;
  CControlUI* FindSubControlByName(CControlUI* parent, const CDuiString& name) const;
  CControlUI* FindSubControlByClass(CControlUI* parent, const CDuiString& cls, int index = 0) const;
  std::vector<CControlUI*> FindSubControlsByClass(CControlUI* parent, const CDuiString& cls) const;

  // Focus.
  CControlUI* GetFocus() const { return m_pFocus; }
  void SetFocus(CControlUI* control);
  // Moves the focus to the next (or previous) visible, enabled tab stop,
  // wrapping around; false when there is none.
  bool SetNextTabControl(bool forward = true);
  // Activates the first visible, enabled primary button; false when none.
  bool ActivateDefaultButton();

  // Control timers: the control receives UIEVENT_TIMER and, by default, the
  // notification "timer" with the id in wParam, until the timer is killed.
  bool SetTimer(CControlUI* control, UINT id, UINT elapse);
  bool KillTimer(CControlUI* control, UINT id);
  void KillTimer(CControlUI* control);
  void RemoveAllTimers();
  bool HasTimer(CControlUI* control, UINT id) const;

  // Notifications.
  bool AddNotifier(INotifyUI* notifier);
  bool RemoveNotifier(INotifyUI* notifier);
  const std::vector<INotifyUI*>& GetNotifiers() const { return m_notifiers; }
  void SendNotify(TNotifyUI& msg, bool async = false);
  void SendNotify(CControlUI* control, const char* type, WPARAM wParam = 0, LPARAM lParam = 0,
                  bool async = false);

  // Window messages reach the filters, then the controls.
  bool AddPreMessageFilter(IMessageFilterUI* filter);
  bool RemovePreMessageFilter(IMessageFilterUI* filter);
  bool AddMessageFilter(IMessageFilterUI* filter);
  bool RemoveMessageFilter(IMessageFilterUI* filter);
  bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
  bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

  // DPI (96 to 192): sizes in skins are 96-DPI units.
  int GetDPI() const { return m_iDpi; }
  // Rescales the window and its assets; values outside 96..192 are refused.
  bool SetDPI(int dpi);
  void ResetDPIAssets();
  int ScaleValue(int v) const { return v * m_iDpi / 96; }
  RECT ScaleRect(RECT rc) const;
  SIZE ScaleSize(SIZE sz) const;

  // Fonts: id -> face; -1 is the default font.
  int AddFont(int id, const CDuiString& name, int size, bool bold, bool underline, bool italic,
              bool shared = false);
  bool RemoveFont(int id);
  // Removes this window's fonts, or with shared the process-wide ones.
  void RemoveAllFonts(bool shared = false);
  void SetDefaultFont(const CDuiString& name, int size, bool bold, bool underline, bool italic,
                      bool shared = false);
  // The face for id (default font when unknown).
  TFontInfo GetFontInfo(int id) const;
  bool HasFont(int id) const;

  // Attribute lists applied to every control of a skin class before its own.
  void AddDefaultAttributeList(const CDuiString& cls, const CDuiString& list, bool shared = false);
  CDuiString GetDefaultAttributeList(const CDuiString& cls) const;
  void RemoveAllDefaultAttributeList();

  DWORD GetDefaultFontColor() const { return m_dwDefaultFontColor; }
  void SetDefaultFontColor(DWORD c) { m_dwDefaultFontColor = c; }
  DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
  void SetDefaultDisabledColor(DWORD c) { m_dwDefaultDisabledColor = c; }
  DWORD GetDefaultSelectedBkColor() const { return m_dwDefaultSelectedBkColor; }
  void SetDefaultSelectedBkColor(DWORD c) { m_dwDefaultSelectedBkColor = c; }

  // Layout and drawing.
  void Invalidate();
  void Invalidate(const RECT& rc);
  void NeedUpdate() { m_bUpdateNeeded = true; Invalidate(); }
  bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
  // Lays the tree out in the client area when anything asked for it (or
  // force), and sends "windowinit" after the first layout.
  void DoLayout(bool force = false);
  // Sends "windowinit" once, after the first layout.
  void SendWindowInit();
  void Render(HDC hDC, const RECT& rcPaint);
  // The window's content as a PNG file at the current size; false on error.
  bool SaveToPng(const CDuiString& path);
  bool IsInitialised() const { return m_bInitSent; }

 private:
  struct Impl;
  void RebuildNameIndex() const;
  void FireTimer(CControlUI* control, UINT id);
  void DeliverNotify(TNotifyUI& msg);
  void HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam);
  void HandleKey(UINT uMsg, WPARAM wParam, LPARAM lParam);
  void FlushAsyncNotify();
  void ScheduleInit();
  bool m_bPainting = false;

  std::unique_ptr<Impl> m_impl;
  HWND m_hWnd = nullptr;
  CDuiString m_sName;
  CControlUI* m_pRoot = nullptr;
  CControlUI* m_pFocus = nullptr;
  CControlUI* m_pEventHover = nullptr;
  CControlUI* m_pEventClick = nullptr;
  std::vector<INotifyUI*> m_notifiers;
  std::vector<IMessageFilterUI*> m_preFilters;
  std::vector<IMessageFilterUI*> m_filters;
  mutable std::multimap<std::string, CControlUI*> m_names;
  mutable bool m_bNamesDirty = true;
  std::map<int, TFontInfo> m_fonts;
  bool m_bHasDefaultFont = false;
  TFontInfo m_defaultFont;
  std::map<std::string, CDuiString> m_defaults;
  SIZE m_szInit{};
  SIZE m_szMin{};
  SIZE m_szMax{};
  RECT m_rcCaption{};
  RECT m_rcSizeBox{};
  SIZE m_szRound{};
  CDuiString m_sCaption;
  DWORD m_dwDefaultFontColor = 0xFFE6E8EE;
  DWORD m_dwDefaultDisabledColor = 0xFF5C6370;
  DWORD m_dwDefaultSelectedBkColor = 0x332F9BFF;
  int m_iDpi = 96;
  bool m_bUpdateNeeded = true;
  bool m_bInitSent = false;
  bool m_bInNotify = false;
};

}  // namespace talmi
