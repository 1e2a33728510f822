#pragma once
// CHidDevice: one top-level HID collection, opened by path. Paths carry the
// Windows-style identity the supported-device tables match on:
//   /dev/hidraw3?vid_320f&pid_5055&mi_01&col04
//   sim:keyboard?vid_0c76&pid_1630&mi_03
// Reads deliver only the input reports whose report ID belongs to the opened
// collection; report lengths include the report ID byte.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid_backend.h"
#include "platform/hid_report_descriptor.h"

namespace talmi {

struct HidAttributes {
  uint32_t size = sizeof(uint32_t) + 3 * sizeof(uint16_t);
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
};

struct HidCaps {
  uint16_t usage = 0;
  uint16_t usagePage = 0;
  uint16_t inputReportByteLength = 0;
  uint16_t outputReportByteLength = 0;
  uint16_t featureReportByteLength = 0;
  uint16_t numberLinkCollectionNodes = 0;
  uint16_t numberInputButtonCaps = 0;
  uint16_t numberInputValueCaps = 0;
  uint16_t numberInputDataIndices = 0;
  uint16_t numberOutputButtonCaps = 0;
  uint16_t numberOutputValueCaps = 0;
  uint16_t numberOutputDataIndices = 0;
  uint16_t numberFeatureButtonCaps = 0;
  uint16_t numberFeatureValueCaps = 0;
  uint16_t numberFeatureDataIndices = 0;
};

// One button capability or one usage of a value capability.
struct HidDataItem {
  bool isButton = false;
  int32_t status = 0;  // result of the last decode; kHidStatusSuccess at start
  uint16_t usagePage = 0;
  uint8_t reportId = 0;
  bool isSet = false;
  // button part
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
  uint32_t maxUsageListLength = 0;
  std::vector<uint16_t> usages;  // maxUsageListLength entries, 0-terminated when shorter
  // value part
  uint16_t usage = 0;
  uint32_t value = 0;
  int32_t scaledValue = 0;
};

inline constexpr uint32_t kHidInfinite = 0xFFFFFFFF;
inline constexpr size_t kHidMaxPathChars = 260;  // with the terminator

class CHidDevice {
 public:
  CHidDevice();
  ~CHidDevice();
  CHidDevice(const CHidDevice&) = delete;
  CHidDevice& operator=(const CHidDevice&) = delete;

  // Enumeration: one path per top-level collection of every present node.
  [[nodiscard]] int Enumerate();  // 1 success, 0 failure (no list kept)
  const char* NextPath();         // nullptr when exhausted or never built
  void FreePathList();
  size_t PathCount() const { return pathCount_; }
  size_t PathCapacity() const { return pathCapacity_; }

  // 1 when the node and the collection's description were obtained, else 0
  // (and closed). Neither read nor write access: a presence and description
  // check only.
  [[nodiscard]] int Open(const std::string& path, bool readAccess, bool writeAccess,
                         bool overlapped, bool shareReadOnly);
  // Safe from another thread while Read/Write waits: that call returns 0.
  void Close();

  // Non-zero on success; 0 on failure, time-out or abort (count then 0).
  [[nodiscard]] int Read(uint8_t* buffer, uint32_t length, uint32_t* bytesRead,
                         uint32_t timeoutMs);
  [[nodiscard]] int Write(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten,
                          uint32_t timeoutMs);
  // The headset page's light reports: an output report written to the node.
  [[nodiscard]] int SetOutputReport(const uint8_t* buffer, uint32_t length);

  // Fills the input data items from one received input report.
  [[nodiscard]] int DecodeInputReport(const uint8_t* report, uint32_t length);

  bool IsOpen() const;
  const HidAttributes& Attributes() const { return attributes_; }
  const HidCaps& Caps() const { return caps_; }
  uint16_t InterfaceNumber() const { return interfaceNumber_; }
  uint16_t CollectionNumber() const { return collectionNumber_; }
  const std::string& Path() const { return path_; }
  const std::vector<HidDataItem>& DataItems(HidReportType type) const {
    return items_[static_cast<int>(type)];
  }
  const std::vector<uint8_t>& ReportBuffer(HidReportType type) const {
    return reportBuffers_[static_cast<int>(type)];
  }

 private:
  // The opened collection: its node's description, the parsed collection,
  // the connection and the abort eventfd of this open. Shared with a waiting
  // call so that Close from another thread never frees it under that call.
  struct Session;

  int Transfer(bool isRead, uint8_t* buffer, uint32_t length, uint32_t* count,
               uint32_t timeoutMs);
  int ReadFiltered(const Session& s, uint8_t* buffer, uint32_t length, uint32_t* count,
                   uint32_t timeoutMs);
  void BuildDescription(const HidNodeInfo& info, const HidTopCollection& top);
  bool AddPath(std::string path);

  // Enumeration
  std::vector<std::unique_ptr<char[]>> paths_;
  size_t pathCount_ = 0;
  size_t pathCapacity_ = 0;
  size_t cursor_ = 0;

  // Open parameters
  bool readAccess_ = false;
  bool writeAccess_ = false;
  bool overlapped_ = false;
  bool shareReadOnly_ = false;
  std::string path_;

  // The open collection and its description.
  mutable std::mutex lock_;
  std::shared_ptr<Session> session_;
  HidAttributes attributes_;
  HidCaps caps_;
  std::vector<HidDataItem> items_[3];
  std::vector<uint8_t> reportBuffers_[3];
  uint16_t interfaceNumber_ = 0;
  uint16_t collectionNumber_ = 0;

  // Whether a call waits; Close signals the session's abort fd in any case.
  std::atomic<bool> readInProgress_{false};
  std::atomic<bool> writeInProgress_{false};
};

}  // namespace talmi
