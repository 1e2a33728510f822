#include "platform/stop_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace talmi {
namespace {

using Clock = std::chrono::steady_clock;

// poll() with EINTR retried against one deadline.
int PollUntil(pollfd* fds, nfds_t n, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = timeoutMs;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      wait = left.count() < 0 ? 0 : static_cast<int>(left.count());
    }
    int rc = ::poll(fds, n, wait);
    if (rc >= 0 || errno != EINTR) return rc;
  }
}

}  // namespace

CStopEvent::CStopEvent() { fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

CStopEvent::~CStopEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void CStopEvent::Set() {
  if (fd_ < 0) return;
  uint64_t one = 1;
  // A full counter means it is set already.
  [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

void CStopEvent::Reset() {
  if (fd_ < 0) return;
  uint64_t value = 0;
  [[maybe_unused]] ssize_t n = ::read(fd_, &value, sizeof value);
}

bool CStopEvent::IsSet() const { return Wait(0) == 1; }

int CStopEvent::Wait(int timeoutMs) const {
  if (fd_ < 0) return 0;
  pollfd p{fd_, POLLIN, 0};
  return PollUntil(&p, 1, timeoutMs) > 0 ? 1 : 0;
}

int WaitReadable(int fd, int timeoutMs, int abortFd1, int abortFd2) {
  pollfd fds[3] = {{abortFd1, POLLIN, 0}, {abortFd2, POLLIN, 0}, {fd, POLLIN, 0}};
  int rc = PollUntil(fds, 3, timeoutMs);
  if (rc < 0) return kWaitError;
  if (rc == 0) return kWaitTimeout;
  // An abort wins over data so that a flood cannot keep a worker alive.
  if ((fds[0].revents | fds[1].revents) != 0) return kWaitAborted;
  return kWaitReady;  // readable, or an error/hang-up the read will report
}

int AbortableSleep(int timeoutMs, int abortFd1, int abortFd2) {
  pollfd fds[2] = {{abortFd1, POLLIN, 0}, {abortFd2, POLLIN, 0}};
  int rc = PollUntil(fds, 2, timeoutMs);
  return rc > 0 ? kWaitAborted : kWaitTimeout;
}

ssize_t AbortableRead(int fd, void* buf, size_t len, int timeoutMs, int abortFd1, int abortFd2) {
  int rc = WaitReadable(fd, timeoutMs, abortFd1, abortFd2);
  if (rc == kWaitAborted) return kReadAborted;
  if (rc == kWaitTimeout) return kReadTimeout;
  if (rc != kWaitReady) return kReadError;
  for (;;) {
    ssize_t n = ::read(fd, buf, len);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kReadTimeout;
    return kReadError;
  }
}

}  // namespace talmi
