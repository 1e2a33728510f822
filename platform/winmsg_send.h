#pragma once
// Sending on the message bus: post, broadcast, synchronous send with a
// time-out, and WM_COPYDATA. Only registered messages (by name) and
// WM_COPYDATA travel between programs; private message numbers carry
// meanings (pointers, handles) that make no sense in another process and
// are refused with kBusBadMessage.
#include <cstdint>
#include <span>

#include "platform/winmsg_types.h"

namespace talmi::winmsg {

inline constexpr int kPostTimeoutMs = 200;

// kBusOk when the message was queued at the window.
[[nodiscard]] int PostMessage(WindowHandle to, std::uint32_t message, WPARAM wParam,
                              LPARAM lParam);

// Posts to every window of the user; returns how many were reached (0 or
// more), or kBusBadMessage.
int BroadcastMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam);

// Sends and waits at most timeoutMs for the answer (result). A window that
// goes away meanwhile ends the wait at once (kBusNoWindow); abortFd (when
// not -1) ends it with kBusAborted.
[[nodiscard]] int SendMessageTimeout(WindowHandle to, std::uint32_t message, WPARAM wParam,
                                     LPARAM lParam, int timeoutMs, LRESULT* result,
                                     int abortFd = -1);

// WM_COPYDATA: wParam is by custom the sender's window; the block is at most
// kMaxCopyDataBytes (else kBusBadMessage).
[[nodiscard]] int SendCopyData(WindowHandle to, WPARAM wParam, std::uint64_t dwData,
                               std::span<const std::uint8_t> block, int timeoutMs,
                               LRESULT* result, int abortFd = -1);

}  // namespace talmi::winmsg
