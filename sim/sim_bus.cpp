#include "sim/sim_bus.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <optional>

namespace talmi {

namespace {

using Clock = std::chrono::steady_clock;

// Waits on up to two fds until one is readable or the time is up. Returns
// the index of the readable fd, -1 on time-out. An fd of -1 is skipped; an
// fd that poll reports invalid is dropped (set to -1) so that it cannot turn
// the wait into a spin.
int WaitReadable(int& fd0, int& fd1, std::optional<Clock::duration> wait) {
  for (;;) {
    pollfd fds[2] = {{fd0, POLLIN, 0}, {fd1, POLLIN, 0}};
    timespec ts{};
    timespec* tsp = nullptr;
    if (wait) {
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::max(*wait, Clock::duration::zero()))
                          .count();
      ts.tv_sec = static_cast<time_t>(ns / 1000000000);
      ts.tv_nsec = static_cast<long>(ns % 1000000000);
      tsp = &ts;
    }
    const int rc = ppoll(fds, 2, tsp, nullptr);
    if (rc < 0) {
      if (errno == EINTR) return -2;  // caller re-evaluates its deadline
      return -1;
    }
    if (rc == 0) return -1;
    if (fds[0].revents & POLLNVAL) fd0 = -1;
    if (fds[1].revents & POLLNVAL) fd1 = -1;
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) return 1;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) return 0;
  }
}

void Signal(int fd) {
  const uint64_t one = 1;
  ssize_t rc;
  do {
    rc = ::write(fd, &one, sizeof one);
  } while (rc < 0 && errno == EINTR);
}

void Drain(int fd) {
  uint64_t value;
  ssize_t rc;
  do {
    rc = ::read(fd, &value, sizeof value);
  } while (rc < 0 && errno == EINTR);
}

std::optional<Clock::time_point> DeadlineOf(int timeoutMs) {
  if (timeoutMs < 0) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

}  // namespace

// One open handle on a node: its own input queue (every reader gets every
// input report, as on hidraw) and an eventfd that wakes a waiting read.
class CSimConnection : public IHidConnection {
 public:
  CSimConnection(std::shared_ptr<CSimNode> node, bool readAccess, bool writeAccess, int eventFd)
      : node_(std::move(node)), read_(readAccess), write_(writeAccess), eventFd_(eventFd) {}

  ~CSimConnection() override {
    node_->Detach(this);
    ::close(eventFd_);
  }

  int ReadReport(uint8_t* buf, size_t cap, int timeoutMs, int abortFd) override {
    if (!read_ || buf == nullptr) return -1;
    const auto deadline = DeadlineOf(timeoutMs);
    int abort = abortFd;
    for (;;) {
      std::optional<Clock::duration> wait;
      {
        std::lock_guard lk(mutex_);
        if (gone_) return -1;
        const auto now = Clock::now();
        if (!queue_.empty() && queue_.front().readyAt <= now) {
          const auto& bytes = queue_.front().bytes;
          const size_t n = std::min(cap, bytes.size());
          std::memcpy(buf, bytes.data(), n);
          queue_.pop_front();
          return static_cast<int>(n);
        }
        if (deadline && now >= *deadline) return 0;
        if (deadline) wait = *deadline - now;
        if (!queue_.empty()) {
          const auto untilReady = queue_.front().readyAt - now;
          wait = wait ? std::min(*wait, untilReady) : untilReady;
        }
      }
      int self = eventFd_;
      const int which = WaitReadable(self, abort, wait);
      if (which == 1) return 0;  // aborted
      if (which == 0) Drain(eventFd_);
    }
  }

  int WriteReport(const uint8_t* buf, size_t len, int timeoutMs, int abortFd) override {
    if (!write_ || buf == nullptr || len == 0) return -1;
    {
      std::lock_guard lk(mutex_);
      if (gone_) return -1;
    }
    return node_->Write(*this, buf, len, timeoutMs, abortFd);
  }

  // Called with the node's lock held.
  void Push(const std::vector<uint8_t>& bytes, Clock::time_point readyAt) {
    if (!read_) return;
    {
      std::lock_guard lk(mutex_);
      if (gone_ || queue_.size() >= kSimInputQueueLimit) return;
      queue_.push_back({bytes, readyAt});
    }
    Signal(eventFd_);
  }

  void MarkGone() {
    {
      std::lock_guard lk(mutex_);
      gone_ = true;
      queue_.clear();
    }
    Signal(eventFd_);
  }

  bool Gone() {
    std::lock_guard lk(mutex_);
    return gone_;
  }

 private:
  struct Pending {
    std::vector<uint8_t> bytes;
    Clock::time_point readyAt;
  };

  const std::shared_ptr<CSimNode> node_;
  const bool read_;
  const bool write_;
  const int eventFd_;
  std::mutex mutex_;
  std::deque<Pending> queue_;
  bool gone_ = false;
};

// ---- CSimNode ---------------------------------------------------------------

CSimNode::CSimNode(SimNodeIdentity identity, std::vector<SimOutputReport> outputReports)
    : outputReports_(std::move(outputReports)), identity_(std::move(identity)) {}

CSimNode::~CSimNode() = default;

std::string CSimNode::Node() const {
  std::lock_guard lk(mutex_);
  return CSimBus::kPrefix + identity_.name;
}

HidNodeInfo CSimNode::Info() const {
  std::lock_guard lk(mutex_);
  HidNodeInfo info;
  info.node = CSimBus::kPrefix + identity_.name;
  info.vendorId = identity_.vendorId;
  info.productId = identity_.productId;
  info.versionNumber = identity_.versionNumber;
  info.interfaceNumber = identity_.interfaceNumber;
  info.reportDescriptor = identity_.reportDescriptor;
  return info;
}

void CSimNode::SetIds(uint16_t vendorId, uint16_t productId) {
  std::lock_guard lk(mutex_);
  identity_.vendorId = vendorId;
  identity_.productId = productId;
}

bool CSimNode::IsPresent() const {
  std::lock_guard lk(mutex_);
  return present_;
}

void CSimNode::Unplug() {
  std::lock_guard lk(mutex_);
  UnplugLocked();
}

void CSimNode::UnplugLocked() {
  present_ = false;
  for (CSimConnection* conn : connections_) conn->MarkGone();
  connections_.clear();
  received_cv_.notify_all();
}

void CSimNode::MarkPlugged() {
  std::lock_guard lk(mutex_);
  present_ = true;
  unplugRequested_ = false;
}

void CSimNode::SetPacing(bool on) {
  std::lock_guard lk(mutex_);
  pacing_ = on;
}

bool CSimNode::Pacing() const {
  std::lock_guard lk(mutex_);
  return pacing_;
}

void CSimNode::SendInput(std::span<const uint8_t> report, int delayMs) {
  std::lock_guard lk(mutex_);
  if (!present_) return;
  DeliverLocked({std::vector<uint8_t>(report.begin(), report.end()), delayMs});
}

void CSimNode::DeliverLocked(SimInput input) {
  const auto now = Clock::now();
  auto readyAt = now + std::chrono::milliseconds(std::max(input.delayMs, 0));
  if (pacing_) {
    // The next free interrupt-IN slot after the request went out.
    readyAt = std::max(readyAt + kSimUsbFrame, lastInput_ + kSimUsbFrame);
  }
  lastInput_ = std::max(lastInput_, readyAt);
  for (CSimConnection* conn : connections_) conn->Push(input.bytes, readyAt);
}

Clock::time_point CSimNode::RecordLocked(const uint8_t* buf, size_t len) {
  const auto at = Clock::now();
  if (received_.size() >= kSimReceivedLimit) received_.pop_front();
  received_.push_back({std::vector<uint8_t>(buf, buf + len), at});
  ++receivedTotal_;
  received_cv_.notify_all();
  return at;
}

std::vector<SimFrame> CSimNode::ReceivedFrames() const {
  std::lock_guard lk(mutex_);
  return {received_.begin(), received_.end()};
}

size_t CSimNode::ReceivedCount() const {
  std::lock_guard lk(mutex_);
  return static_cast<size_t>(receivedTotal_);
}

void CSimNode::ClearReceived() {
  std::lock_guard lk(mutex_);
  received_.clear();
  receivedTotal_ = 0;
}

bool CSimNode::WaitForReceived(size_t count, int timeoutMs) const {
  std::unique_lock lk(mutex_);
  return received_cv_.wait_for(lk, std::chrono::milliseconds(timeoutMs),
                               [&] { return receivedTotal_ >= count; });
}

uint64_t CSimNode::RejectedWrites() const {
  std::lock_guard lk(mutex_);
  return rejected_;
}

size_t CSimNode::OpenConnections() const {
  std::lock_guard lk(mutex_);
  return connections_.size();
}

bool CSimNode::Attach(CSimConnection* conn) {
  std::lock_guard lk(mutex_);
  if (!present_) return false;
  connections_.push_back(conn);
  return true;
}

void CSimNode::Detach(CSimConnection* conn) {
  std::lock_guard lk(mutex_);
  std::erase(connections_, conn);
}

int CSimNode::Write(CSimConnection& conn, const uint8_t* buf, size_t len, int timeoutMs,
                    int abortFd) {
  Clock::time_point slot;
  {
    std::lock_guard lk(mutex_);
    if (!present_ || conn.Gone()) return -1;
    const auto it = std::find_if(outputReports_.begin(), outputReports_.end(),
                                 [&](const SimOutputReport& r) { return r.reportId == buf[0]; });
    if (it == outputReports_.end() || it->length != len) {
      ++rejected_;
      (void)RecordLocked(buf, len);
      return -1;
    }
    const auto now = Clock::now();
    slot = now;
    if (pacing_) {
      slot = std::max(now, nextOutput_);
      nextOutput_ = slot + kSimUsbFrame;
    }
  }
  // Paced: wait for our interrupt-OUT slot (abortable).
  const auto now = Clock::now();
  if (slot > now) {
    if (timeoutMs >= 0 && slot - now > std::chrono::milliseconds(timeoutMs)) return 0;
    int none = -1;
    int abort = abortFd;
    for (;;) {
      const auto left = slot - Clock::now();
      if (left <= Clock::duration::zero()) break;
      const int which = WaitReadable(none, abort, left);
      if (which == 1) return 0;
      if (which == -1) break;
    }
  }
  std::lock_guard lk(mutex_);
  if (!present_ || conn.Gone()) return -1;
  const auto at = RecordLocked(buf, len);
  // The next slot counts from when this report really went out.
  if (pacing_) nextOutput_ = std::max(nextOutput_, at + kSimUsbFrame);
  std::vector<SimInput> replies;
  OnOutputReport(std::span<const uint8_t>(buf, len), replies);
  if (unplugRequested_) {
    unplugRequested_ = false;
    UnplugLocked();
    return static_cast<int>(len);  // the report went out before the cable did
  }
  for (auto& reply : replies) DeliverLocked(std::move(reply));
  return static_cast<int>(len);
}

// ---- CSimBus ----------------------------------------------------------------

std::string SimNodeName(const std::string& node) {
  std::string name = node;
  const auto q = name.find('?');
  if (q != std::string::npos) name.resize(q);
  const std::string prefix = CSimBus::kPrefix;
  if (name.rfind(prefix, 0) == 0) name.erase(0, prefix.size());
  return name;
}

CSimBus::~CSimBus() { UnplugAll(); }

bool CSimBus::Plug(std::shared_ptr<CSimNode> node) {
  if (!node) return false;
  std::lock_guard lk(mutex_);
  std::erase_if(nodes_, [](const auto& n) { return !n->IsPresent(); });
  const std::string name = node->Node();
  for (const auto& n : nodes_) {
    if (n == node || n->Node() == name) return false;
  }
  if (pacing_) node->SetPacing(true);
  node->MarkPlugged();
  nodes_.push_back(std::move(node));
  return true;
}

bool CSimBus::Unplug(const std::string& node) {
  std::shared_ptr<CSimNode> found = Find(node);
  if (!found) return false;
  found->Unplug();
  std::lock_guard lk(mutex_);
  std::erase(nodes_, found);
  return true;
}

void CSimBus::UnplugAll() {
  std::vector<std::shared_ptr<CSimNode>> nodes;
  {
    std::lock_guard lk(mutex_);
    nodes.swap(nodes_);
  }
  for (auto& n : nodes) n->Unplug();
}

std::shared_ptr<CSimNode> CSimBus::Find(const std::string& node) const {
  const std::string wanted = CSimBus::kPrefix + SimNodeName(node);
  std::lock_guard lk(mutex_);
  for (const auto& n : nodes_) {
    if (n->IsPresent() && n->Node() == wanted) return n;
  }
  return nullptr;
}

void CSimBus::SetPacing(bool on) {
  std::lock_guard lk(mutex_);
  pacing_ = on;
  for (auto& n : nodes_) n->SetPacing(on);
}

bool CSimBus::Enumerate(std::vector<HidNodeInfo>& out) {
  out.clear();
  {
    std::lock_guard lk(mutex_);
    std::erase_if(nodes_, [](const auto& n) { return !n->IsPresent(); });
    for (const auto& n : nodes_) out.push_back(n->Info());
  }
  std::sort(out.begin(), out.end(),
            [](const HidNodeInfo& a, const HidNodeInfo& b) { return a.node < b.node; });
  return true;
}

bool CSimBus::Describe(const std::string& node, HidNodeInfo& out) {
  const auto found = Find(node);
  if (!found) return false;
  out = found->Info();
  return true;
}

std::unique_ptr<IHidConnection> CSimBus::Open(const std::string& node, bool readAccess,
                                              bool writeAccess, bool /*shareReadOnly*/) {
  auto found = Find(node);
  if (!found) return nullptr;
  const int efd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (efd < 0) return nullptr;
  auto conn = std::make_unique<CSimConnection>(found, readAccess, writeAccess, efd);
  if (!found->Attach(conn.get())) return nullptr;
  return conn;
}

CSimBus& DefaultSimBus() {
  static CSimBus bus;
  return bus;
}

}  // namespace talmi
