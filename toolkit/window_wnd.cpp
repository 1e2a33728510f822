#include "toolkit/window_wnd.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/resource_manager.h"
#include "toolkit/window_core.h"
#include "toolkit/window_place.h"

namespace talmi {
namespace {

Qt::WindowFlags FlagsFor(DWORD style, DWORD exStyle) {
  Qt::WindowFlags f = Qt::Window;
  if (exStyle & WS_EX_TOOLWINDOW) f = Qt::Tool;
  // The skins draw their own title bars.
  f |= Qt::FramelessWindowHint;
  if (exStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
  if (exStyle & WS_EX_NOACTIVATE) f |= Qt::WindowDoesNotAcceptFocus;
  (void)style;
  return f;
}

// Deletes the native widget now, or after the event it is handling.
void DropHost(WindowCore& core) {
  CHostWidget* host = core.host;
  core.host = nullptr;
  if (!host) return;
  host->hide();
  if (host->Depth() > 0) host->deleteLater();
  else delete host;
}

// Qt holds back resize events of hidden widgets; windows get WM_SIZE
// whether shown or not.
void ResizeHost(const std::shared_ptr<WindowCore>& core, const QRect& geometry) {
  QWidget* w = core->host;
  const QSize before = w->size();
  w->setGeometry(geometry);
  if (!w->isVisible() && w->size() != before)
    Deliver(core, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
}

// Teardown without any message: the window object itself is going away.
void SilentDestroy(const std::shared_ptr<WindowCore>& core) {
  MarkDestroying(core);
  KillAllTimers(*core);
  DropHost(*core);
  UnregisterCore(core);
}

}  // namespace

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
  if (!m_hWnd) return;
  if (std::shared_ptr<WindowCore> core = FindCore(m_hWnd)) SilentDestroy(core);
  m_hWnd = nullptr;
}

HWND CWindowWnd::Create(HWND hwndParent, const CDuiString& name, DWORD style, DWORD exStyle, const RECT& rc) {
  return Create(hwndParent, name, style, exStyle, rc.left, rc.top, RectWidth(rc), RectHeight(rc));
}

HWND CWindowWnd::Create(HWND hwndParent, const CDuiString& name, DWORD style, DWORD exStyle, int x, int y, int cx,
                        int cy) {
  if (!IsUiThread()) {
    DebugOutput("CWindowWnd::Create: not on the UI thread");
    return nullptr;
  }
  if (m_hWnd && IsWindow(m_hWnd)) return m_hWnd;
  WatchScreens();
  std::shared_ptr<WindowCore> core = RegisterCore(this);
  core->owner = hwndParent;
  core->className = GetWindowClassName();
  core->style = style;
  core->exStyle = exStyle;
  m_hWnd = core->hwnd;
  auto* host = new CHostWidget(core);
  core->host = host;
  host->setWindowFlags(FlagsFor(style, exStyle));
  host->setWindowTitle(QString::fromUtf8(name.GetData()));
  host->setMouseTracking(true);
  host->setAttribute(Qt::WA_OpaquePaintEvent, true);
  const int w = cx == CW_USEDEFAULT || cx <= 0 ? 640 : cx;
  const int h = cy == CW_USEDEFAULT || cy <= 0 ? 480 : cy;
  host->resize(w, h);
  if (x != CW_USEDEFAULT && y != CW_USEDEFAULT) host->move(x, y);
  if (Deliver(core, WM_CREATE, 0, 0) == -1) {
    DebugOutputF("CWindowWnd::Create: window \"%s\" refused its creation", core->className.GetData());
    DestroyWindow(core->hwnd);
    return nullptr;
  }
  if (!IsWindow(core->hwnd)) return nullptr;
  if (style & WS_VISIBLE) ::talmi::ShowWindow(core->hwnd, (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW);
  return m_hWnd;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
  ::talmi::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
  std::shared_ptr<WindowCore> core = FindCore(m_hWnd);
  if (!core || core->destroying || !IsUiThread()) return 0;
  std::shared_ptr<WindowCore> owner = FindCore(core->owner);
  if (owner && owner->host) owner->host->setEnabled(false);
  ::talmi::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  UINT code = RunModalLoop(core);
  if (owner && owner->host) {
    owner->host->setEnabled(true);
    owner->host->activateWindow();
  }
  return code;
}

void CWindowWnd::Close(UINT nRet) {
  if (!IsWindow(m_hWnd)) return;
  PostMessage(WM_CLOSE, nRet, 0);
}

void CWindowWnd::CenterWindow() {
  std::shared_ptr<WindowCore> core = FindCore(m_hWnd);
  if (!core || !core->host) return;
  QRect area;
  std::shared_ptr<WindowCore> owner = FindCore(core->owner);
  if (owner && owner->host && owner->host->isVisible() && !owner->host->isMinimized()) {
    area = owner->host->frameGeometry();
  } else {
    RECT wa = GetWorkArea();
    area = QRect(wa.left, wa.top, RectWidth(wa), RectHeight(wa));
  }
  QSize size = core->host->size();
  core->host->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

void CWindowWnd::SetIcon(UINT nRes) {
  std::shared_ptr<WindowCore> core = FindCore(m_hWnd);
  if (!core || !core->host) return;
  CDuiString id;
  id.Format("%u", nRes);
  CDuiString file = CResourceManager::GetInstance()->GetIconPath(id);
  if (file.IsEmpty()) {
    DebugOutputF("CWindowWnd::SetIcon: no icon resource %u", nRes);
    return;
  }
  std::string path = JoinPath(CPaintManagerUI::GetResourcePath().view(), file.view());
  QIcon icon(QString::fromStdString(path));
  if (icon.isNull()) {
    DebugOutputF("CWindowWnd::SetIcon: cannot load \"%s\"", path.c_str());
    return;
  }
  core->host->setWindowIcon(icon);
}

void CWindowWnd::ResizeClient(int cx, int cy) {
  std::shared_ptr<WindowCore> core = FindCore(m_hWnd);
  if (!core || !core->host) return;
  QRect g = core->host->geometry();
  ResizeHost(core, QRect(g.topLeft(), QSize(cx < 0 ? g.width() : cx, cy < 0 ? g.height() : cy)));
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return ::talmi::SendMessage(m_hWnd, uMsg, wParam, lParam);
}

bool CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return ::talmi::PostMessage(m_hWnd, uMsg, wParam, lParam);
}

bool CWindowWnd::SaveAsPng(const CDuiString& path) {
  std::shared_ptr<WindowCore> core = FindCore(m_hWnd);
  if (!core) return false;
  if (core->pm) return core->pm->SaveToPng(path);
  if (!core->host) return false;
  return core->host->grab().save(QString::fromUtf8(path.GetData()), "PNG");
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM) {
  switch (uMsg) {
    case WM_CLOSE:
      DestroyWindow(m_hWnd);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          return SendMessage(WM_CLOSE);
        case SC_MINIMIZE:
          ::talmi::ShowWindow(m_hWnd, SW_MINIMIZE);
          return 0;
        case SC_MAXIMIZE:
          ::talmi::ShowWindow(m_hWnd, SW_SHOWMAXIMIZED);
          return 0;
        case SC_RESTORE:
          ::talmi::ShowWindow(m_hWnd, SW_RESTORE);
          return 0;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

void CWindowWnd::OnFinalMessage(HWND) {}

bool DestroyWindow(HWND hWnd) {
  if (!IsUiThread()) return false;
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || core->destroying) return false;
  // Senders waiting on this window return now, before its handlers run:
  // the destroy handler may wait for those very threads.
  MarkDestroying(core);
  for (auto& owned : OwnedCores(hWnd)) DestroyWindow(owned->hwnd);
  KillAllTimers(*core);
  CWindowWnd* wnd = core->wnd;
  if (wnd) wnd->HandleMessage(WM_DESTROY, 0, 0);
  KillAllTimers(*core);  // the handler may have started some
  DropHost(*core);
  if (core->wnd) core->wnd->HandleMessage(WM_NCDESTROY, 0, 0);
  wnd = core->wnd;
  UnregisterCore(core);
  if (wnd) {
    WindowAccess::SetHandle(wnd, nullptr);
    wnd->OnFinalMessage(hWnd);
  }
  return true;
}

bool ShowWindow(HWND hWnd, int nCmdShow) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !IsUiThread()) return false;
  QWidget* w = core->host;
  const bool wasVisible = w->isVisible();
  switch (nCmdShow) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: w->showMinimized(); break;
    case SW_SHOWMAXIMIZED: w->showMaximized(); break;
    case SW_RESTORE:
      // From minimised, back to what it was before (maximised or normal).
      if (w->isMinimized() && w->isMaximized()) w->showMaximized();
      else w->showNormal();
      break;
    case SW_SHOWNOACTIVATE:
      w->setAttribute(Qt::WA_ShowWithoutActivating, true);
      w->show();
      w->setAttribute(Qt::WA_ShowWithoutActivating, false);
      break;
    default:
      if (w->isMinimized()) w->showNormal();
      else w->show();
      if (!(core->exStyle & WS_EX_NOACTIVATE)) {
        w->raise();
        w->activateWindow();
      }
      break;
  }
  return wasVisible;
}

bool IsWindowVisible(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  return core && core->host && core->host->isVisible();
}

bool IsIconic(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  return core && core->host && core->host->isMinimized();
}

bool IsZoomed(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  // A minimised window keeps its maximised state underneath; it is not zoomed then.
  return core && core->host && core->host->isMaximized() && !core->host->isMinimized();
}

bool GetWindowRect(HWND hWnd, RECT* rc) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !rc) return false;
  QRect g = core->host->frameGeometry();
  *rc = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
  return true;
}

bool GetClientRect(HWND hWnd, RECT* rc) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !rc) return false;
  *rc = RECT{0, 0, core->host->width(), core->host->height()};
  return true;
}

bool MoveWindow(HWND hWnd, int x, int y, int cx, int cy, bool repaint) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !IsUiThread()) return false;
  ResizeHost(core, QRect(x, y, cx > 0 ? cx : 1, cy > 0 ? cy : 1));
  if (repaint) core->host->update();
  return true;
}

bool SetWindowText(HWND hWnd, const CDuiString& text) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !IsUiThread()) return false;
  core->host->setWindowTitle(QString::fromUtf8(text.GetData()));
  return true;
}

CDuiString GetWindowText(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host) return {};
  return core->host->windowTitle().toStdString();
}

HWND GetWindowOwner(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  return core ? core->owner : nullptr;
}

HWND FindWindow(const CDuiString& className, const CDuiString& title) {
  if (!IsUiThread()) return nullptr;
  for (auto& core : AllCores()) {
    if (core->destroying) continue;
    if (!className.IsEmpty() && !(core->className == className)) continue;
    if (!title.IsEmpty() && !(GetWindowText(core->hwnd) == title)) continue;
    return core->hwnd;
  }
  return nullptr;
}

RECT GetWorkArea() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return RECT{0, 0, 1024, 768};
  QRect g = s->availableGeometry();
  return RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void AttachPaintManager(HWND hWnd, CPaintManagerUI* pm) {
  if (std::shared_ptr<WindowCore> core = FindCore(hWnd)) core->pm = pm;
}

void DetachPaintManager(HWND hWnd, CPaintManagerUI* pm) {
  if (std::shared_ptr<WindowCore> core = FindCore(hWnd))
    if (core->pm == pm) core->pm = nullptr;
}

void InvalidateWindow(HWND hWnd, const RECT* rc) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host || !IsUiThread()) return;
  if (rc) core->host->update(QRect(rc->left, rc->top, RectWidth(*rc), RectHeight(*rc)));
  else core->host->update();
}

SIZE ClientSize(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !core->host) return SIZE{};
  return SIZE{core->host->width(), core->host->height()};
}

}  // namespace talmi
