#pragma once
// The one start/stop protocol of every worker thread: a manual-reset stop
// event, a parameter block {owner, stop event}, a loop that waits 1 ms on the
// event between passes, and a bounded stop. A worker that does not end in
// time is forced to end without being killed: its abort event is set (every
// abortable wait and read of the worker returns), the owner's force hook runs
// (for example closing a device so that its read returns), and the stop then
// waits for the thread to unwind. Nothing is killed, so no lock is left held,
// and the owner outlives its thread.
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

#include "platform/stop_event.h"

namespace talmi {

// The parameter block handed to the thread.
struct WorkerParam {
  void* owner = nullptr;
  CStopEvent* stopEvent = nullptr;
  // Set only by a forced end; the worker's blocking calls include its fd.
  const CStopEvent* abortEvent = nullptr;

  bool StopRequested() const { return stopEvent->IsSet() || abortEvent->IsSet(); }
  int AbortFd() const { return abortEvent->Fd(); }
  // A sleep that a stop or a forced end cuts short: kWaitTimeout after the
  // full sleep, kWaitAborted when woken.
  [[nodiscard]] int Sleep(int ms) const { return AbortableSleep(ms, stopEvent->Fd(), AbortFd()); }
};

using WorkerBody = std::function<void(const WorkerParam&)>;

// Runs the standard loop on the calling worker: wait 1 ms on the stop event;
// when it is set (or the thread is forced to end) write exitLine and return;
// else do one pass.
void RunWorkerLoop(const WorkerParam& param, std::string_view exitLine,
                   const std::function<void()>& pass);

enum class WorkerStopResult {
  kNotRunning,  // nothing was started
  kEnded,       // ended within the bound
  kAbandoned,   // ended within the bound, but its body ended by an exception
  kTimedOut,    // did not end within the bound; forced to end
  kFailed,      // the wait itself failed (stop from the worker itself); forced
};

// The debug lines written by Stop, one per result.
struct WorkerStopLines {
  std::string_view ended;
  std::string_view abandoned;
  std::string_view timedOut;
  std::string_view failed;
};

inline constexpr WorkerStopLines kWorkerStopLines = {
    "线程退出：：对象处于激发状态\n",
    "线程退出：：对象处于激发状态，但其中有未释放的Mutex 对象\n",
    "线程退出：：对象处于非激发状态，超时\n",
    "线程退出：：错误\n",
};

inline constexpr int kDefaultWorkerStopMs = 1000;

class CWorkerThread {
 public:
  CWorkerThread();
  // Stops a running thread with the default bound.
  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // 1 started, 0 one is running already, negative when no thread or event
  // could be made. The stop event is cleared before the thread starts, so a
  // Stop right after Start is never lost.
  [[nodiscard]] int Start(void* owner, WorkerBody body);

  // Sets the stop event and waits at most timeoutMs; writes the matching
  // line; on time-out or failure forces the end. Returns once the thread has
  // ended (or, when called from the worker itself, at once).
  WorkerStopResult Stop(int timeoutMs = kDefaultWorkerStopMs,
                        const WorkerStopLines& lines = kWorkerStopLines);

  // Runs on a forced end, on the stopping thread, after the abort event is set.
  void SetForceEndHook(std::function<void()> hook) { forceHook_ = std::move(hook); }

  bool Running() const { return thread_.joinable(); }
  CStopEvent& StopEvent();

 private:
  struct State;
  bool WaitDone(int timeoutMs);
  void ForceEnd(int boundMs);

  // Shared with the thread: a worker that stopped itself may outlive this.
  std::shared_ptr<State> state_;
  std::thread thread_;
  std::function<void()> forceHook_;
};

}  // namespace talmi
