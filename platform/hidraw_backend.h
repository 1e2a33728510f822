#pragma once
// hidraw nodes, described from sysfs and opened under /dev. Every node is one
// USB interface; its report descriptor comes from the sysfs attribute, so no
// ioctl is needed. The roots are overridable so tests can point them at an
// emulated tree.
#include <string>

#include "platform/hid_backend.h"

namespace talmi {

class HidrawBackend final : public IHidBackend {
 public:
  explicit HidrawBackend(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");

  bool Enumerate(std::vector<HidNodeInfo>& out) override;
  bool Describe(const std::string& node, HidNodeInfo& out) override;
  std::unique_ptr<IHidConnection> Open(const std::string& node, bool readAccess,
                                       bool writeAccess, bool shareReadOnly) override;

  const std::string& SysfsRoot() const { return sysfsRoot_; }
  const std::string& DevRoot() const { return devRoot_; }

 private:
  // "hidraw3" for "/dev/hidraw3"; empty when the node is not ours.
  std::string NodeName(const std::string& node) const;
  bool DescribeByName(const std::string& name, HidNodeInfo& out) const;

  std::string sysfsRoot_;
  std::string devRoot_;
};

// The backend behind every node name no registered prefix claims.
HidrawBackend& DefaultHidrawBackend();

// Parses "HID_ID=0003:0000320F:00005055" and "HID_PHYS=usb-...-1/input1" out
// of a uevent text. false when HID_ID is missing or malformed.
bool ParseHidUevent(const std::string& text, uint16_t& vendorId, uint16_t& productId,
                    int& physInterface);

}  // namespace talmi
