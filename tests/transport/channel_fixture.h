#pragma once
// A CDeviceChannel wired to the simulated keyboard through the real
// CHidDevice: the cable node and the receiver node on a private bus.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/debug_output.h"
#include "sim/sim_bus.h"
#include "sim/sim_keyboard.h"
#include "transport/device_channel.h"
#include "transport/hid_device.h"

namespace talmi::test {

// Length and offset of one frame the device received.
struct Chunk {
  int length;
  int offset;
  bool operator==(const Chunk&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Chunk& c) {
  return os << "{" << c.length << " @" << c.offset << "}";
}

// The frames of one command a node received, in order.
inline std::vector<Chunk> ChunksOf(const CSimNode& node, Command command) {
  std::vector<Chunk> out;
  for (const auto& f : node.ReceivedFrames()) {
    if (f.bytes.size() < frame::kSize || f.bytes[frame::kOffCommand] != CommandByte(command)) {
      continue;
    }
    out.push_back({f.bytes[frame::kOffLength],
                   f.bytes[frame::kOffOffsetLow] | f.bytes[frame::kOffOffsetHigh] << 8});
  }
  return out;
}

// Frames of n bytes each at increasing offsets from start.
inline std::vector<Chunk> Expected(std::vector<int> lengths, int start = 0) {
  std::vector<Chunk> out;
  for (int n : lengths) {
    out.push_back({n, start});
    start += n;
  }
  return out;
}

// The enumerated path of a node's collection.
inline std::string FindPath(std::string_view node, std::string_view collection) {
  CHidDevice enumerator;
  if (!enumerator.Enumerate()) return {};
  const std::string prefix = std::string("sim:") + std::string(node) + "?";
  while (const char* p = enumerator.NextPath()) {
    std::string path(p);
    if (path.rfind(prefix, 0) != 0) continue;
    if (collection.empty() || path.find(collection) != std::string::npos) return path;
  }
  return {};
}

// Debug lines captured while the fixture lives.
class DebugCapture {
 public:
  DebugCapture() {
    SetDebugOutputSink([this](std::string_view line) {
      std::lock_guard<std::mutex> g(lock_);
      lines_.emplace_back(line);
    });
  }
  ~DebugCapture() {
    SetDebugOutputSink({});
    SetDebugOutputEnabled(false);
  }
  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> g(lock_);
    return lines_;
  }
  size_t Count(std::string_view line) const {
    std::lock_guard<std::mutex> g(lock_);
    size_t n = 0;
    for (const auto& l : lines_) n += (l == line);
    return n;
  }
  void Clear() {
    std::lock_guard<std::mutex> g(lock_);
    lines_.clear();
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
};

class ChannelFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    kb_ = MakeSimKeyboard();
    ASSERT_TRUE(bus_.Plug(kb_.cable));
    ASSERT_TRUE(bus_.Plug(kb_.receiver));
    RegisterSimBus(bus_);
    cablePath_ = FindPath("keyboard", "&col04");
    receiverPath_ = FindPath("keyboard-receiver", "&col04");
    ASSERT_FALSE(cablePath_.empty());
    ASSERT_FALSE(receiverPath_.empty());
  }

  void TearDown() override {
    {
      std::lock_guard<std::mutex> io(channel_.IoLock());
      channel_.SetOpen(false);
      channel_.Cable().Close();
      channel_.Receiver().Close();
    }
    UnregisterSimBus();
  }

  // As the owner does it: open under the I/O lock, then set the link mode
  // and the open flag.
  void AttachCable(int linkMode = 1) {
    std::lock_guard<std::mutex> io(channel_.IoLock());
    ASSERT_TRUE(channel_.Cable().Open(cablePath_, true, true, true, false));
    channel_.SetLinkMode(linkMode);
    channel_.SetOpen(true);
  }
  void AttachReceiver() {
    std::lock_guard<std::mutex> io(channel_.IoLock());
    ASSERT_TRUE(channel_.Receiver().Open(receiverPath_, true, true, true, false));
    channel_.SetLinkMode(kLinkModeReceiver);
    channel_.SetOpen(true);
  }

  CSimBus bus_;
  SimKeyboardSet kb_;
  CDeviceChannel channel_;
  std::string cablePath_;
  std::string receiverPath_;
};

}  // namespace talmi::test
