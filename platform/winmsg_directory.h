#pragma once
// Where the bus's windows are found: a private 0700 folder holding, per
// window, its socket "<pid>-<serial>.sock" and its description
// "<pid>-<serial>.win" (class name, title). Entries of processes that are
// gone are removed whenever the folder is listed.
#include <optional>
#include <string>
#include <vector>

#include "platform/winmsg_types.h"

namespace talmi::winmsg {

inline constexpr std::size_t kMaxClassOrTitleBytes = 1024;
inline constexpr std::size_t kMaxListedWindows = 4096;

struct WindowInfo {
  WindowHandle handle = 0;
  std::string className;
  std::string title;
};

// PrivateRuntimeFolder() + "/winmsg"; empty when it cannot be made private.
std::string BusFolder();

std::string SocketPathOf(const std::string& folder, WindowHandle handle);
std::string InfoPathOf(const std::string& folder, WindowHandle handle);

// Writes (or rewrites) a window's description. false on failure.
[[nodiscard]] bool WriteWindowInfo(const std::string& folder, const WindowInfo& info);
void RemoveWindowEntry(const std::string& folder, WindowHandle handle);

// Every window of the user, ordered by handle; stale entries are cleaned up.
std::vector<WindowInfo> ListWindows();

// The first window whose class name and title match; a null pointer matches
// anything. Names are compared without regard to ASCII case. 0 when none.
WindowHandle FindWindow(const char* className, const char* title);

// The description of one window, if it is registered.
std::optional<WindowInfo> GetWindowInfo(WindowHandle handle);

}  // namespace talmi::winmsg
