#pragma once
// The seam under CHidDevice: a backend lists HID interface nodes and moves
// whole reports in and out of one. hidraw serves "/dev/..." nodes; the
// simulated bus registers itself for "sim:" nodes. Nothing above CHidDevice
// knows which backend answered.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace talmi {

// One HID node as a backend sees it: one USB interface with its report
// descriptor. CHidDevice splits it into top-level collections.
struct HidNodeInfo {
  std::string node;  // "/dev/hidraw3" or "sim:keyboard"
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
  uint16_t interfaceNumber = 0;
  std::vector<uint8_t> reportDescriptor;
};

// An open node. Both calls wait at most timeoutMs (negative: no limit) and
// return at once when abortFd (an eventfd or pipe, -1 for none) turns
// readable.
class IHidConnection {
 public:
  virtual ~IHidConnection() = default;
  // One whole input report, report ID first when the device numbers its
  // reports. Returns its length, 0 on time-out or abort, -1 when the node
  // failed or is gone.
  virtual int ReadReport(uint8_t* buf, size_t cap, int timeoutMs, int abortFd) = 0;
  // One output report. Returns the bytes taken, 0 on time-out or abort, -1 on
  // failure.
  virtual int WriteReport(const uint8_t* buf, size_t len, int timeoutMs, int abortFd) = 0;
};

class IHidBackend {
 public:
  virtual ~IHidBackend() = default;
  // Present nodes in a stable order; false when the listing itself failed.
  virtual bool Enumerate(std::vector<HidNodeInfo>& out) = 0;
  // The current description of one node; false when it is not present.
  virtual bool Describe(const std::string& node, HidNodeInfo& out) = 0;
  // nullptr when the node cannot be opened with that access.
  virtual std::unique_ptr<IHidConnection> Open(const std::string& node, bool readAccess,
                                               bool writeAccess, bool shareReadOnly) = 0;
};

// Registers (or, with nullptr, removes) the backend for node names that
// start with prefix. Enumeration asks hidraw first, then registered backends
// in registration order.
void RegisterHidBackend(const std::string& prefix, IHidBackend* backend);
// The backend for a node name: a registered prefix, else hidraw.
IHidBackend* HidBackendFor(const std::string& node);
// Every backend enumeration should ask.
std::vector<IHidBackend*> HidBackends();
// Demo mode and tests can leave the real hidraw nodes out of enumeration.
void SetHidrawEnumerationEnabled(bool on);

}  // namespace talmi
