#include "transport/hid_device.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>

#include "transport/supported_devices.h"

namespace talmi {
namespace {

constexpr size_t kFirstPathCapacity = 4;
// The set-output-report call is synchronous on the host side; a device that
// takes longer than this to accept a report is treated as failed.
constexpr int kSetOutputReportTimeoutMs = 1000;

using Clock = std::chrono::steady_clock;

bool ContainsNoCase(std::string_view text, std::string_view marker) {
  if (marker.size() > text.size()) return false;
  for (size_t i = 0; i + marker.size() <= text.size(); ++i) {
    bool same = true;
    for (size_t k = 0; k < marker.size() && same; ++k) {
      same = std::tolower(static_cast<unsigned char>(text[i + k])) ==
             std::tolower(static_cast<unsigned char>(marker[k]));
    }
    if (same) return true;
  }
  return false;
}

std::string MakeCollectionPath(const HidNodeInfo& info, size_t collection, size_t count) {
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, "?vid_%04x&pid_%04x&mi_%02x", info.vendorId,
                info.productId, info.interfaceNumber);
  std::string path = info.node + suffix;
  if (count > 1) {
    std::snprintf(suffix, sizeof suffix, "&col%02zx", collection + 1);
    path += suffix;
  }
  return path;
}

int ToBackendTimeout(uint32_t timeoutMs) {
  if (timeoutMs == kHidInfinite) return -1;
  return static_cast<int>(std::min<uint32_t>(timeoutMs, INT_MAX));
}

}  // namespace

struct CHidDevice::Session {
  HidNodeInfo info;
  HidTopCollection top;
  bool numbered = false;
  size_t readBufferSize = 0;  // the node's longest input report, ID byte included
  std::unique_ptr<IHidConnection> connection;  // none for a describe-only open
  int abortFd = -1;

  ~Session() {
    if (abortFd >= 0) ::close(abortFd);
  }
};

CHidDevice::CHidDevice() = default;

CHidDevice::~CHidDevice() {
  Close();
  FreePathList();
}

bool CHidDevice::AddPath(std::string path) {
  if (pathCount_ == pathCapacity_) {
    const size_t grown = pathCapacity_ == 0 ? kFirstPathCapacity : pathCapacity_ * 2;
    paths_.resize(grown);
    pathCapacity_ = grown;
  }
  auto copy = std::make_unique<char[]>(path.size() + 1);
  std::memcpy(copy.get(), path.c_str(), path.size() + 1);
  paths_[pathCount_++] = std::move(copy);
  return true;
}

int CHidDevice::Enumerate() {
  FreePathList();
  paths_.resize(kFirstPathCapacity);
  pathCapacity_ = kFirstPathCapacity;
  for (IHidBackend* backend : HidBackends()) {
    std::vector<HidNodeInfo> nodes;
    if (!backend->Enumerate(nodes)) {
      FreePathList();
      return 0;
    }
    for (const HidNodeInfo& info : nodes) {
      HidReportDescriptor d;
      // A node whose descriptor we cannot read could not be opened either.
      if (ParseHidReportDescriptor(info.reportDescriptor.data(), info.reportDescriptor.size(),
                                   d) != kHidParseOk) {
        continue;
      }
      for (size_t i = 0; i < d.collections.size(); ++i) {
        AddPath(MakeCollectionPath(info, i, d.collections.size()));
      }
    }
  }
  cursor_ = 0;
  return 1;
}

const char* CHidDevice::NextPath() {
  if (cursor_ >= pathCount_) return nullptr;
  return paths_[cursor_++].get();
}

void CHidDevice::FreePathList() {
  paths_.clear();
  paths_.shrink_to_fit();
  pathCount_ = 0;
  pathCapacity_ = 0;
  cursor_ = 0;
}

int CHidDevice::Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped,
                     bool shareReadOnly) {
  Close();
  // The path buffer holds 259 characters and its terminator; a longer path
  // is refused rather than cut to a different one.
  if (path.empty() || path.size() >= kHidMaxPathChars) return 0;
  readAccess_ = readAccess;
  writeAccess_ = writeAccess;
  overlapped_ = overlapped;
  shareReadOnly_ = shareReadOnly;
  path_ = path;

  const size_t query = path.find('?');
  const std::string node = path.substr(0, query);
  const DevicePathIds ids = ParseDevicePath(path);
  IHidBackend* backend = HidBackendFor(node);
  auto session = std::make_shared<Session>();
  if (backend == nullptr || !backend->Describe(node, session->info)) return 0;
  const HidNodeInfo& info = session->info;

  // The path names a device; a different one now behind the node is not it.
  if (query != std::string::npos) {
    if (ContainsNoCase(path, "vid_") && ids.vendorId != info.vendorId) return 0;
    if (ContainsNoCase(path, "pid_") && ids.productId != info.productId) return 0;
    if (ContainsNoCase(path, "&mi_") && ids.interfaceNumber != info.interfaceNumber) return 0;
  }

  HidReportDescriptor d;
  if (ParseHidReportDescriptor(info.reportDescriptor.data(), info.reportDescriptor.size(), d) !=
      kHidParseOk) {
    return 0;
  }
  size_t index = 0;
  if (ids.collectionNumber == 0) {
    if (d.collections.size() != 1) return 0;  // which collection would be ambiguous
  } else {
    if (ids.collectionNumber > d.collections.size()) return 0;
    index = ids.collectionNumber - 1;
  }
  session->top = std::move(d.collections[index]);
  session->numbered = d.numbered;
  for (uint16_t len : d.reportByteLength[static_cast<int>(HidReportType::Input)]) {
    session->readBufferSize = std::max<size_t>(session->readBufferSize, len);
  }
  session->readBufferSize += 1;  // room for the ID byte an unnumbered device leaves out

  if (readAccess || writeAccess) {
    session->connection = backend->Open(node, readAccess, writeAccess, shareReadOnly);
    if (!session->connection) return 0;
  }
  session->abortFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (session->abortFd < 0) return 0;

  std::lock_guard<std::mutex> guard(lock_);
  BuildDescription(session->info, session->top);
  interfaceNumber_ = ids.interfaceNumber;
  collectionNumber_ = ids.collectionNumber;
  session_ = std::move(session);
  return 1;
}

void CHidDevice::BuildDescription(const HidNodeInfo& info, const HidTopCollection& top) {
  attributes_ = HidAttributes{};
  attributes_.vendorId = info.vendorId;
  attributes_.productId = info.productId;
  attributes_.versionNumber = info.versionNumber;

  caps_ = HidCaps{};
  caps_.usage = top.usage;
  caps_.usagePage = top.usagePage;
  caps_.inputReportByteLength = top.reportByteLength[0];
  caps_.outputReportByteLength = top.reportByteLength[1];
  caps_.featureReportByteLength = top.reportByteLength[2];
  caps_.numberLinkCollectionNodes = static_cast<uint16_t>(top.linkCollections.size());
  uint16_t* buttonCounts[3] = {&caps_.numberInputButtonCaps, &caps_.numberOutputButtonCaps,
                               &caps_.numberFeatureButtonCaps};
  uint16_t* valueCounts[3] = {&caps_.numberInputValueCaps, &caps_.numberOutputValueCaps,
                              &caps_.numberFeatureValueCaps};
  uint16_t* indexCounts[3] = {&caps_.numberInputDataIndices, &caps_.numberOutputDataIndices,
                              &caps_.numberFeatureDataIndices};

  for (int t = 0; t < kHidReportTypeCount; ++t) {
    const auto type = static_cast<HidReportType>(t);
    *buttonCounts[t] = static_cast<uint16_t>(top.buttonCaps[t].size());
    *valueCounts[t] = static_cast<uint16_t>(top.valueCaps[t].size());
    *indexCounts[t] = top.dataIndexCount[t];
    reportBuffers_[t].assign(top.reportByteLength[t], 0);

    std::vector<HidDataItem>& items = items_[t];
    items.clear();
    for (const HidButtonCaps& c : top.buttonCaps[t]) {
      HidDataItem item;
      item.isButton = true;
      item.status = kHidStatusSuccess;
      item.usagePage = c.usagePage;
      item.reportId = c.reportId;
      item.usageMin = c.usageMin;
      item.usageMax = c.usageMax;
      item.maxUsageListLength = top.MaxUsageListLength(type, c.usagePage);
      item.usages.assign(item.maxUsageListLength, 0);
      items.push_back(std::move(item));
    }
    for (const HidValueCaps& c : top.valueCaps[t]) {
      for (uint32_t u = c.usageMin; u <= c.usageMax; ++u) {
        HidDataItem item;
        item.status = kHidStatusSuccess;
        item.usagePage = c.usagePage;
        item.reportId = c.reportId;
        item.usage = static_cast<uint16_t>(u);
        items.push_back(std::move(item));
      }
    }
  }
}

void CHidDevice::Close() {
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> guard(lock_);
    session = std::move(session_);
    session_.reset();
    attributes_ = HidAttributes{};
    caps_ = HidCaps{};
    for (int t = 0; t < kHidReportTypeCount; ++t) {
      items_[t].clear();
      reportBuffers_[t].clear();
    }
    interfaceNumber_ = 0;
    collectionNumber_ = 0;
  }
  if (!session) return;
  // A call waiting on this session holds its own reference: it wakes on the
  // abort fd and the session goes when the last holder lets go.
  const uint64_t one = 1;
  if (::write(session->abortFd, &one, sizeof one) < 0) {
    // The counter cannot overflow with one write per close; nothing to do.
  }
}

bool CHidDevice::IsOpen() const {
  std::lock_guard<std::mutex> guard(lock_);
  return session_ != nullptr;
}

int CHidDevice::Read(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, uint32_t timeoutMs) {
  return Transfer(true, buffer, length, bytesRead, timeoutMs);
}

int CHidDevice::Write(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten,
                      uint32_t timeoutMs) {
  return Transfer(false, const_cast<uint8_t*>(buffer), length, bytesWritten, timeoutMs);
}

int CHidDevice::Transfer(bool isRead, uint8_t* buffer, uint32_t length, uint32_t* count,
                         uint32_t timeoutMs) {
  if (count != nullptr) *count = 0;
  if (buffer == nullptr || length == 0) return 0;
  std::atomic<bool>& busy = isRead ? readInProgress_ : writeInProgress_;
  busy.store(true);
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> guard(lock_);
    session = session_;
  }
  int result = 0;
  if (session && session->connection) {
    if (isRead) {
      result = ReadFiltered(*session, buffer, length, count, timeoutMs);
    } else {
      const int n = session->connection->WriteReport(buffer, length, ToBackendTimeout(timeoutMs),
                                                     session->abortFd);
      if (n > 0) {
        if (count != nullptr) *count = static_cast<uint32_t>(n);
        result = 1;
      }
    }
  }
  busy.store(false);
  return result;
}

// Reports of the node's other collections are passed over within the same
// time-out: the command channel and the listener never see each other's.
int CHidDevice::ReadFiltered(const Session& s, uint8_t* buffer, uint32_t length, uint32_t* count,
                             uint32_t timeoutMs) {
  const bool infinite = timeoutMs == kHidInfinite;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
  std::vector<uint8_t> report(s.readBufferSize);
  for (;;) {
    int wait = -1;
    if (!infinite) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
    }
    // An unnumbered device's reports arrive without the ID byte; callers
    // always get it first, as 0.
    const size_t skip = s.numbered ? 0 : 1;
    report[0] = 0;
    const int n = s.connection->ReadReport(report.data() + skip, report.size() - skip, wait,
                                           s.abortFd);
    if (n <= 0) return 0;
    const size_t got = static_cast<size_t>(n) + skip;
    if (s.top.HasReportId(HidReportType::Input, report[0])) {
      if (got > length) return 0;  // the caller's buffer cannot hold the report
      // Shorter reports are handed out at the collection's input length,
      // zero-filled, as the Windows HID stack does.
      const size_t full = std::max<size_t>(got, s.top.reportByteLength[0]);
      const size_t out = std::min<size_t>(full, length);
      std::memcpy(buffer, report.data(), got);
      std::memset(buffer + got, 0, out - got);
      if (count != nullptr) *count = static_cast<uint32_t>(out);
      return 1;
    }
    if (!infinite && Clock::now() >= deadline) return 0;
  }
}

int CHidDevice::SetOutputReport(const uint8_t* buffer, uint32_t length) {
  if (buffer == nullptr || length == 0) return 0;
  uint16_t reportLength = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!session_) return 0;
    for (const HidReportInfo& r : session_->top.reports[static_cast<int>(HidReportType::Output)]) {
      if (r.id == buffer[0]) reportLength = r.byteLength;
    }
  }
  // Only an output report of this collection, sent at its own length.
  if (reportLength == 0 || length < reportLength) return 0;
  uint32_t written = 0;
  return Write(buffer, reportLength, &written, kSetOutputReportTimeoutMs) != 0 ? 1 : 0;
}

int CHidDevice::DecodeInputReport(const uint8_t* report, uint32_t length) {
  if (report == nullptr || length == 0) return 0;
  std::lock_guard<std::mutex> guard(lock_);
  if (!session_) return 0;
  const HidTopCollection& top = session_->top;
  std::vector<uint16_t> pressed;
  for (HidDataItem& item : items_[static_cast<int>(HidReportType::Input)]) {
    if (item.reportId != report[0]) continue;
    item.isSet = true;
    if (item.isButton) {
      item.status = top.GetUsages(HidReportType::Input, item.usagePage, report, length, pressed);
      std::fill(item.usages.begin(), item.usages.end(), 0);
      size_t k = 0;
      for (uint16_t u : pressed) {
        if (u < item.usageMin || u > item.usageMax) continue;
        if (k == item.usages.size()) break;
        item.usages[k++] = u;
      }
      continue;
    }
    uint32_t raw = 0;
    item.status = top.GetUsageValue(HidReportType::Input, item.usagePage, item.reportId, item.usage,
                                    report, length, raw);
    if (item.status != kHidStatusSuccess) return 0;
    item.value = raw;
    int32_t scaled = 0;
    item.status = top.GetScaledUsageValue(HidReportType::Input, item.usagePage, item.reportId,
                                          item.usage, report, length, scaled);
    item.scaledValue = item.status == kHidStatusSuccess ? scaled : 0;
  }
  return 1;
}

}  // namespace talmi
