#pragma once
// Host-side helpers for talking to simulated nodes through the backend seam.
#include <sys/eventfd.h>
#include <unistd.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/hid_backend.h"
#include "sim/sim_bus.h"
#include "sim/sim_protocol.h"

namespace talmi::simtest {

// Generous bound for anything that should happen at once.
inline constexpr int kWaitMs = 5000;

inline std::unique_ptr<IHidConnection> OpenRw(CSimBus& bus, const std::string& node) {
  return bus.Open(node, true, true, false);
}

// Reads the next report; empty on time-out or failure.
inline std::vector<uint8_t> ReadOne(IHidConnection& conn, int timeoutMs = kWaitMs) {
  std::vector<uint8_t> buf(64);
  const int n = conn.ReadReport(buf.data(), buf.size(), timeoutMs, -1);
  if (n <= 0) return {};
  buf.resize(static_cast<size_t>(n));
  return buf;
}

// One request/reply pair; empty reply when none came.
inline std::vector<uint8_t> Exchange(IHidConnection& conn, const std::vector<uint8_t>& frame,
                                     int timeoutMs = kWaitMs) {
  if (conn.WriteReport(frame.data(), frame.size(), kWaitMs, -1) != static_cast<int>(frame.size())) {
    return {};
  }
  return ReadOne(conn, timeoutMs);
}

inline std::vector<uint8_t> Request(uint8_t command, uint16_t offset,
                                    std::vector<uint8_t> data = {}) {
  return SimBuildRequest(command, offset, data);
}

// A read request: length bytes at offset, no data.
inline std::vector<uint8_t> ReadRequest(uint8_t command, uint16_t offset, uint8_t length) {
  auto frame = SimBuildRequest(command, offset);
  frame[kSimFrameLength] = length;
  SimSealFrame(frame);
  return frame;
}

inline std::vector<uint8_t> DataOf(const std::vector<uint8_t>& reply) {
  if (reply.size() < kSimFrameData) return {};
  const size_t n = std::min<size_t>(reply[kSimFrameLength], reply.size() - kSimFrameData);
  return {reply.begin() + kSimFrameData, reply.begin() + static_cast<ptrdiff_t>(kSimFrameData + n)};
}

// An eventfd the test owns, for aborting waits.
struct EventFd {
  int fd = eventfd(0, EFD_CLOEXEC);
  ~EventFd() { ::close(fd); }
  void Fire() const {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t rc = ::write(fd, &one, sizeof one);
  }
};

}  // namespace talmi::simtest
