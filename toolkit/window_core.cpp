// The handle registry, cross-thread messages and the UI loops.
#include "toolkit/window_core.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/debug_output.h"
#include "toolkit/paint_manager.h"

namespace talmi {

struct PendingSend {
  bool done = false;
  LRESULT result = 0;
};

namespace {

std::mutex g_lock;  // registry, pending sends, loop state
std::condition_variable g_answered;
std::map<HWND, std::shared_ptr<WindowCore>>& Registry() {
  static std::map<HWND, std::shared_ptr<WindowCore>> registry;
  return registry;
}
std::uintptr_t g_nextHandle = 0x1000;
bool g_loopEnded = false;
int g_quitCode = 0;
bool g_quitRequested = false;
std::vector<QEventLoop*> g_loops;  // UI thread only: the running loops, innermost last
int g_mainLoopDepth = 0;           // MessageLoop calls running

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct MessageEvent : QEvent {
  MessageEvent(HWND h, UINT m, WPARAM w, LPARAM l, std::shared_ptr<PendingSend> p)
      : QEvent(kMessageEvent), hwnd(h), msg(m), wParam(w), lParam(l), pending(std::move(p)) {}
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  std::shared_ptr<PendingSend> pending;  // null for posted messages
};

// Lives on the UI thread; receives messages queued from any thread.
class MessagePump : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() != kMessageEvent) return QObject::event(e);
    auto* m = static_cast<MessageEvent*>(e);
    if (m->msg == WM_QUIT && !m->hwnd) {
      PostQuitMessage(static_cast<int>(m->wParam));
      return true;
    }
    std::shared_ptr<WindowCore> core = FindCore(m->hwnd);
    if (m->pending) {
      {
        std::lock_guard<std::mutex> guard(g_lock);
        if (m->pending->done) return true;  // cancelled: the sender has gone on
      }
      // The send stays listed while it runs, so a destroy started by the
      // handler itself still releases the sender.
      LRESULT r = core && !core->destroying ? Deliver(core, m->msg, m->wParam, m->lParam) : 0;
      {
        std::lock_guard<std::mutex> guard(g_lock);
        if (!m->pending->done) {
          m->pending->result = r;
          m->pending->done = true;
        }
        if (core) std::erase(core->pending, m->pending);
      }
      g_answered.notify_all();
      return true;
    }
    if (core && !core->destroying) Deliver(core, m->msg, m->wParam, m->lParam);
    return true;
  }
};

MessagePump* Pump() {
  // Created on first use from the UI thread (window creation).
  static MessagePump* pump = [] {
    auto* p = new MessagePump;
    if (QCoreApplication::instance()) p->moveToThread(QCoreApplication::instance()->thread());
    return p;
  }();
  return pump;
}

// Every waiting sender of the window returns 0 now. Call with g_lock held.
void CancelPendingLocked(WindowCore& core) {
  for (auto& p : core.pending) {
    p->done = true;
    p->result = 0;
  }
  core.pending.clear();
}

void CancelAllPending() {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    for (auto& [h, core] : Registry()) CancelPendingLocked(*core);
  }
  g_answered.notify_all();
}

}  // namespace

bool IsUiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

DWORD GetTickCount() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::shared_ptr<WindowCore> FindCore(HWND hWnd) {
  if (!hWnd) return nullptr;
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = Registry().find(hWnd);
  return it == Registry().end() ? nullptr : it->second;
}

std::shared_ptr<WindowCore> RegisterCore(CWindowWnd* wnd) {
  Pump();
  auto core = std::make_shared<WindowCore>();
  std::lock_guard<std::mutex> guard(g_lock);
  core->hwnd = reinterpret_cast<HWND>(g_nextHandle);
  g_nextHandle += 0x10;
  core->wnd = wnd;
  Registry()[core->hwnd] = core;
  return core;
}

void UnregisterCore(const std::shared_ptr<WindowCore>& core) {
  bool empty = false;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    core->destroying = true;
    CancelPendingLocked(*core);
    core->wnd = nullptr;
    Registry().erase(core->hwnd);
    empty = Registry().empty();
  }
  g_answered.notify_all();
  if (core->modalLoop) core->modalLoop->quit();
  // The process loop ends with the last window.
  if (empty && g_mainLoopDepth > 0)
    for (QEventLoop* loop : g_loops) loop->quit();
}

void MarkDestroying(const std::shared_ptr<WindowCore>& core) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    core->destroying = true;
    CancelPendingLocked(*core);
  }
  g_answered.notify_all();
}

std::vector<std::shared_ptr<WindowCore>> OwnedCores(HWND owner) {
  std::vector<std::shared_ptr<WindowCore>> out;
  std::lock_guard<std::mutex> guard(g_lock);
  for (auto& [h, core] : Registry())
    if (core->owner == owner && !core->destroying) out.push_back(core);
  return out;
}

std::vector<std::shared_ptr<WindowCore>> AllCores() {
  std::vector<std::shared_ptr<WindowCore>> out;
  std::lock_guard<std::mutex> guard(g_lock);
  for (auto& [h, core] : Registry()) out.push_back(core);
  return out;
}

LRESULT Deliver(const std::shared_ptr<WindowCore>& core, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CWindowWnd* wnd = core ? core->wnd : nullptr;
  if (!wnd) return 0;
  if (uMsg == WM_CLOSE) core->closeCode = static_cast<UINT>(wParam);
  return wnd->HandleMessage(uMsg, wParam, lParam);
}

LRESULT SendMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core) return 0;
  if (IsUiThread()) return Deliver(core, uMsg, wParam, lParam);
  auto pending = std::make_shared<PendingSend>();
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (core->destroying || g_loopEnded || !core->wnd) return 0;
    core->pending.push_back(pending);
  }
  QCoreApplication::postEvent(Pump(), new MessageEvent(hWnd, uMsg, wParam, lParam, pending));
  std::unique_lock<std::mutex> lock(g_lock);
  g_answered.wait(lock, [&] { return pending->done; });
  return pending->result;
}

bool PostMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || core->destroying || !QCoreApplication::instance()) return false;
  QCoreApplication::postEvent(Pump(), new MessageEvent(hWnd, uMsg, wParam, lParam, nullptr));
  return true;
}

void PostQuitMessage(int exitCode) {
  if (!IsUiThread()) {
    if (QCoreApplication::instance())
      QCoreApplication::postEvent(Pump(), new MessageEvent(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, nullptr));
    return;
  }
  g_quitRequested = true;
  g_quitCode = exitCode;
  for (QEventLoop* loop : g_loops) loop->quit();
}

bool IsWindow(HWND hWnd) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  return core && !core->destroying;
}

int RunMessageLoop() {
  if (!IsUiThread()) return 0;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_loopEnded = false;
    if (Registry().empty()) return 0;
  }
  // A quit posted before the loop started ends it at once.
  if (g_quitRequested && g_loops.empty()) {
    g_quitRequested = false;
    return g_quitCode;
  }
  g_quitCode = 0;
  QEventLoop loop;
  g_loops.push_back(&loop);
  ++g_mainLoopDepth;
  loop.exec();
  --g_mainLoopDepth;
  std::erase(g_loops, &loop);
  // A quit ends the loops that ran when it came; none is left to end.
  if (g_loops.empty()) g_quitRequested = false;
  if (g_mainLoopDepth == 0) {
    {
      std::lock_guard<std::mutex> guard(g_lock);
      g_loopEnded = true;
    }
    CancelAllPending();
  }
  return g_quitCode;
}

// Runs a nested loop until the window is gone (or the process loop quits).
UINT RunModalLoop(const std::shared_ptr<WindowCore>& core) {
  QEventLoop loop;
  core->modalLoop = &loop;
  g_loops.push_back(&loop);
  if (!core->destroying && !g_quitRequested) loop.exec();
  std::erase(g_loops, &loop);
  core->modalLoop = nullptr;
  // A quit that ended this loop must end the outer loops as well.
  if (g_quitRequested)
    for (QEventLoop* l : g_loops) l->quit();
  if (g_loops.empty()) g_quitRequested = false;
  return core->closeCode;
}

bool SetTimer(HWND hWnd, UINT_PTR id, UINT elapse) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || core->destroying || !IsUiThread()) return false;
  QTimer*& timer = core->timers[id];
  if (!timer) {
    timer = new QTimer;
    std::weak_ptr<WindowCore> weak = core;
    QObject::connect(timer, &QTimer::timeout, [weak, id] {
      if (auto c = weak.lock())
        if (!c->destroying) Deliver(c, WM_TIMER, id, 0);
    });
  }
  timer->start(static_cast<int>(elapse < 1 ? 1 : elapse));
  return true;
}

bool KillTimer(HWND hWnd, UINT_PTR id) {
  std::shared_ptr<WindowCore> core = FindCore(hWnd);
  if (!core || !IsUiThread()) return false;
  auto it = core->timers.find(id);
  if (it == core->timers.end()) return false;
  it->second->stop();
  it->second->deleteLater();
  core->timers.erase(it);
  return true;
}

void KillAllTimers(WindowCore& core) {
  for (auto& [id, t] : core.timers) {
    t->stop();
    t->deleteLater();
  }
  core.timers.clear();
}

}  // namespace talmi
