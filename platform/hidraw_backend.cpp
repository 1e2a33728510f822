#include "platform/hidraw_backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/hid_report_descriptor.h"

namespace talmi {
namespace {

constexpr const char* kNodePrefix = "hidraw";
constexpr size_t kMaxUeventBytes = 64 * 1024;
constexpr size_t kMaxAttributeBytes = 256;
// While a call waits, the node's sysfs entry is looked at this often, so a
// device removed without a hang-up on its fd still ends the wait.
constexpr int kPresenceCheckMs = 250;
// A tty-backed node buffers at most this much of an unfinished report stream.
constexpr size_t kMaxPendingBytes = 64 * 1024;

using Clock = std::chrono::steady_clock;

bool ReadSmallFile(const std::string& path, std::string& out, size_t maxBytes) {
  return ReadWholeFile(path, out, maxBytes);
}

bool ParseHex(const std::string& text, uint32_t& out) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i >= text.size()) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(text.c_str() + i, &end, 16);
  if (errno != 0 || end == text.c_str() + i) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool IsNodeName(const std::string& name) {
  const size_t n = std::strlen(kNodePrefix);
  if (name.size() <= n || name.compare(0, n, kNodePrefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<long>(n), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

long NodeNumber(const std::string& name) {
  return std::strtol(name.c_str() + std::strlen(kNodePrefix), nullptr, 10);
}

int RemainingMs(Clock::time_point deadline, bool infinite) {
  if (infinite) return kPresenceCheckMs;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return static_cast<int>(std::min<long long>(left, kPresenceCheckMs));
}

enum class WaitResult { Ready, Abort, TimeOut, Failed };

// Waits for the node (events) or the abort fd; a slice of at most sliceMs.
WaitResult WaitSlice(int fd, short events, int abortFd, int sliceMs) {
  pollfd fds[2] = {{fd, events, 0}, {abortFd, POLLIN, 0}};
  const nfds_t count = abortFd >= 0 ? 2 : 1;
  const int rc = ::poll(fds, count, sliceMs);
  if (rc < 0) return errno == EINTR ? WaitResult::TimeOut : WaitResult::Failed;
  if (count == 2 && (fds[1].revents & POLLIN) != 0) return WaitResult::Abort;
  if (rc == 0) return WaitResult::TimeOut;
  if ((fds[0].revents & events) != 0) return WaitResult::Ready;
  if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return WaitResult::Failed;
  return WaitResult::TimeOut;
}

class HidrawConnection final : public IHidConnection {
 public:
  HidrawConnection(HidrawBackend& backend, std::string node, HidNodeInfo identity, int fd,
                   bool canRead, bool canWrite, bool isTty, HidReportDescriptor descriptor)
      : backend_(backend),
        node_(std::move(node)),
        identity_(std::move(identity)),
        fd_(fd),
        canRead_(canRead),
        canWrite_(canWrite),
        isTty_(isTty),
        descriptor_(std::move(descriptor)) {}
  ~HidrawConnection() override {
    if (fd_ >= 0) ::close(fd_);
  }

  int ReadReport(uint8_t* buf, size_t cap, int timeoutMs, int abortFd) override;
  int WriteReport(const uint8_t* buf, size_t len, int timeoutMs, int abortFd) override;

 private:
  bool StillPresent() const;
  // A whole report out of the tty byte stream, if one is buffered.
  int TakeBufferedReport(uint8_t* buf, size_t cap);
  int ReadOnce(uint8_t* buf, size_t cap);
  int WriteAll(const uint8_t* buf, size_t len, Clock::time_point deadline, bool infinite,
               int abortFd);

  HidrawBackend& backend_;
  std::string node_;
  HidNodeInfo identity_;
  int fd_;
  bool canRead_;
  bool canWrite_;
  bool isTty_;
  HidReportDescriptor descriptor_;
  std::vector<uint8_t> pending_;
  bool gone_ = false;
};

bool HidrawConnection::StillPresent() const {
  HidNodeInfo now;
  if (!backend_.Describe(node_, now)) return false;
  return now.vendorId == identity_.vendorId && now.productId == identity_.productId &&
         now.interfaceNumber == identity_.interfaceNumber &&
         now.reportDescriptor == identity_.reportDescriptor;
}

int HidrawConnection::TakeBufferedReport(uint8_t* buf, size_t cap) {
  while (!pending_.empty()) {
    size_t len = 0;
    if (descriptor_.numbered) {
      len = descriptor_.ReportByteLength(HidReportType::Input, pending_[0]);
      if (len == 0) {
        // Not a report ID this device sends: drop the byte to find the next one.
        pending_.erase(pending_.begin());
        continue;
      }
    } else {
      // Unnumbered reports travel without the ID byte.
      len = descriptor_.ReportByteLength(HidReportType::Input, 0);
      if (len <= 1) {
        pending_.clear();
        return 0;
      }
      len -= 1;
    }
    if (pending_.size() < len) return 0;
    const size_t n = std::min(len, cap);
    std::memcpy(buf, pending_.data(), n);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(len));
    return static_cast<int>(n);
  }
  return 0;
}

// 1+ bytes of a report, 0 nothing yet, -1 the node failed.
int HidrawConnection::ReadOnce(uint8_t* buf, size_t cap) {
  if (!isTty_) {
    const ssize_t n = ::read(fd_, buf, cap);
    if (n > 0) return static_cast<int>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return -1;
  }
  uint8_t chunk[4096];
  const ssize_t n = ::read(fd_, chunk, sizeof chunk);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
  if (n <= 0) return -1;
  if (pending_.size() + static_cast<size_t>(n) > kMaxPendingBytes) pending_.clear();
  pending_.insert(pending_.end(), chunk, chunk + n);
  return TakeBufferedReport(buf, cap);
}

int HidrawConnection::ReadReport(uint8_t* buf, size_t cap, int timeoutMs, int abortFd) {
  if (fd_ < 0 || !canRead_ || gone_ || buf == nullptr || cap == 0) return -1;
  if (isTty_) {
    const int ready = TakeBufferedReport(buf, cap);
    if (ready > 0) return ready;
  }
  const bool infinite = timeoutMs < 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
  for (;;) {
    const int slice = RemainingMs(deadline, infinite);
    const WaitResult w = WaitSlice(fd_, POLLIN, abortFd, slice);
    if (w == WaitResult::Abort) return 0;
    if (w == WaitResult::Failed) {
      gone_ = true;
      return -1;
    }
    if (w == WaitResult::Ready) {
      const int n = ReadOnce(buf, cap);
      if (n > 0) return n;
      if (n < 0) {
        gone_ = true;
        return -1;
      }
      continue;
    }
    if (!StillPresent()) {
      gone_ = true;
      return -1;
    }
    if (!infinite && Clock::now() >= deadline) return 0;
  }
}

int HidrawConnection::WriteAll(const uint8_t* buf, size_t len, Clock::time_point deadline,
                               bool infinite, int abortFd) {
  size_t done = 0;
  while (done < len) {
    const ssize_t n = ::write(fd_, buf + done, len - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
    const WaitResult w = WaitSlice(fd_, POLLOUT, abortFd, RemainingMs(deadline, infinite));
    if (w == WaitResult::Failed) return -1;
    // Half a report on a byte stream cannot be taken back: an abort or time-out
    // after the first byte leaves the stream broken, so it counts as failure.
    if (w == WaitResult::Abort) return done == 0 ? 0 : -1;
    if (w == WaitResult::TimeOut && !infinite && Clock::now() >= deadline) {
      return done == 0 ? 0 : -1;
    }
    if (w == WaitResult::TimeOut && !StillPresent()) return -1;
  }
  return static_cast<int>(done);
}

int HidrawConnection::WriteReport(const uint8_t* buf, size_t len, int timeoutMs, int abortFd) {
  if (fd_ < 0 || !canWrite_ || gone_ || buf == nullptr || len == 0) return -1;
  const bool infinite = timeoutMs < 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
  // hidraw takes the report number first and drops a 0 for unnumbered devices;
  // the tty stand-in gets what the device itself would see.
  size_t skip = 0;
  if (isTty_ && !descriptor_.numbered && buf[0] == 0) skip = 1;
  if (len == skip) return static_cast<int>(len);
  pollfd probe{abortFd, POLLIN, 0};
  if (abortFd >= 0 && ::poll(&probe, 1, 0) > 0 && (probe.revents & POLLIN) != 0) return 0;
  const int rc = WriteAll(buf + skip, len - skip, deadline, infinite, abortFd);
  if (rc <= 0) {
    if (rc < 0) gone_ = !StillPresent();
    return rc;
  }
  return static_cast<int>(len);
}

}  // namespace

bool ParseHidUevent(const std::string& text, uint16_t& vendorId, uint16_t& productId,
                    int& physInterface) {
  bool haveId = false;
  physInterface = -1;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.rfind("HID_ID=", 0) == 0) {
      // bus:vendor:product, each in hex.
      const std::string v = line.substr(7);
      const size_t a = v.find(':');
      const size_t b = a == std::string::npos ? a : v.find(':', a + 1);
      if (b == std::string::npos) return false;
      uint32_t vid = 0, pid = 0;
      if (!ParseHex(v.substr(a + 1, b - a - 1), vid) || !ParseHex(v.substr(b + 1), pid)) {
        return false;
      }
      vendorId = static_cast<uint16_t>(vid);
      productId = static_cast<uint16_t>(pid);
      haveId = true;
    } else if (line.rfind("HID_PHYS=", 0) == 0) {
      const size_t at = line.rfind("/input");
      if (at == std::string::npos) continue;
      const char* digits = line.c_str() + at + 6;
      if (*digits < '0' || *digits > '9') continue;
      physInterface = static_cast<int>(std::strtol(digits, nullptr, 10));
    }
  }
  return haveId;
}

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

std::string HidrawBackend::NodeName(const std::string& node) const {
  const std::string prefix = devRoot_ + "/";
  if (node.compare(0, prefix.size(), prefix) != 0) return {};
  std::string name = node.substr(prefix.size());
  return IsNodeName(name) ? name : std::string{};
}

bool HidrawBackend::DescribeByName(const std::string& name, HidNodeInfo& out) const {
  const std::string base = sysfsRoot_ + "/class/hidraw/" + name + "/device";
  std::string uevent;
  if (!ReadSmallFile(base + "/uevent", uevent, kMaxUeventBytes)) return false;
  HidNodeInfo info;
  int physInterface = -1;
  if (!ParseHidUevent(uevent, info.vendorId, info.productId, physInterface)) return false;
  std::string descriptor;
  if (!ReadSmallFile(base + "/report_descriptor", descriptor, kHidMaxDescriptorBytes)) return false;
  if (descriptor.empty()) return false;
  info.reportDescriptor.assign(descriptor.begin(), descriptor.end());

  // The HID device sits below its USB interface, which sits below the USB device.
  std::string text;
  uint32_t number = 0;
  if (ReadSmallFile(base + "/../bInterfaceNumber", text, kMaxAttributeBytes) &&
      ParseHex(text, number)) {
    info.interfaceNumber = static_cast<uint16_t>(number);
  } else if (physInterface >= 0) {
    info.interfaceNumber = static_cast<uint16_t>(physInterface);
  }
  if (ReadSmallFile(base + "/../../bcdDevice", text, kMaxAttributeBytes) && ParseHex(text, number)) {
    info.versionNumber = static_cast<uint16_t>(number);
  }
  info.node = devRoot_ + "/" + name;
  struct stat st {};
  if (::stat(info.node.c_str(), &st) != 0) return false;
  out = std::move(info);
  return true;
}

bool HidrawBackend::Enumerate(std::vector<HidNodeInfo>& out) {
  out.clear();
  const std::string dir = sysfsRoot_ + "/class/hidraw";
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return errno == ENOENT;  // no hidraw class: no devices, not a failure
  std::vector<std::string> names;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (IsNodeName(name)) names.push_back(std::move(name));
  }
  ::closedir(d);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return NodeNumber(a) < NodeNumber(b); });
  for (const std::string& name : names) {
    HidNodeInfo info;
    if (DescribeByName(name, info)) out.push_back(std::move(info));
  }
  return true;
}

bool HidrawBackend::Describe(const std::string& node, HidNodeInfo& out) {
  const std::string name = NodeName(node);
  if (name.empty()) return false;
  return DescribeByName(name, out);
}

std::unique_ptr<IHidConnection> HidrawBackend::Open(const std::string& node, bool readAccess,
                                                    bool writeAccess, bool /*shareReadOnly*/) {
  // Linux has no share modes: hidraw lets every opener read every report.
  HidNodeInfo info;
  if (!Describe(node, info)) return nullptr;
  HidReportDescriptor descriptor;
  const bool parsed = ParseHidReportDescriptor(info.reportDescriptor.data(),
                                               info.reportDescriptor.size(), descriptor) ==
                      kHidParseOk;
  if (!readAccess && !writeAccess) {
    return std::make_unique<HidrawConnection>(*this, node, std::move(info), -1, false, false,
                                              false, std::move(descriptor));
  }
  const int access = readAccess && writeAccess ? O_RDWR : (readAccess ? O_RDONLY : O_WRONLY);
  const int fd = ::open(node.c_str(), access | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  // A real hidraw node refuses terminal ioctls. The test bed's emulated node
  // is a pseudo-terminal: a byte stream whose reports are cut out by the
  // descriptor's lengths, so there the descriptor must be sound. (isatty()
  // is not asked: the test bed's preload answers it for emulated nodes.)
  termios tio {};
  const bool isTty = ::tcgetattr(fd, &tio) == 0;
  if (isTty) {
    ::cfmakeraw(&tio);
    if (!parsed || ::tcsetattr(fd, TCSANOW, &tio) != 0) {
      ::close(fd);
      return nullptr;
    }
  }
  return std::make_unique<HidrawConnection>(*this, node, std::move(info), fd, readAccess,
                                            writeAccess, isTty, std::move(descriptor));
}

HidrawBackend& DefaultHidrawBackend() {
  static HidrawBackend backend;
  return backend;
}

}  // namespace talmi
