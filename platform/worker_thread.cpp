#include "platform/worker_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "platform/debug_output.h"

namespace talmi {

struct CWorkerThread::State {
  CStopEvent stop;
  CStopEvent abort;
  std::mutex lock;
  std::condition_variable doneChanged;
  bool done = false;
  bool threw = false;
  bool published = false;  // thread_ is assigned; the body may touch its owner
  WorkerParam param;
};

void RunWorkerLoop(const WorkerParam& param, std::string_view exitLine,
                   const std::function<void()>& pass) {
  for (;;) {
    if (param.stopEvent->Wait(1) == 1 || param.abortEvent->IsSet()) {
      DebugOutput(exitLine);
      return;
    }
    pass();
  }
}

CWorkerThread::CWorkerThread() : state_(std::make_shared<State>()) {}

CStopEvent& CWorkerThread::StopEvent() { return state_->stop; }

CWorkerThread::~CWorkerThread() {
  if (thread_.joinable()) Stop();
}

int CWorkerThread::Start(void* owner, WorkerBody body) {
  if (thread_.joinable()) return 0;
  if (!body) return -1;
  std::shared_ptr<State> state = state_;
  if (!state->stop.Valid() || !state->abort.Valid()) return -1;
  state->stop.Reset();
  state->abort.Reset();
  state->done = false;
  state->threw = false;
  state->published = false;
  state->param = WorkerParam{owner, &state->stop, &state->abort};
  try {
    thread_ = std::thread([state, body = std::move(body)] {
      {
        // A body that stops its own thread must see the thread object whole.
        std::unique_lock<std::mutex> guard(state->lock);
        state->doneChanged.wait(guard, [&] { return state->published; });
      }
      bool threw = false;
      try {
        body(state->param);
      } catch (...) {
        threw = true;  // never let an exception leave the thread
      }
      std::lock_guard<std::mutex> guard(state->lock);
      state->threw = threw;
      state->done = true;
      state->doneChanged.notify_all();
    });
  } catch (...) {
    return -2;
  }
  {
    std::lock_guard<std::mutex> guard(state->lock);
    state->published = true;
  }
  state->doneChanged.notify_all();
  return 1;
}

bool CWorkerThread::WaitDone(int timeoutMs) {
  std::unique_lock<std::mutex> guard(state_->lock);
  return state_->doneChanged.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                      [&] { return state_->done; });
}

void CWorkerThread::ForceEnd(int boundMs) {
  state_->abort.Set();
  if (forceHook_) forceHook_();
  if (!WaitDone(boundMs)) {
    // Every blocking call of a worker is abortable, so it is on its way out;
    // leaving it running would let it outlive its owner.
    DebugOutput("worker thread still running after forced end; waiting for it");
  }
  thread_.join();
}

WorkerStopResult CWorkerThread::Stop(int timeoutMs, const WorkerStopLines& lines) {
  if (!thread_.joinable()) return WorkerStopResult::kNotRunning;
  state_->stop.Set();
  if (thread_.get_id() == std::this_thread::get_id()) {
    // A thread cannot wait for itself: it ends when it returns. Its state is
    // shared, so the object may go first.
    DebugOutput(lines.failed);
    state_->abort.Set();
    thread_.detach();
    state_ = std::make_shared<State>();
    return WorkerStopResult::kFailed;
  }
  WorkerStopResult result;
  if (WaitDone(timeoutMs < 0 ? 0 : timeoutMs)) {
    bool threw;
    {
      std::lock_guard<std::mutex> guard(state_->lock);
      threw = state_->threw;
    }
    result = threw ? WorkerStopResult::kAbandoned : WorkerStopResult::kEnded;
    DebugOutput(threw ? lines.abandoned : lines.ended);
    thread_.join();
  } else {
    result = WorkerStopResult::kTimedOut;
    DebugOutput(lines.timedOut);
    ForceEnd(timeoutMs < 100 ? 100 : timeoutMs);
  }
  state_ = std::make_shared<State>();
  return result;
}

}  // namespace talmi
