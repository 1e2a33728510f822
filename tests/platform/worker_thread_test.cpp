#include "platform/worker_thread.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "tests/platform/test_wait.h"

namespace talmi {
namespace {

// Captures the debug lines written while it lives.
class DebugCapture {
 public:
  DebugCapture() {
    SetDebugOutputEnabled(true);
    SetDebugOutputSink([this](std::string_view line) {
      std::lock_guard<std::mutex> guard(lock_);
      lines_.emplace_back(line);
    });
  }
  ~DebugCapture() {
    SetDebugOutputSink({});
    SetDebugOutputEnabled(false);
  }
  bool Has(std::string_view line) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& l : lines_) {
      if (l == line) return true;
    }
    return false;
  }

 private:
  std::mutex lock_;
  std::vector<std::string> lines_;
};

class Pipe {
 public:
  Pipe() { EXPECT_EQ(::pipe(fds_), 0); }
  ~Pipe() {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  int ReadEnd() const { return fds_[0]; }
  int WriteEnd() const { return fds_[1]; }

 private:
  int fds_[2];
};

constexpr int kGenerousBoundMs = 5000;

TEST(WorkerThread, StandardLoopEndsOnItsStopEventWithItsExitLine) {
  DebugCapture capture;
  std::atomic<int> passes{0};
  int owner = 42;
  void* seenOwner = nullptr;
  CWorkerThread worker;
  ASSERT_EQ(worker.Start(&owner, [&](const WorkerParam& p) {
    seenOwner = p.owner;
    RunWorkerLoop(p, "KB灯光线程设定退出", [&] { ++passes; });
  }), 1);
  EXPECT_EQ(worker.Start(&owner, [](const WorkerParam&) {}), 0);  // one at a time
  ASSERT_TRUE(test::WaitUntil([&] { return passes.load() >= 3; }));
  EXPECT_EQ(worker.Stop(kGenerousBoundMs), WorkerStopResult::kEnded);
  EXPECT_FALSE(worker.Running());
  EXPECT_EQ(seenOwner, &owner);
  EXPECT_TRUE(capture.Has("KB灯光线程设定退出"));
  EXPECT_TRUE(capture.Has("线程退出：：对象处于激发状态\n"));
  EXPECT_EQ(worker.Stop(), WorkerStopResult::kNotRunning);
}

TEST(WorkerThread, StopRightAfterStartIsNotLost) {
  for (int round = 0; round < 20; ++round) {
    CWorkerThread worker;
    ASSERT_EQ(worker.Start(nullptr, [](const WorkerParam& p) { RunWorkerLoop(p, "x", [] {}); }), 1);
    ASSERT_EQ(worker.Stop(kGenerousBoundMs), WorkerStopResult::kEnded) << round;
  }
}

TEST(WorkerThread, WorkerIgnoringItsStopEventInAnAbortableReadIsForcedToEnd) {
  DebugCapture capture;
  Pipe pipe;  // nothing is ever written: the read would block for ever
  std::mutex shared;
  std::atomic<ssize_t> readResult{0};
  std::atomic<bool> blocked{false};
  CWorkerThread worker;
  ASSERT_EQ(worker.Start(nullptr, [&](const WorkerParam& p) {
    std::lock_guard<std::mutex> guard(shared);  // held while blocked
    char c;
    blocked = true;
    // Deliberately deaf to the stop event: only a forced end wakes it.
    readResult = AbortableRead(pipe.ReadEnd(), &c, 1, -1, p.AbortFd());
  }), 1);
  ASSERT_TRUE(test::WaitUntil([&] { return blocked.load(); }));
  EXPECT_EQ(worker.Stop(50), WorkerStopResult::kTimedOut);
  EXPECT_FALSE(worker.Running());
  EXPECT_EQ(readResult.load(), kReadAborted);
  EXPECT_TRUE(capture.Has("线程退出：：对象处于非激发状态，超时\n"));
  EXPECT_FALSE(capture.Has("线程退出：：对象处于激发状态\n"));
  EXPECT_TRUE(shared.try_lock());  // the lock went with the unwinding thread
  shared.unlock();
}

TEST(WorkerThread, WorkerWaitingOnItsStopEventEndsWithoutForce) {
  DebugCapture capture;
  Pipe pipe;
  std::atomic<ssize_t> readResult{0};
  std::atomic<bool> blocked{false};
  CWorkerThread worker;
  ASSERT_EQ(worker.Start(nullptr, [&](const WorkerParam& p) {
    char c;
    blocked = true;
    readResult = AbortableRead(pipe.ReadEnd(), &c, 1, -1, p.stopEvent->Fd(), p.AbortFd());
  }), 1);
  ASSERT_TRUE(test::WaitUntil([&] { return blocked.load(); }));
  EXPECT_EQ(worker.Stop(kGenerousBoundMs), WorkerStopResult::kEnded);
  EXPECT_EQ(readResult.load(), kReadAborted);
  EXPECT_TRUE(capture.Has("线程退出：：对象处于激发状态\n"));
}

TEST(WorkerThread, ForceHookRunsOnlyOnAForcedEnd) {
  Pipe pipe;
  std::atomic<int> hookRuns{0};
  std::atomic<bool> blocked{false};
  CWorkerThread worker;
  // The worker waits on a device of its own; the hook "closes the device".
  worker.SetForceEndHook([&] {
    ++hookRuns;
    char c = 'x';
    [[maybe_unused]] ssize_t n = ::write(pipe.WriteEnd(), &c, 1);
  });
  ASSERT_EQ(worker.Start(nullptr, [&](const WorkerParam&) {
    char c;
    blocked = true;
    [[maybe_unused]] ssize_t n = AbortableRead(pipe.ReadEnd(), &c, 1, -1, -1);
  }), 1);
  ASSERT_TRUE(test::WaitUntil([&] { return blocked.load(); }));
  EXPECT_EQ(worker.Stop(20), WorkerStopResult::kTimedOut);
  EXPECT_EQ(hookRuns.load(), 1);

  ASSERT_EQ(worker.Start(nullptr, [](const WorkerParam& p) { RunWorkerLoop(p, "x", [] {}); }), 1);
  EXPECT_EQ(worker.Stop(kGenerousBoundMs), WorkerStopResult::kEnded);
  EXPECT_EQ(hookRuns.load(), 1);
}

TEST(WorkerThread, AnExceptionInTheBodyIsReportedAsAbandoned) {
  DebugCapture capture;
  CWorkerThread worker;
  ASSERT_EQ(worker.Start(nullptr, [](const WorkerParam&) { throw std::runtime_error("x"); }), 1);
  EXPECT_EQ(worker.Stop(kGenerousBoundMs), WorkerStopResult::kAbandoned);
  EXPECT_TRUE(capture.Has("线程退出：：对象处于激发状态，但其中有未释放的Mutex 对象\n"));
}

TEST(WorkerThread, StopFromTheWorkerItselfFailsWithoutDeadlock) {
  DebugCapture capture;
  auto worker = std::make_unique<CWorkerThread>();
  std::atomic<int> result{-1};
  std::atomic<bool> done{false};
  CWorkerThread* self = worker.get();
  ASSERT_EQ(worker->Start(nullptr, [&, self](const WorkerParam&) {
    result = static_cast<int>(self->Stop());
    done = true;
  }), 1);
  ASSERT_TRUE(test::WaitUntil([&] { return done.load(); }));
  EXPECT_EQ(result.load(), static_cast<int>(WorkerStopResult::kFailed));
  EXPECT_TRUE(capture.Has("线程退出：：错误\n"));
  worker.reset();  // the detached thread holds its own state
}

TEST(WorkerThread, CallerChosenLinesAreWritten) {
  DebugCapture capture;
  static constexpr WorkerStopLines kMainWindowLines = {
      "所有对象处于激发状态\n", "所有对象处于激发状态，但其中有未释放的Mutex 对象\n",
      "所有对象处于非激发状态，超时\n", "错误\n"};
  CWorkerThread worker;
  ASSERT_EQ(worker.Start(nullptr, [](const WorkerParam& p) { RunWorkerLoop(p, "x", [] {}); }), 1);
  EXPECT_EQ(worker.Stop(kGenerousBoundMs, kMainWindowLines), WorkerStopResult::kEnded);
  EXPECT_TRUE(capture.Has("所有对象处于激发状态\n"));
}

TEST(StopEvent, IsManualResetAndPollable) {
  CStopEvent e;
  ASSERT_TRUE(e.Valid());
  EXPECT_FALSE(e.IsSet());
  EXPECT_EQ(e.Wait(0), 0);
  e.Set();
  e.Set();
  EXPECT_EQ(e.Wait(0), 1);
  EXPECT_EQ(e.Wait(0), 1);  // waiting does not clear it
  EXPECT_EQ(WaitReadable(-1, 0, e.Fd()), kWaitAborted);
  e.Reset();
  EXPECT_FALSE(e.IsSet());
  EXPECT_EQ(AbortableSleep(0, e.Fd()), kWaitTimeout);
}

TEST(AbortableRead, ReportsDataEndOfFileAndTimeout) {
  Pipe pipe;
  CStopEvent abort;
  char buf[4];
  EXPECT_EQ(AbortableRead(pipe.ReadEnd(), buf, sizeof buf, 0, abort.Fd()), kReadTimeout);
  ASSERT_EQ(::write(pipe.WriteEnd(), "ab", 2), 2);
  EXPECT_EQ(AbortableRead(pipe.ReadEnd(), buf, sizeof buf, kGenerousBoundMs, abort.Fd()), 2);
  ASSERT_EQ(::write(pipe.WriteEnd(), "c", 1), 1);
  abort.Set();  // abort wins over waiting data
  EXPECT_EQ(AbortableRead(pipe.ReadEnd(), buf, sizeof buf, kGenerousBoundMs, abort.Fd()),
            kReadAborted);
}

}  // namespace
}  // namespace talmi
