#pragma once
// Toolkit-internal: the record behind a window handle, the native widget
// and the UI-thread message pump.
#include <QWidget>
#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "toolkit/window_wnd.h"

class QEventLoop;
class QTimer;

namespace talmi {

class CPaintManagerUI;
class CHostWidget;

struct PendingSend;

struct WindowCore {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  CDuiString className;
  DWORD style = 0;
  DWORD exStyle = 0;
  // Set on the UI thread; read by senders under the registry lock.
  CWindowWnd* wnd = nullptr;
  std::atomic<bool> destroying{false};
  // UI thread only from here.
  CHostWidget* host = nullptr;
  CPaintManagerUI* pm = nullptr;
  std::map<UINT_PTR, QTimer*> timers;
  QEventLoop* modalLoop = nullptr;
  UINT closeCode = 0;
  bool closeOnDeactivate = false;
  std::vector<std::shared_ptr<PendingSend>> pending;  // guarded by the registry lock
};

struct WindowAccess {
  static void SetHandle(CWindowWnd* w, HWND h) { w->m_hWnd = h; }
};

std::shared_ptr<WindowCore> FindCore(HWND hWnd);
// UI-thread delivery of one message to a live window; 0 when it is gone.
LRESULT Deliver(const std::shared_ptr<WindowCore>& core, UINT uMsg, WPARAM wParam, LPARAM lParam);
void AttachPaintManager(HWND hWnd, CPaintManagerUI* pm);
void DetachPaintManager(HWND hWnd, CPaintManagerUI* pm);
void InvalidateWindow(HWND hWnd, const RECT* rc);
SIZE ClientSize(HWND hWnd);
// Runs the process loop (see CPaintManagerUI::MessageLoop).
int RunMessageLoop();
UINT RunModalLoop(const std::shared_ptr<WindowCore>& core);
std::shared_ptr<WindowCore> RegisterCore(CWindowWnd* wnd);
// Cancels waiting senders; the window stays registered.
void MarkDestroying(const std::shared_ptr<WindowCore>& core);
// Removes the handle; ends modal loops on it and, with the last window,
// the process loop.
void UnregisterCore(const std::shared_ptr<WindowCore>& core);
std::vector<std::shared_ptr<WindowCore>> OwnedCores(HWND owner);
std::vector<std::shared_ptr<WindowCore>> AllCores();
void KillAllTimers(WindowCore& core);

class CHostWidget : public QWidget {
 public:
  explicit CHostWidget(std::weak_ptr<WindowCore> core);
  // Nested event handling depth: the widget is deleted only at depth 0.
  int Depth() const { return m_depth; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  bool focusNextPrevChild(bool next) override;

 private:
  LRESULT Send(UINT uMsg, WPARAM wParam, LPARAM lParam);
  std::weak_ptr<WindowCore> m_core;
  int m_depth = 0;
};

}  // namespace talmi
