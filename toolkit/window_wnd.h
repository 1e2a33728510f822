#pragma once
// Native windows and window messages. Every window has a handle; messages
// reach its HandleMessage on the UI thread. SendMessage from another thread
// waits for the UI thread's answer, but returns 0 at once once the window is
// being destroyed or the UI loop has ended, so a worker never blocks a
// shut-down. PostMessage queues from any thread.
#include "toolkit/dui_string.h"
#include "toolkit/win_messages.h"
#include "toolkit/win_types.h"

namespace talmi {

class CWindowWnd {
 public:
  CWindowWnd();
  virtual ~CWindowWnd();
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  HWND GetHWND() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }  // NOLINT: handle-style use

  // UI thread only. Null when WM_CREATE refused the window (returned -1).
  HWND Create(HWND hwndParent, const CDuiString& name, DWORD style, DWORD exStyle, const RECT& rc);
  HWND Create(HWND hwndParent, const CDuiString& name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
              int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);
  void ShowWindow(bool show = true, bool takeFocus = true);
  // Runs until the window is gone; returns the code handed to Close.
  UINT ShowModal();
  // Posts WM_CLOSE with the code in wParam.
  void Close(UINT nRet = IDOK);
  // Centres on the owner when it is visible, else on the screen.
  void CenterWindow();
  // Icon resource number, looked up in the resource index.
  void SetIcon(UINT nRes);
  void ResizeClient(int cx = -1, int cy = -1);
  LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  bool PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  // The window's content as a PNG file.
  bool SaveAsPng(const CDuiString& path);

  virtual CDuiString GetWindowClassName() const = 0;
  virtual UINT GetClassStyle() const { return 0; }
  // Runs on the UI thread for every message of this window.
  virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // After the last message (the handle is already invalid). May delete this.
  virtual void OnFinalMessage(HWND hWnd);

 protected:
  HWND m_hWnd = nullptr;

 private:
  friend struct WindowAccess;
};

// Handle-based calls.
LRESULT SendMessage(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
bool PostMessage(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
// The wide-character spelling callers may use; strings are UTF-8 here.
inline LRESULT SendMessageW(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessage(hWnd, uMsg, wParam, lParam);
}
// Ends the UI loop (and any modal loop in it) with the code.
void PostQuitMessage(int exitCode);
bool IsWindow(HWND hWnd);
// UI thread only: WM_DESTROY, then WM_NCDESTROY and OnFinalMessage. Owned
// windows go first.
bool DestroyWindow(HWND hWnd);
bool ShowWindow(HWND hWnd, int nCmdShow);
bool IsWindowVisible(HWND hWnd);
bool IsIconic(HWND hWnd);
bool IsZoomed(HWND hWnd);
bool GetWindowRect(HWND hWnd, RECT* rc);
bool GetClientRect(HWND hWnd, RECT* rc);
bool MoveWindow(HWND hWnd, int x, int y, int cx, int cy, bool repaint = true);
bool SetWindowText(HWND hWnd, const CDuiString& text);
CDuiString GetWindowText(HWND hWnd);
HWND GetWindowOwner(HWND hWnd);
// A window of this process by class name and/or title (empty = any).
HWND FindWindow(const CDuiString& className, const CDuiString& title);
// Window timers: WM_TIMER with the id in wParam, until killed.
bool SetTimer(HWND hWnd, UINT_PTR id, UINT elapse);
bool KillTimer(HWND hWnd, UINT_PTR id);
// The primary screen's available area.
RECT GetWorkArea();
bool IsUiThread();
// Milliseconds of the steady clock (notification and event time stamps).
DWORD GetTickCount();

}  // namespace talmi
