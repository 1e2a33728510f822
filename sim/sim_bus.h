#pragma once
// The simulated HID bus: an IHidBackend whose nodes are firmware models.
// Nodes are named "sim:<name>"; CHidDevice adds "?vid_…&pid_…&mi_…&col…"
// to form per-collection paths, and this backend ignores anything from the
// "?" on. Nodes are plugged and unplugged at run time; an unplugged node
// vanishes from enumeration and every pending or later call on a connection
// to it fails with -1, as a pulled cable does on hidraw.
//
//   CSimBus bus;
//   SimKeyboardSet kb = MakeSimKeyboard();      // sim_keyboard.h
//   bus.Plug(kb.cable);
//   RegisterSimBus(bus);                        // serve "sim:" nodes
#include <chrono>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/hid_backend.h"

namespace talmi {

class CSimConnection;

// What the node tells enumeration about itself.
struct SimNodeIdentity {
  std::string name;  // without the "sim:" prefix
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
  uint16_t interfaceNumber = 0;
  std::vector<uint8_t> reportDescriptor;
};

// An output report the node accepts: its ID and whole length with the ID.
// Writes of any other ID or length fail (-1), as the USB stack refuses them.
struct SimOutputReport {
  uint8_t reportId = 0;
  uint16_t length = 0;
};

// An input report on its way to the host.
struct SimInput {
  std::vector<uint8_t> bytes;
  int delayMs = 0;
};

// One output report as the node received it.
struct SimFrame {
  std::vector<uint8_t> bytes;
  std::chrono::steady_clock::time_point at;
};

// Output reports a node keeps for inspection; older ones are forgotten
// (the count keeps going) so that a long demo run stays bounded.
inline constexpr size_t kSimReceivedLimit = 65536;
// Input reports a connection holds before they are dropped (as hidraw does).
inline constexpr size_t kSimInputQueueLimit = 64;
// With pacing on, one report per direction per this interval.
inline constexpr std::chrono::microseconds kSimUsbFrame{1000};

class CSimNode : public std::enable_shared_from_this<CSimNode> {
 public:
  CSimNode(SimNodeIdentity identity, std::vector<SimOutputReport> outputReports);
  virtual ~CSimNode();
  CSimNode(const CSimNode&) = delete;
  CSimNode& operator=(const CSimNode&) = delete;

  // "sim:<name>"
  [[nodiscard]] std::string Node() const;
  [[nodiscard]] HidNodeInfo Info() const;
  // IDs can change while unplugged (a receiver of another batch).
  void SetIds(uint16_t vendorId, uint16_t productId);

  [[nodiscard]] bool IsPresent() const;
  // The cable is pulled: waiting and later calls fail, enumeration drops it.
  void Unplug();

  // USB pacing: one output and one input report per millisecond.
  void SetPacing(bool on);
  [[nodiscard]] bool Pacing() const;

  // Sends an input report to every connection opened with read access.
  void SendInput(std::span<const uint8_t> report, int delayMs = 0);

  // Every output report received while plugged, in order (also rejected
  // and faulted ones); the last kSimReceivedLimit of them.
  [[nodiscard]] std::vector<SimFrame> ReceivedFrames() const;
  // All reports received since the last ClearReceived.
  [[nodiscard]] size_t ReceivedCount() const;
  void ClearReceived();
  // Waits until at least count reports have been received; false on time-out.
  [[nodiscard]] bool WaitForReceived(size_t count, int timeoutMs) const;
  // Writes refused for a wrong report ID or length.
  [[nodiscard]] uint64_t RejectedWrites() const;
  [[nodiscard]] size_t OpenConnections() const;

 protected:
  // One accepted output report, called with the node's lock held. Replies
  // appended to replies reach the host after their delay.
  virtual void OnOutputReport(std::span<const uint8_t> report, std::vector<SimInput>& replies) = 0;
  // From OnOutputReport: the node is pulled right after this report.
  void RequestUnplug() { unplugRequested_ = true; }
  // Guards the node's state and that of derived nodes (fault plans).
  std::mutex& NodeMutex() const { return mutex_; }

 private:
  friend class CSimBus;
  friend class CSimConnection;

  void MarkPlugged();
  int Write(CSimConnection& conn, const uint8_t* buf, size_t len, int timeoutMs, int abortFd);
  bool Attach(CSimConnection* conn);
  std::chrono::steady_clock::time_point RecordLocked(const uint8_t* buf, size_t len);
  void Detach(CSimConnection* conn);
  void DeliverLocked(SimInput input);
  void UnplugLocked();

  const std::vector<SimOutputReport> outputReports_;
  mutable std::mutex mutex_;
  mutable std::condition_variable received_cv_;
  SimNodeIdentity identity_;
  bool present_ = false;
  bool pacing_ = false;
  bool unplugRequested_ = false;
  std::chrono::steady_clock::time_point nextOutput_{};
  std::chrono::steady_clock::time_point lastInput_{};
  std::vector<CSimConnection*> connections_;
  std::deque<SimFrame> received_;
  uint64_t receivedTotal_ = 0;
  uint64_t rejected_ = 0;
};

class CSimBus : public IHidBackend {
 public:
  static constexpr const char* kPrefix = "sim:";

  CSimBus() = default;
  ~CSimBus() override;  // unplugs every node
  CSimBus(const CSimBus&) = delete;
  CSimBus& operator=(const CSimBus&) = delete;

  // False when a present node already has that name.
  bool Plug(std::shared_ptr<CSimNode> node);
  // Node name with or without "sim:"; false when it was not present.
  bool Unplug(const std::string& node);
  void UnplugAll();
  [[nodiscard]] std::shared_ptr<CSimNode> Find(const std::string& node) const;
  // Pacing for every present node and every node plugged later.
  void SetPacing(bool on);

  // IHidBackend. Enumeration lists present nodes sorted by name.
  bool Enumerate(std::vector<HidNodeInfo>& out) override;
  bool Describe(const std::string& node, HidNodeInfo& out) override;
  std::unique_ptr<IHidConnection> Open(const std::string& node, bool readAccess, bool writeAccess,
                                       bool shareReadOnly) override;

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<CSimNode>> nodes_;
  bool pacing_ = false;
};

// "sim:keyboard?vid_320f&…" → "keyboard"; names without the prefix pass.
[[nodiscard]] std::string SimNodeName(const std::string& node);

// The bus of the process (demo mode, tests that go through the registry).
CSimBus& DefaultSimBus();
// Serve "sim:" nodes from bus through the HID backend registry.
void RegisterSimBus(CSimBus& bus);
void UnregisterSimBus();

}  // namespace talmi
