#include "platform/winmsg_send.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/debug_output.h"
#include "platform/window_message.h"
#include "platform/winmsg_directory.h"
#include "platform/winmsg_window.h"
#include "platform/winmsg_wire.h"

namespace talmi::winmsg {
namespace {

using Clock = std::chrono::steady_clock;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

int MillisLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Connects to a window's socket and checks that the listener is our user.
int Connect(WindowHandle to, Fd& out) {
  if (to == 0) return kBusNoWindow;
  const std::string folder = BusFolder();
  if (folder.empty()) return kBusIoError;
  const std::string path = SocketPathOf(folder, to);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return kBusIoError;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return kBusIoError;
  Fd guard(fd);
  int rc;
  do {
    rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int err = errno;
    if (err == ECONNREFUSED) {
      // Nobody listens any more: the owner died without cleaning up.
      if (WindowProcess(to) != ::getpid()) RemoveWindowEntry(folder, to);
      return kBusNoWindow;
    }
    if (err == ENOENT) return kBusNoWindow;
    return err == EAGAIN ? kBusRefused : kBusIoError;  // EAGAIN: its queue is full
  }
  ucred cred{};
  socklen_t len = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::geteuid()) {
    DebugOutput("winmsg: the listener is not our user; nothing sent");
    return kBusRefused;
  }
  out.reset(guard.release());
  return kBusOk;
}

int WaitFor(int fd, short events, Clock::time_point deadline, int abortFd) {
  for (;;) {
    pollfd fds[2] = {{fd, events, 0}, {abortFd, POLLIN, 0}};
    int rc = ::poll(fds, 2, MillisLeft(deadline));
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0) return kBusIoError;
    if (rc == 0) return kBusTimeout;
    if (fds[1].revents != 0) return kBusAborted;
    return kBusOk;  // ready, or hung up: the next call tells
  }
}

int SendPacket(int fd, const std::vector<std::uint8_t>& bytes, Clock::time_point deadline,
               int abortFd) {
  for (;;) {
    ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n == static_cast<ssize_t>(bytes.size())) return kBusOk;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      int rc = WaitFor(fd, POLLOUT, deadline, abortFd);
      if (rc != kBusOk) return rc;
      continue;
    }
    return (n < 0 && (errno == EPIPE || errno == ECONNRESET)) ? kBusNoWindow : kBusIoError;
  }
}

int AwaitReply(int fd, Clock::time_point deadline, int abortFd, LRESULT* result) {
  std::uint8_t buf[sizeof(WireHeader) + 1];
  for (;;) {
    int rc = WaitFor(fd, POLLIN, deadline, abortFd);
    if (rc != kBusOk) return rc;
    ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    // Closed without an answer: the window went away (or dropped it).
    if (n <= 0) return kBusNoWindow;
    WireMessage reply;
    if (DecodeWireMessage(buf, static_cast<size_t>(n), reply) != 1 ||
        reply.kind != WireKind::kReply) {
      return kBusIoError;
    }
    if (result != nullptr) *result = reply.lParam;
    return kBusOk;
  }
}

// One message over one connection, answered when expectReply.
int Transfer(WindowHandle to, const WireMessage& m, int timeoutMs, bool expectReply,
             LRESULT* result, int abortFd) {
  std::vector<std::uint8_t> bytes;
  if (!EncodeWireMessage(m, bytes)) return kBusBadMessage;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  Fd fd;
  int rc = Connect(to, fd);
  if (rc != kBusOk) return rc;
  rc = SendPacket(fd.get(), bytes, deadline, abortFd);
  if (rc != kBusOk || !expectReply) return rc;
  return AwaitReply(fd.get(), deadline, abortFd, result);
}

// A registered message's name; empty for anything the bus does not carry.
std::string BusName(std::uint32_t message) {
  if (!IsRegisteredMessageId(message)) return {};
  return RegisteredMessageName(message);
}

}  // namespace

int PostMessage(WindowHandle to, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  WireMessage m;
  m.kind = WireKind::kPost;
  m.name = BusName(message);
  if (m.name.empty()) return kBusBadMessage;
  m.wParam = wParam;
  m.lParam = lParam;
  return Transfer(to, m, kPostTimeoutMs, false, nullptr, -1);
}

int BroadcastMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (BusName(message).empty()) return kBusBadMessage;
  int reached = 0;
  for (const WindowInfo& w : ListWindows()) {
    if (PostMessage(w.handle, message, wParam, lParam) == kBusOk) ++reached;
  }
  return reached;
}

int SendMessageTimeout(WindowHandle to, std::uint32_t message, WPARAM wParam, LPARAM lParam,
                       int timeoutMs, LRESULT* result, int abortFd) {
  WireMessage m;
  m.kind = WireKind::kSend;
  m.name = BusName(message);
  if (m.name.empty()) return kBusBadMessage;
  m.wParam = wParam;
  m.lParam = lParam;
  LRESULT direct = 0;
  if (CBusWindow::DeliverInThread(to, message, wParam, lParam, nullptr, direct)) {
    if (result != nullptr) *result = direct;
    return kBusOk;
  }
  return Transfer(to, m, timeoutMs, true, result, abortFd);
}

int SendCopyData(WindowHandle to, WPARAM wParam, std::uint64_t dwData,
                 std::span<const std::uint8_t> block, int timeoutMs, LRESULT* result,
                 int abortFd) {
  if (block.size() > kMaxCopyDataBytes) return kBusBadMessage;
  WireMessage m;
  m.kind = WireKind::kCopyData;
  m.wParam = wParam;
  m.dwData = dwData;
  m.data.assign(block.begin(), block.end());
  LRESULT direct = 0;
  CopyData copy{dwData, m.data.data(), m.data.size()};
  if (CBusWindow::DeliverInThread(to, WM_COPYDATA, wParam, 0, &copy, direct)) {
    if (result != nullptr) *result = direct;
    return kBusOk;
  }
  return Transfer(to, m, timeoutMs, true, result, abortFd);
}

}  // namespace talmi::winmsg
