// The hidraw backend and CHidDevice on emulated sysfs and device nodes. The
// binary runs under umockdev-wrapper; each test gets a fresh test bed.
#include <fcntl.h>
#include <poll.h>
#include <umockdev.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/hid_backend.h"
#include "platform/hidraw_backend.h"
#include "sim/report_descriptors.h"
#include "transport/hid_device.h"

namespace talmi {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

constexpr auto kReturnBound = 20s;

const Bytes kKeyboard(std::begin(kSimKeyboardInterface1Descriptor),
                      std::end(kSimKeyboardInterface1Descriptor));
const Bytes kHeadset(std::begin(kSimHeadsetInterface3Descriptor),
                     std::end(kSimHeadsetInterface3Descriptor));
// A mouse without report IDs: 3 buttons + padding, X and Y.
const Bytes kUnnumberedMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01,
                                0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01,
                                0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01,
                                0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08,
                                0x95, 0x02, 0x81, 0x06, 0xC0};

std::string Hex(const Bytes& b) {
  std::string out;
  char two[3];
  for (uint8_t v : b) {
    std::snprintf(two, sizeof two, "%02x", v);
    out += two;
  }
  return out;
}

struct UsbHid {
  int number = 0;           // hidrawN
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t version = 0;
  int interfaceAttr = -1;   // bInterfaceNumber, -1 for none
  int physInterface = -1;   // HID_PHYS ".../inputN", -1 for none
  Bytes descriptor;
  int port = -1;  // USB port in the sysfs path; -1: number + 1
};

// Waits for a report-sized answer on the master side of an emulated node.
Bytes ReadMaster(int fd, size_t want) {
  Bytes out;
  const auto until = std::chrono::steady_clock::now() + kReturnBound;
  while (out.size() < want && std::chrono::steady_clock::now() < until) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    uint8_t buf[256];
    const ssize_t n = ::read(fd, buf, std::min(sizeof buf, want - out.size()));
    if (n > 0) out.insert(out.end(), buf, buf + n);
  }
  return out;
}

class HidrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bed_ = umockdev_testbed_new();
    ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-wrapper";
    SetHidrawEnumerationEnabled(true);
  }
  void TearDown() override { g_object_unref(bed_); }

  // Adds the USB device, interface, HID device and hidraw node the kernel
  // would show; returns the USB device's sysfs path (removing it removes all).
  std::string Add(const UsbHid& d) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "%04X:%04X", d.vendorId, d.productId);
    const std::string port = std::to_string(d.port >= 0 ? d.port : d.number + 1);
    const std::string usb = "/devices/pci0000:00/usb1/1-" + port;
    const std::string iface = usb + "/1-" + port + ":1." +
                              std::to_string(std::max(d.interfaceAttr, 0));
    const std::string hid = iface + "/0003:" + ids + "." + port;
    const std::string name = "hidraw" + std::to_string(d.number);
    const std::string raw = hid + "/hidraw/" + name;
    char text[1024];
    std::string spec;
    std::snprintf(text, sizeof text, "P: %s\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: bcdDevice=%04x\n\n",
                  usb.c_str(), d.version);
    spec += text;
    spec += "P: " + iface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n";
    if (d.interfaceAttr >= 0) {
      std::snprintf(text, sizeof text, "A: bInterfaceNumber=%02x\n", d.interfaceAttr);
      spec += text;
    }
    spec += "\n";
    std::snprintf(text, sizeof text, "P: %s\nE: SUBSYSTEM=hid\nE: HID_ID=0003:%08X:%08X\n",
                  hid.c_str(), d.vendorId, d.productId);
    spec += text;
    if (d.physInterface >= 0) {
      spec += "E: HID_PHYS=usb-0000:00:14.0-1/input" + std::to_string(d.physInterface) + "\n";
    }
    spec += "H: report_descriptor=" + Hex(d.descriptor) + "\n\n";
    std::snprintf(text, sizeof text,
                  "P: %s\nN: %s\nE: DEVNAME=/dev/%s\nE: SUBSYSTEM=hidraw\nA: dev=241:%d\n"
                  "L: device=../../../%s\n",
                  raw.c_str(), name.c_str(), name.c_str(), d.number,
                  hid.substr(hid.rfind('/') + 1).c_str());
    spec += text;
    GError* error = nullptr;
    const gboolean ok = umockdev_testbed_add_from_string(bed_, spec.c_str(), &error);
    EXPECT_TRUE(ok) << (error ? error->message : "");
    if (error) g_error_free(error);
    added_.emplace_back("/sys" + raw, "/sys" + usb);
    return "/sys" + usb;
  }

  int Master(int number) {
    return umockdev_testbed_get_dev_fd(bed_, ("/dev/hidraw" + std::to_string(number)).c_str());
  }
  void Feed(int number, const Bytes& bytes) {
    ASSERT_EQ(::write(Master(number), bytes.data(), bytes.size()),
              static_cast<ssize_t>(bytes.size()));
  }
  // The cable is pulled: the master end goes away (the node's reads end),
  // its fd number stays valid for the test bed to close later.
  void HangUp(int number) {
    const int devnull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    ASSERT_GE(devnull, 0);
    ASSERT_GE(::dup2(devnull, Master(number)), 0);
    ::close(devnull);
  }
  // The node first (its class link and /dev entry go with it), then the
  // rest of the USB device.
  void Remove(const std::string& usbPath) {
    for (const auto& [raw, usb] : added_) {
      if (usb != usbPath) continue;
      umockdev_testbed_remove_device(bed_, raw.c_str());
      umockdev_testbed_remove_device(bed_, usb.c_str());
    }
  }

  static UsbHid Keyboard(int number = 0) {
    return {number, 0x320F, 0x5055, 0x0102, 1, 1, kKeyboard};
  }
  static UsbHid Headset(int number = 1) {
    return {number, 0x0C76, 0x1630, 0x0200, -1, 3, kHeadset};
  }

  static std::vector<std::string> AllPaths() {
    CHidDevice dev;
    std::vector<std::string> out;
    if (!dev.Enumerate()) return {"enumeration failed"};
    while (const char* p = dev.NextPath()) out.emplace_back(p);
    return out;
  }

  UMockdevTestbed* bed_ = nullptr;
  std::vector<std::pair<std::string, std::string>> added_;  // hidraw node, USB device
};

TEST_F(HidrawTest, NoDevicesEnumerateAsAnEmptyList) {
  CHidDevice dev;
  ASSERT_EQ(dev.Enumerate(), 1);
  EXPECT_EQ(dev.NextPath(), nullptr);
}

TEST_F(HidrawTest, EnumerationGivesOnePathPerCollection) {
  Add(Keyboard(0));
  Add(Headset(1));
  UsbHid broken = Headset(2);
  broken.descriptor = {0x05, 0x0C, 0xA1};  // cut off: the node yields no path
  Add(broken);
  UsbHid later = Headset(10);
  later.productId = 0x1631;
  Add(later);
  const std::vector<std::string> want = {
      "/dev/hidraw0?vid_320f&pid_5055&mi_01&col01", "/dev/hidraw0?vid_320f&pid_5055&mi_01&col02",
      "/dev/hidraw0?vid_320f&pid_5055&mi_01&col03", "/dev/hidraw0?vid_320f&pid_5055&mi_01&col04",
      "/dev/hidraw1?vid_0c76&pid_1630&mi_03",       "/dev/hidraw10?vid_0c76&pid_1631&mi_03",
  };
  EXPECT_EQ(AllPaths(), want);

  // Demo mode and tests leave real nodes out.
  SetHidrawEnumerationEnabled(false);
  EXPECT_TRUE(AllPaths().empty());
  SetHidrawEnumerationEnabled(true);
}

TEST_F(HidrawTest, BackendDescribesTheNodeFromSysfs) {
  Add(Keyboard(0));
  Add(Headset(1));
  HidNodeInfo info;
  HidrawBackend& backend = DefaultHidrawBackend();
  ASSERT_TRUE(backend.Describe("/dev/hidraw0", info));
  EXPECT_EQ(info.vendorId, 0x320F);
  EXPECT_EQ(info.productId, 0x5055);
  EXPECT_EQ(info.versionNumber, 0x0102);
  EXPECT_EQ(info.interfaceNumber, 1);
  EXPECT_EQ(info.reportDescriptor, kKeyboard);
  // No bInterfaceNumber: the inputN suffix of HID_PHYS.
  ASSERT_TRUE(backend.Describe("/dev/hidraw1", info));
  EXPECT_EQ(info.interfaceNumber, 3);
  EXPECT_FALSE(backend.Describe("/dev/hidraw7", info));
  EXPECT_FALSE(backend.Describe("/dev/../dev/hidraw0", info));
  EXPECT_FALSE(backend.Describe("/dev/hidraw0/x", info));
}

TEST_F(HidrawTest, OpenDescribesTheCollection) {
  Add(Keyboard(0));
  Add(Headset(1));
  struct Case {
    const char* path;
    bool read, write;
    uint16_t page, usage, in, out;
  };
  const Case cases[] = {
      {"/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", true, true, 0xFF1C, 0x92, 64, 64},
      {"/dev/hidraw0?vid_320f&pid_5055&mi_01&col03", true, false, 0x000C, 0x01, 3, 0},
      {"/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", false, false, 0xFF1C, 0x92, 64, 64},
      {"/dev/hidraw1?vid_0c76&pid_1630&mi_03", false, true, 0x000C, 0x01, 64, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CHidDevice dev;
    ASSERT_EQ(dev.Open(c.path, c.read, c.write, true, false), 1);
    EXPECT_EQ(dev.Caps().usagePage, c.page);
    EXPECT_EQ(dev.Caps().usage, c.usage);
    EXPECT_EQ(dev.Caps().inputReportByteLength, c.in);
    EXPECT_EQ(dev.Caps().outputReportByteLength, c.out);
    EXPECT_NE(dev.Attributes().vendorId, 0);
  }
  CHidDevice dev;
  EXPECT_EQ(dev.Open("/dev/hidraw0?vid_320f&pid_5055&mi_03&col04", true, true, true, false), 0);
  EXPECT_EQ(dev.Open("/dev/hidraw5?vid_320f&pid_5055&mi_01&col04", true, true, true, false), 0);
}

TEST_F(HidrawTest, ReadsCutReportsOutOfTheByteStream) {
  Add(Keyboard(0));
  CHidDevice vendor;
  ASSERT_EQ(vendor.Open("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", true, true, true, false), 1);
  Bytes frame(64);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7);
  frame[0] = kSimVendorReportId;
  // A consumer report first (not this collection's), then the frame in
  // pieces that do not line up with report boundaries.
  Bytes stream = {3, 0x01, 0x04};
  stream.insert(stream.end(), frame.begin(), frame.end());
  Feed(0, Bytes(stream.begin(), stream.begin() + 2));
  Feed(0, Bytes(stream.begin() + 2, stream.begin() + 30));
  Feed(0, Bytes(stream.begin() + 30, stream.end()));
  uint8_t buf[64];
  uint32_t n = 0;
  ASSERT_NE(vendor.Read(buf, sizeof buf, &n, 5000), 0);
  EXPECT_EQ(Bytes(buf, buf + n), frame);
  vendor.Close();

  CHidDevice consumer;
  ASSERT_EQ(consumer.Open("/dev/hidraw0?vid_320f&pid_5055&mi_01&col03", true, false, true, false),
            1);
  Feed(0, {3, 0x01, 0x04});
  ASSERT_NE(consumer.Read(buf, sizeof buf, &n, 5000), 0);
  ASSERT_EQ(n, 3u);
  ASSERT_EQ(consumer.DecodeInputReport(buf, n), 1);
  EXPECT_EQ(consumer.DataItems(HidReportType::Input).at(0).usages.at(0), 0x0401);
}

TEST_F(HidrawTest, WritesReachTheDevice) {
  Add(Keyboard(0));
  Add(Headset(1));
  CHidDevice vendor;
  ASSERT_EQ(vendor.Open("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", true, true, true, false), 1);
  Bytes frame(64, 0x0D);  // bytes a cooked terminal would turn into newlines
  frame[0] = kSimVendorReportId;
  frame[1] = 0x0A;
  uint32_t n = 0;
  ASSERT_NE(vendor.Write(frame.data(), 64, &n, 1000), 0);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(ReadMaster(Master(0), 64), frame);

  CHidDevice headset;
  ASSERT_EQ(headset.Open("/dev/hidraw1?vid_0c76&pid_1630&mi_03", true, true, true, false), 1);
  Bytes light(17, 0x11);
  light[0] = kSimHeadsetLightReportId;
  ASSERT_EQ(headset.SetOutputReport(light.data(), 17), 1);
  EXPECT_EQ(ReadMaster(Master(1), 17), light);

  // Read access only: no write goes out.
  CHidDevice reader;
  ASSERT_EQ(reader.Open("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", true, false, true, false), 1);
  EXPECT_EQ(reader.Write(frame.data(), 64, &n, 100), 0);
}

TEST_F(HidrawTest, UnnumberedReportsGetAZeroIdByte) {
  UsbHid mouse{0, 0x1234, 0x0001, 0x0100, 0, -1, kUnnumberedMouse};
  Add(mouse);
  CHidDevice dev;
  ASSERT_EQ(dev.Open("/dev/hidraw0?vid_1234&pid_0001&mi_00", true, true, true, false), 1);
  EXPECT_EQ(dev.Caps().inputReportByteLength, 4);
  Feed(0, {0x01, 0xFB, 0x05, 0x02, 0x00, 0x00});  // two reports back to back
  uint8_t buf[8];
  uint32_t n = 0;
  ASSERT_NE(dev.Read(buf, sizeof buf, &n, 5000), 0);
  EXPECT_EQ(Bytes(buf, buf + n), (Bytes{0, 0x01, 0xFB, 0x05}));
  ASSERT_EQ(dev.DecodeInputReport(buf, n), 1);
  const auto& items = dev.DataItems(HidReportType::Input);
  ASSERT_EQ(items.size(), 3u);  // the buttons and X, Y
  EXPECT_EQ(items[0].usages.at(0), 1);
  EXPECT_EQ(items[1].scaledValue, -5);
  EXPECT_EQ(items[2].scaledValue, 5);
  ASSERT_NE(dev.Read(buf, sizeof buf, &n, 5000), 0);
  EXPECT_EQ(Bytes(buf, buf + n), (Bytes{0, 0x02, 0x00, 0x00}));
}

TEST_F(HidrawTest, TimeOutKeepsAPartReportForLater) {
  Add(Keyboard(0));
  CHidDevice vendor;
  ASSERT_EQ(vendor.Open("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", true, true, true, false), 1);
  uint8_t buf[64];
  uint32_t n = 5;
  EXPECT_EQ(vendor.Read(buf, sizeof buf, &n, 30), 0);
  EXPECT_EQ(n, 0u);
  Bytes frame(64, 0x42);
  frame[0] = kSimVendorReportId;
  Feed(0, Bytes(frame.begin(), frame.begin() + 10));
  EXPECT_EQ(vendor.Read(buf, sizeof buf, &n, 30), 0);
  Feed(0, Bytes(frame.begin() + 10, frame.end()));
  ASSERT_NE(vendor.Read(buf, sizeof buf, &n, 5000), 0);
  EXPECT_EQ(Bytes(buf, buf + n), frame);
}

// hidraw behind a watch that tells when a read has started waiting.
class WatchedHidraw : public IHidBackend {
 public:
  class Connection : public IHidConnection {
   public:
    Connection(std::unique_ptr<IHidConnection> inner, std::atomic<int>& readers)
        : inner_(std::move(inner)), readers_(readers) {}
    int ReadReport(uint8_t* buf, size_t cap, int timeoutMs, int abortFd) override {
      readers_.fetch_add(1);
      return inner_->ReadReport(buf, cap, timeoutMs, abortFd);
    }
    int WriteReport(const uint8_t* buf, size_t len, int timeoutMs, int abortFd) override {
      return inner_->WriteReport(buf, len, timeoutMs, abortFd);
    }

   private:
    std::unique_ptr<IHidConnection> inner_;
    std::atomic<int>& readers_;
  };
  bool Enumerate(std::vector<HidNodeInfo>& out) override {
    out.clear();
    return true;
  }
  bool Describe(const std::string& node, HidNodeInfo& out) override {
    return DefaultHidrawBackend().Describe(Inner(node), out);
  }
  std::unique_ptr<IHidConnection> Open(const std::string& node, bool r, bool w, bool s) override {
    auto inner = DefaultHidrawBackend().Open(Inner(node), r, w, s);
    if (!inner) return nullptr;
    return std::make_unique<Connection>(std::move(inner), readers);
  }
  static std::string Inner(const std::string& node) { return "/dev/" + node.substr(6); }
  std::atomic<int> readers{0};
};

TEST_F(HidrawTest, CloseFromAnotherThreadEndsAnInfiniteRead) {
  Add(Keyboard(0));
  WatchedHidraw watch;
  RegisterHidBackend("watch:", &watch);
  CHidDevice dev;
  ASSERT_EQ(dev.Open("watch:hidraw0?vid_320f&pid_5055&mi_01&col04", true, true, true, false), 1);
  auto reading = std::async(std::launch::async, [&dev] {
    uint8_t buf[64];
    uint32_t n = 0;
    return dev.Read(buf, sizeof buf, &n, kHidInfinite);
  });
  while (watch.readers.load() == 0) std::this_thread::yield();
  dev.Close();
  ASSERT_EQ(reading.wait_for(kReturnBound), std::future_status::ready);
  EXPECT_EQ(reading.get(), 0);
  RegisterHidBackend("watch:", nullptr);
}

TEST_F(HidrawTest, HangUpDuringAReadThenRemovalFailsThePresenceTest) {
  const std::string sys = Add(Keyboard(0));
  const std::string path = "/dev/hidraw0?vid_320f&pid_5055&mi_01&col04";
  CHidDevice dev, probe;
  ASSERT_EQ(dev.Open(path, true, true, true, false), 1);
  ASSERT_EQ(probe.Open(path, false, false, true, false), 1);
  auto reading = std::async(std::launch::async, [&dev] {
    uint8_t buf[64];
    uint32_t n = 0;
    return dev.Read(buf, sizeof buf, &n, kHidInfinite);
  });
  HangUp(0);
  ASSERT_EQ(reading.wait_for(kReturnBound), std::future_status::ready);
  EXPECT_EQ(reading.get(), 0);
  // Later calls on the dead node fail at once.
  uint8_t buf[64] = {kSimVendorReportId};
  uint32_t n = 0;
  EXPECT_EQ(dev.Read(buf, sizeof buf, &n, kHidInfinite), 0);
  Remove(sys);
  EXPECT_EQ(probe.Open(path, false, false, true, false), 0);
  EXPECT_EQ(AllPaths(), std::vector<std::string>{});
}

TEST_F(HidrawTest, RemovalWithoutHangUpStillEndsAnInfiniteRead) {
  const std::string sys = Add(Keyboard(0));
  CHidDevice dev;
  ASSERT_EQ(dev.Open("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", true, true, true, false), 1);
  auto reading = std::async(std::launch::async, [&dev] {
    uint8_t buf[64];
    uint32_t n = 0;
    return dev.Read(buf, sizeof buf, &n, kHidInfinite);
  });
  Remove(sys);
  ASSERT_EQ(reading.wait_for(kReturnBound), std::future_status::ready);
  EXPECT_EQ(reading.get(), 0);
}

TEST_F(HidrawTest, AnotherDeviceBehindTheNodeIsNotTheOpenedOne) {
  Add(Keyboard(0));
  const std::string path = "/dev/hidraw0?vid_320f&pid_5055&mi_01&col04";
  CHidDevice dev, probe;
  ASSERT_EQ(dev.Open(path, true, true, true, false), 1);
  ASSERT_EQ(probe.Open(path, false, false, true, false), 1);
  auto reading = std::async(std::launch::async, [&dev] {
    uint8_t buf[64];
    uint32_t n = 0;
    return dev.Read(buf, sizeof buf, &n, kHidInfinite);
  });
  // The node number now belongs to a device with other IDs.
  umockdev_testbed_set_property(
      bed_, "/sys/devices/pci0000:00/usb1/1-1/1-1:1.1/0003:320F:5055.1", "HID_ID",
      "0003:0000320F:00005056");
  ASSERT_EQ(reading.wait_for(kReturnBound), std::future_status::ready);
  EXPECT_EQ(reading.get(), 0);
  EXPECT_EQ(probe.Open(path, false, false, true, false), 0);
  EXPECT_EQ(probe.Open("/dev/hidraw0?vid_320f&pid_5056&mi_01&col04", false, false, true, false), 1);
}

}  // namespace
}  // namespace talmi
