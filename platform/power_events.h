#pragma once
// Suspend and resume of the machine, from logind's PrepareForSleep signal on
// the system bus, handed to a sink as WM_POWERBROADCAST with PBT_APMSUSPEND
// (4) before sleep and PBT_APMRESUMEAUTOMATIC (18) after it. While it
// listens it holds a logind "delay" inhibitor, released only after the sink
// has handled the suspend, so the devices are told before the machine goes
// to sleep. Without a system bus or without logind there are no events and
// no error.
#include <memory>
#include <string>

#include "platform/winmsg_types.h"
#include "platform/worker_thread.h"

namespace talmi {

inline constexpr const char* kLogindService = "org.freedesktop.login1";
inline constexpr const char* kLogindPath = "/org/freedesktop/login1";
inline constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";
inline constexpr const char* kPrepareForSleep = "PrepareForSleep";

class CPowerEvents {
 public:
  CPowerEvents();
  ~CPowerEvents();
  CPowerEvents(const CPowerEvents&) = delete;
  CPowerEvents& operator=(const CPowerEvents&) = delete;

  // Connects to busAddress (a D-Bus address; empty: the system bus, which
  // $DBUS_SYSTEM_BUS_ADDRESS may override) and listens on a thread of its
  // own; the sink's Deliver runs on that thread. 1 listening, 0 no bus.
  [[nodiscard]] int Start(winmsg::IMessageSink* sink, const std::string& busAddress = {});
  void Stop();
  bool Listening() const { return thread_.Running(); }

  struct Bus;  // the connection and its state, owned by the listening thread

 private:
  std::unique_ptr<Bus> bus_;
  CWorkerThread thread_;
};

}  // namespace talmi
