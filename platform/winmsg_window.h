#pragma once
// A window on the message bus: it registers under a class name and a title,
// listens on its socket and hands every accepted message to its sink.
//
// Threading: arrivals are delivered by Dispatch(), on whichever thread calls
// it. A UI loop watches Fd() (readable when something waits) and calls
// Dispatch() on the UI thread; a program without such a loop calls
// StartThread(), and Deliver then runs on the window's receive thread.
// Dispatch never blocks: a peer that connects and says nothing is dropped
// after kIdleConnectionMs.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/winmsg_types.h"
#include "platform/worker_thread.h"

namespace talmi::winmsg {

inline constexpr int kIdleConnectionMs = 2000;
inline constexpr std::size_t kMaxPendingConnections = 64;

class CBusWindow {
 public:
  CBusWindow() = default;
  ~CBusWindow();
  CBusWindow(const CBusWindow&) = delete;
  CBusWindow& operator=(const CBusWindow&) = delete;

  // kBusOk, or negative when the bus folder or the socket cannot be made.
  [[nodiscard]] int Create(const std::string& className, const std::string& title,
                           IMessageSink* sink);
  // Unregisters; senders waiting for an answer return at once.
  void Destroy();
  [[nodiscard]] int SetTitle(const std::string& title);

  WindowHandle Handle() const { return handle_; }
  const std::string& ClassName() const { return className_; }
  const std::string& Title() const { return title_; }

  int Fd() const { return epollFd_; }
  // Handles what is waiting, without blocking; returns how many messages
  // were delivered.
  int Dispatch();

  [[nodiscard]] int StartThread();
  void StopThread();

  // Names this process never registered are dropped on arrival (nobody here
  // could handle them); a window that wants every message (a monitor) turns
  // this on and the names are registered as they arrive.
  void SetAcceptUnregisteredNames(bool on) { acceptUnregistered_ = on; }

  // For a synchronous send from the thread that dispatches the target
  // window: the sink is called directly instead of waiting on itself.
  // true when handle is such a window (result then holds the answer).
  static bool DeliverInThread(WindowHandle handle, std::uint32_t message, WPARAM wParam,
                              LPARAM lParam, const CopyData* copyData, LRESULT& result);

 private:
  void AcceptPending();
  // true when a message was handed to the sink.
  bool HandleConnection(int fd);
  void CloseConnection(int fd);
  void ExpireIdleConnections();
  void Reply(int fd, LRESULT result);

  using Clock = std::chrono::steady_clock;
  IMessageSink* sink_ = nullptr;
  std::string folder_;
  std::string className_;
  std::string title_;
  WindowHandle handle_ = 0;
  int listenFd_ = -1;
  int epollFd_ = -1;
  bool acceptUnregistered_ = false;
  std::atomic<std::thread::id> dispatchThread_{};
  std::unordered_map<int, Clock::time_point> connections_;
  std::vector<std::uint8_t> buffer_;
  std::unique_ptr<CWorkerThread> receiver_;
};

}  // namespace talmi::winmsg
