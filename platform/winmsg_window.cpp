#include "platform/winmsg_window.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/debug_output.h"
#include "platform/window_message.h"
#include "platform/winmsg_directory.h"
#include "platform/winmsg_wire.h"

namespace talmi::winmsg {
namespace {

constexpr int kListenBacklog = 64;
constexpr int kEventsPerDispatch = 32;
constexpr int kReceiveWaitMs = 500;

std::atomic<std::uint32_t> g_nextSerial{1};

std::mutex& LocalLock() {
  static std::mutex lock;
  return lock;
}

std::map<WindowHandle, CBusWindow*>& LocalWindows() {
  static std::map<WindowHandle, CBusWindow*> windows;
  return windows;
}

bool PeerIsOurUser(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
  if (cred.uid != ::geteuid()) {
    DebugOutputF("winmsg: refused a peer of uid %u (pid %d)", static_cast<unsigned>(cred.uid),
                 static_cast<int>(cred.pid));
    return false;
  }
  return true;
}

}  // namespace

CBusWindow::~CBusWindow() { Destroy(); }

int CBusWindow::Create(const std::string& className, const std::string& title,
                       IMessageSink* sink) {
  Destroy();
  if (sink == nullptr || className.size() > kMaxClassOrTitleBytes ||
      title.size() > kMaxClassOrTitleBytes) {
    return kBusBadMessage;
  }
  folder_ = BusFolder();
  if (folder_.empty()) return kBusIoError;
  handle_ = MakeWindowHandle(::getpid(), g_nextSerial.fetch_add(1));
  const std::string path = SocketPathOf(folder_, handle_);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    DebugOutputF("winmsg: socket path too long: %s", path.c_str());
    handle_ = 0;
    return kBusIoError;
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  listenFd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
  ::unlink(path.c_str());  // a leftover of a dead process with our pid
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = listenFd_;
  if (listenFd_ < 0 || epollFd_ < 0 ||
      ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::chmod(path.c_str(), 0600) != 0 || ::listen(listenFd_, kListenBacklog) != 0 ||
      ::epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &ev) != 0) {
    Destroy();
    return kBusIoError;
  }
  sink_ = sink;
  className_ = className;
  title_ = title;
  if (!WriteWindowInfo(folder_, WindowInfo{handle_, className_, title_})) {
    Destroy();
    return kBusIoError;
  }
  buffer_.resize(kMaxWireBytes + 1);
  std::lock_guard<std::mutex> guard(LocalLock());
  LocalWindows()[handle_] = this;
  return kBusOk;
}

void CBusWindow::Destroy() {
  StopThread();
  if (handle_ != 0) {
    {
      std::lock_guard<std::mutex> guard(LocalLock());
      LocalWindows().erase(handle_);
    }
    if (!folder_.empty()) RemoveWindowEntry(folder_, handle_);
  }
  for (auto& [fd, since] : connections_) ::close(fd);
  connections_.clear();
  if (listenFd_ >= 0) ::close(listenFd_);
  if (epollFd_ >= 0) ::close(epollFd_);
  listenFd_ = epollFd_ = -1;
  handle_ = 0;
  sink_ = nullptr;
}

int CBusWindow::SetTitle(const std::string& title) {
  if (handle_ == 0) return kBusNoWindow;
  if (title.size() > kMaxClassOrTitleBytes) return kBusBadMessage;
  if (!WriteWindowInfo(folder_, WindowInfo{handle_, className_, title})) return kBusIoError;
  title_ = title;
  return kBusOk;
}

int CBusWindow::Dispatch() {
  if (epollFd_ < 0) return 0;
  dispatchThread_.store(std::this_thread::get_id());
  epoll_event events[kEventsPerDispatch];
  int n = ::epoll_wait(epollFd_, events, kEventsPerDispatch, 0);
  int delivered = 0;
  for (int i = 0; i < n && epollFd_ >= 0; ++i) {
    int fd = events[i].data.fd;
    if (fd == listenFd_) {
      AcceptPending();
    } else if (connections_.count(fd) != 0) {
      if (HandleConnection(fd)) ++delivered;
    }
  }
  ExpireIdleConnections();
  return delivered;
}

void CBusWindow::AcceptPending() {
  for (;;) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      return;  // EAGAIN: nothing more waiting
    }
    if (!PeerIsOurUser(fd) || connections_.size() >= kMaxPendingConnections) {
      ::close(fd);
      continue;
    }
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP;
    ev.data.fd = fd;
    if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) != 0) {
      ::close(fd);
      continue;
    }
    connections_[fd] = Clock::now();
  }
}

void CBusWindow::CloseConnection(int fd) {
  if (connections_.erase(fd) == 0) return;
  ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
  ::close(fd);
}

void CBusWindow::Reply(int fd, LRESULT result) {
  WireMessage reply;
  reply.kind = WireKind::kReply;
  reply.lParam = result;
  std::vector<std::uint8_t> bytes;
  if (EncodeWireMessage(reply, bytes)) {
    [[maybe_unused]] ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  }
}

bool CBusWindow::HandleConnection(int fd) {
  iovec iov{buffer_.data(), buffer_.size()};
  msghdr msg{};
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  ssize_t n = ::recvmsg(fd, &msg, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return false;
  // One message per connection: whatever happens next, it is finished.
  if (n <= 0) {
    CloseConnection(fd);
    return false;
  }
  WireMessage m;
  if ((msg.msg_flags & MSG_TRUNC) != 0 ||
      DecodeWireMessage(buffer_.data(), static_cast<size_t>(n), m) != 1 ||
      m.kind == WireKind::kReply) {
    DebugOutputF("winmsg: dropped a malformed message of %zd bytes", n);
    CloseConnection(fd);
    return false;
  }
  // The connection leaves the table before the sink runs, so a nested
  // Dispatch inside Deliver cannot handle it twice.
  connections_.erase(fd);
  ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
  std::uint32_t id = 0;
  CopyData copy;
  const CopyData* copyPtr = nullptr;
  if (m.kind == WireKind::kCopyData) {
    id = WM_COPYDATA;
    copy = CopyData{m.dwData, m.data.data(), m.data.size()};
    copyPtr = &copy;
  } else {
    id = acceptUnregistered_ ? RegisterWindowMessage(m.name) : LookupWindowMessage(m.name);
  }
  LRESULT result = 0;
  const bool deliver = id != 0 && sink_ != nullptr;
  if (deliver) result = sink_->Deliver(id, m.wParam, m.lParam, copyPtr);
  if (m.kind != WireKind::kPost) Reply(fd, result);
  ::close(fd);
  return deliver;
}

void CBusWindow::ExpireIdleConnections() {
  if (connections_.empty()) return;
  const auto limit = Clock::now() - std::chrono::milliseconds(kIdleConnectionMs);
  std::vector<int> idle;
  for (const auto& [fd, since] : connections_) {
    if (since < limit) idle.push_back(fd);
  }
  for (int fd : idle) CloseConnection(fd);
}

int CBusWindow::StartThread() {
  if (handle_ == 0) return kBusNoWindow;
  if (receiver_) return 0;
  receiver_ = std::make_unique<CWorkerThread>();
  int rc = receiver_->Start(this, [](const WorkerParam& p) {
    auto* self = static_cast<CBusWindow*>(p.owner);
    while (!p.StopRequested()) {
      int w = WaitReadable(self->Fd(), kReceiveWaitMs, p.stopEvent->Fd(), p.AbortFd());
      if (w == kWaitAborted || w == kWaitError) return;
      self->Dispatch();
    }
  });
  if (rc != 1) {
    receiver_.reset();
    return kBusIoError;
  }
  return kBusOk;
}

void CBusWindow::StopThread() {
  if (!receiver_) return;
  receiver_->Stop();
  receiver_.reset();
  dispatchThread_.store(std::thread::id());
}

bool CBusWindow::DeliverInThread(WindowHandle handle, std::uint32_t message, WPARAM wParam,
                                 LPARAM lParam, const CopyData* copyData, LRESULT& result) {
  CBusWindow* window = nullptr;
  {
    std::lock_guard<std::mutex> guard(LocalLock());
    auto it = LocalWindows().find(handle);
    if (it == LocalWindows().end()) return false;
    window = it->second;
  }
  if (window->dispatchThread_.load() != std::this_thread::get_id() || window->sink_ == nullptr) {
    return false;
  }
  result = window->sink_->Deliver(message, wParam, lParam, copyData);
  return true;
}

}  // namespace talmi::winmsg
