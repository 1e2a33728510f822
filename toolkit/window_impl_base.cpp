#include "toolkit/window_impl_base.h"

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/control.h"

namespace talmi {

inline constexpr WPARAM kVkEscape = 0x1B;

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
  m_pm.RemovePreMessageFilter(this);
  m_pm.RemoveNotifier(this);
}

void WindowImplBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

CControlUI* WindowImplBase::CreateControl(const CDuiString&) { return nullptr; }

CDuiString WindowImplBase::QueryControlText(const CDuiString&, const CDuiString&) { return {}; }

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) {
  bHandled = false;
  if (uMsg == WM_KEYDOWN && ResponseDefaultKeyEvent(wParam)) bHandled = true;
  return 0;
}

bool WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
  // Escape dismisses: with 0, so a confirmation is never taken as given.
  if (wParam == kVkEscape) {
    Close(0);
    return true;
  }
  return false;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = true;
  m_pm.Init(m_hWnd, GetWindowClassName());
  m_pm.AddPreMessageFilter(this);
  CDuiString folder = GetSkinFolder();
  CDuiString file = GetSkinFile();
  CDuiString skin = folder.IsEmpty() ? file : CDuiString(JoinPath(folder.view(), file.view()));
  CDialogBuilder builder;
  CControlUI* root = builder.Create(skin, GetSkinType(), this, &m_pm);
  if (!root) {
    DebugOutputF("WindowImplBase: skin \"%s\" of window \"%s\" not built: %s", skin.GetData(),
                 GetWindowClassName().GetData(), builder.GetLastError().GetData());
    return -1;
  }
  m_pm.AttachDialog(root);
  m_pm.AddNotifier(this);
  SIZE init = m_pm.GetInitSize();
  if (init.cx > 0 && init.cy > 0) ResizeClient(m_pm.ScaleValue(init.cx), m_pm.ScaleValue(init.cy));
  InitWindow();
  return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT lRes = 0;
  if (m_pm.PreMessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
  bool handled = true;
  switch (uMsg) {
    case WM_CREATE: lRes = OnCreate(uMsg, wParam, lParam, handled); break;
    case WM_CLOSE: lRes = OnClose(uMsg, wParam, lParam, handled); break;
    case WM_DESTROY: lRes = OnDestroy(uMsg, wParam, lParam, handled); break;
    case WM_SIZE: lRes = OnSize(uMsg, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: lRes = OnSysCommand(uMsg, wParam, lParam, handled); break;
    default: handled = false; break;
  }
  if (handled) return lRes;
  lRes = HandleCustomMessage(uMsg, wParam, lParam, handled);
  if (handled) return lRes;
  if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
  return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void WindowImplBase::OnFinalMessage(HWND) {
  m_pm.RemovePreMessageFilter(this);
  m_pm.RemoveNotifier(this);
  m_pm.RemoveAllTimers();
}

}  // namespace talmi
