#pragma once
// Types and message numbers of the message bus between programs. They mirror
// the window-message vocabulary the rest of the program speaks; they live in
// their own namespace so that the toolkit can define the same names.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace talmi::winmsg {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// A window on the bus: the owning process id in the high 32 bits, the
// process's window serial in the low 32 bits. 0 is no window.
using WindowHandle = std::uint64_t;

inline constexpr std::uint32_t WM_COPYDATA = 0x004A;
inline constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
inline constexpr WPARAM PBT_APMSUSPEND = 4;
inline constexpr WPARAM PBT_APMRESUMEAUTOMATIC = 18;

// The largest WM_COPYDATA block the bus carries.
inline constexpr std::size_t kMaxCopyDataBytes = 64u << 10;

struct CopyData {
  std::uint64_t dwData = 0;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// The receiving side of a window. Deliver gets the message under the
// receiving process's own identifier (registered messages are mapped by name
// on arrival), and copyData for WM_COPYDATA (its bytes live for the call
// only). The return value answers a synchronous send. It is called on the
// thread that runs CBusWindow::Dispatch (the owner's thread, or the window's
// receive thread when it was started with StartThread).
class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual LRESULT Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam,
                          const CopyData* copyData) = 0;
};

// Result codes of the bus calls.
inline constexpr int kBusOk = 1;
inline constexpr int kBusNoWindow = -1;    // no such window (or it went away)
inline constexpr int kBusBadMessage = -2;  // not a message the bus carries
inline constexpr int kBusTimeout = -3;     // no answer within the time-out
inline constexpr int kBusRefused = -4;     // peer of another user, or a full queue
inline constexpr int kBusIoError = -5;
inline constexpr int kBusAborted = -6;     // the caller's abort fd fired

inline constexpr WindowHandle MakeWindowHandle(pid_t pid, std::uint32_t serial) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(pid)) << 32) | serial;
}
inline constexpr pid_t WindowProcess(WindowHandle h) { return static_cast<pid_t>(h >> 32); }
inline constexpr std::uint32_t WindowSerial(WindowHandle h) {
  return static_cast<std::uint32_t>(h & 0xFFFFFFFFu);
}

}  // namespace talmi::winmsg
