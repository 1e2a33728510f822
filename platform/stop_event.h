#pragma once
// A manual-reset event that a poll() loop can wait on: an eventfd that stays
// readable from Set() until Reset(). Also the abortable waits that worker
// threads use instead of plain sleeps and blocking reads.
#include <sys/types.h>

#include <cstddef>

namespace talmi {

class CStopEvent {
 public:
  CStopEvent();
  ~CStopEvent();
  CStopEvent(const CStopEvent&) = delete;
  CStopEvent& operator=(const CStopEvent&) = delete;

  bool Valid() const { return fd_ >= 0; }
  void Set();
  void Reset();
  bool IsSet() const;
  // 1 when the event is (or becomes) set within timeoutMs, 0 on time-out.
  // A negative time-out waits without bound.
  [[nodiscard]] int Wait(int timeoutMs) const;
  // Readable while the event is set; for poll() together with other fds.
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// Result codes of the abortable waits.
inline constexpr int kWaitReady = 1;
inline constexpr int kWaitTimeout = 0;
inline constexpr int kWaitAborted = -1;
inline constexpr int kWaitError = -2;

// Waits up to timeoutMs (negative: no bound) for fd to become readable or for
// any of the abort fds (-1 entries are skipped) to become readable.
[[nodiscard]] int WaitReadable(int fd, int timeoutMs, int abortFd1, int abortFd2 = -1);

// Sleeps timeoutMs unless an abort fd wakes it: kWaitTimeout after a full
// sleep, kWaitAborted when woken.
[[nodiscard]] int AbortableSleep(int timeoutMs, int abortFd1, int abortFd2 = -1);

// read() that gives up when an abort fd fires or the time-out passes.
// Returns the bytes read (0 at end of file), or kWaitTimeout-style codes:
// -1 aborted, -2 error, -3 timed out.
inline constexpr ssize_t kReadAborted = -1;
inline constexpr ssize_t kReadError = -2;
inline constexpr ssize_t kReadTimeout = -3;
[[nodiscard]] ssize_t AbortableRead(int fd, void* buf, size_t len, int timeoutMs, int abortFd1,
                                    int abortFd2 = -1);

}  // namespace talmi
