#include "transport/hid_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "sim/report_descriptors.h"
#include "sim/sim_bus.h"
#include "sim/sim_headset.h"
#include "sim/sim_keyboard.h"

namespace talmi {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

// Generous bound for calls that must return "at once": long enough never to
// fire on a loaded machine, short enough that a hang fails the test.
constexpr auto kReturnBound = 20s;

// Nodes with any name under "fake:"; each has the descriptor it was given.
class FakeBackend : public IHidBackend {
 public:
  std::vector<HidNodeInfo> nodes;
  bool failEnumeration = false;

  bool Enumerate(std::vector<HidNodeInfo>& out) override {
    out = nodes;
    return !failEnumeration;
  }
  bool Describe(const std::string& node, HidNodeInfo& out) override {
    for (const HidNodeInfo& n : nodes) {
      if (n.node != node) continue;
      out = n;
      return true;
    }
    return false;
  }
  std::unique_ptr<IHidConnection> Open(const std::string&, bool, bool, bool) override {
    return nullptr;  // these nodes are only described
  }
};

HidNodeInfo FakeNode(const std::string& name, const uint8_t* d, size_t n, uint16_t mi) {
  HidNodeInfo info;
  info.node = "fake:" + name;
  info.vendorId = 0x320F;
  info.productId = 0x5055;
  info.versionNumber = 0x0102;
  info.interfaceNumber = mi;
  info.reportDescriptor.assign(d, d + n);
  return info;
}

std::vector<std::string> PathsWithPrefix(CHidDevice& dev, const std::string& prefix) {
  std::vector<std::string> out;
  while (const char* p = dev.NextPath()) {
    if (std::string(p).rfind(prefix, 0) == 0) out.emplace_back(p);
  }
  return out;
}

class FakeBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetHidrawEnumerationEnabled(false);
    RegisterHidBackend("fake:", &fake_);
  }
  void TearDown() override {
    RegisterHidBackend("fake:", nullptr);
    SetHidrawEnumerationEnabled(true);
  }
  FakeBackend fake_;
};

TEST_F(FakeBackendTest, OnePathPerCollectionAndTheListGrowsByDoubling) {
  // Three keyboards (4 collections each) and a headset (1): 13 paths.
  for (int i = 0; i < 3; ++i) {
    fake_.nodes.push_back(FakeNode("kb" + std::to_string(i), kSimKeyboardInterface1Descriptor,
                                   sizeof kSimKeyboardInterface1Descriptor, 1));
  }
  HidNodeInfo hs = FakeNode("hs", kSimHeadsetInterface3Descriptor,
                            sizeof kSimHeadsetInterface3Descriptor, 3);
  hs.vendorId = 0x0C76;
  hs.productId = 0x1630;
  fake_.nodes.push_back(hs);
  // A node whose descriptor cannot be parsed yields no path.
  const uint8_t broken[] = {0xA1, 0x01};
  fake_.nodes.push_back(FakeNode("broken", broken, sizeof broken, 0));

  CHidDevice dev;
  ASSERT_EQ(dev.Enumerate(), 1);
  const std::vector<std::string> paths = PathsWithPrefix(dev, "fake:");
  std::vector<std::string> want;
  for (int i = 0; i < 3; ++i) {
    for (int c = 1; c <= 4; ++c) {
      want.push_back("fake:kb" + std::to_string(i) + "?vid_320f&pid_5055&mi_01&col0" +
                     std::to_string(c));
    }
  }
  want.push_back("fake:hs?vid_0c76&pid_1630&mi_03");
  EXPECT_EQ(paths, want);
  size_t capacity = 4;
  while (capacity < dev.PathCount()) capacity *= 2;
  EXPECT_EQ(dev.PathCapacity(), capacity);
  EXPECT_EQ(dev.NextPath(), nullptr);

  // A second enumeration starts the cursor over.
  ASSERT_EQ(dev.Enumerate(), 1);
  EXPECT_EQ(PathsWithPrefix(dev, "fake:"), want);
  dev.FreePathList();
  EXPECT_EQ(dev.PathCount(), 0u);
  EXPECT_EQ(dev.NextPath(), nullptr);
}

TEST_F(FakeBackendTest, FailedEnumerationKeepsNoList) {
  fake_.nodes.push_back(FakeNode("kb", kSimKeyboardInterface1Descriptor,
                                 sizeof kSimKeyboardInterface1Descriptor, 1));
  CHidDevice dev;
  ASSERT_EQ(dev.Enumerate(), 1);
  fake_.failEnumeration = true;
  EXPECT_EQ(dev.Enumerate(), 0);
  EXPECT_EQ(dev.PathCount(), 0u);
  EXPECT_EQ(dev.NextPath(), nullptr);
}

TEST(HidDevicePaths, NeverBuiltListHasNoPath) {
  CHidDevice dev;
  EXPECT_EQ(dev.NextPath(), nullptr);
}

TEST_F(FakeBackendTest, PathsOf260CharactersAreRefused) {
  // The node name is padded so the whole path is 259 or 260 characters.
  const std::string suffix = "?vid_0c76&pid_1630&mi_03";
  for (size_t total : {size_t{259}, size_t{260}, size_t{300}}) {
    SCOPED_TRACE(total);
    const std::string name(total - suffix.size() - std::string("fake:").size(), 'n');
    HidNodeInfo n = FakeNode(name, kSimHeadsetInterface3Descriptor,
                             sizeof kSimHeadsetInterface3Descriptor, 3);
    n.vendorId = 0x0C76;
    n.productId = 0x1630;
    fake_.nodes = {n};
    const std::string path = n.node + suffix;
    ASSERT_EQ(path.size(), total);
    CHidDevice dev;
    // Neither access: described only, no connection needed.
    EXPECT_EQ(dev.Open(path, false, false, true, false), total < kHidMaxPathChars ? 1 : 0);
    EXPECT_EQ(dev.IsOpen(), total < kHidMaxPathChars);
  }
}

TEST_F(FakeBackendTest, OpenSelectsTheCollectionNamedByThePath) {
  fake_.nodes.push_back(FakeNode("kb", kSimKeyboardInterface1Descriptor,
                                 sizeof kSimKeyboardInterface1Descriptor, 1));
  struct Case {
    const char* path;
    int result;
    uint16_t usagePage, usage, inLen, outLen, mi, col;
  };
  const Case cases[] = {
      {"fake:kb?vid_320f&pid_5055&mi_01&col04", 1, 0xFF1C, 0x92, 64, 64, 1, 4},
      {"fake:kb?vid_320f&pid_5055&mi_01&col03", 1, 0x000C, 0x01, 3, 0, 1, 3},
      {"fake:kb?VID_320F&PID_5055&MI_01&COL04", 1, 0xFF1C, 0x92, 64, 64, 1, 4},
      {"fake:kb?vid_320f&pid_5055&mi_01&col05", 0, 0, 0, 0, 0, 0, 0},    // no such collection
      {"fake:kb?vid_320f&pid_5055&mi_01", 0, 0, 0, 0, 0, 0, 0},          // which one?
      {"fake:kb?vid_320f&pid_5056&mi_01&col04", 0, 0, 0, 0, 0, 0, 0},    // another device
      {"fake:kb?vid_320f&pid_5055&mi_02&col04", 0, 0, 0, 0, 0, 0, 0},    // another interface
      {"fake:gone?vid_320f&pid_5055&mi_01&col04", 0, 0, 0, 0, 0, 0, 0},  // not present
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CHidDevice dev;
    EXPECT_EQ(dev.Open(c.path, false, false, true, false), c.result);
    EXPECT_EQ(dev.Caps().usagePage, c.usagePage);
    EXPECT_EQ(dev.Caps().usage, c.usage);
    EXPECT_EQ(dev.Caps().inputReportByteLength, c.inLen);
    EXPECT_EQ(dev.Caps().outputReportByteLength, c.outLen);
    EXPECT_EQ(dev.InterfaceNumber(), c.mi);
    EXPECT_EQ(dev.CollectionNumber(), c.col);
    EXPECT_EQ(dev.Attributes().versionNumber, c.result ? 0x0102 : 0);
  }
}

TEST_F(FakeBackendTest, DescriptionHoldsDataItemsAndZeroedBuffers) {
  fake_.nodes.push_back(FakeNode("kb", kSimKeyboardInterface1Descriptor,
                                 sizeof kSimKeyboardInterface1Descriptor, 1));
  CHidDevice dev;
  ASSERT_EQ(dev.Open("fake:kb?vid_320f&pid_5055&mi_01&col02", false, false, true, false), 1);
  EXPECT_EQ(dev.Caps().numberInputButtonCaps, 2);
  EXPECT_EQ(dev.Caps().numberInputValueCaps, 0);
  const auto& items = dev.DataItems(HidReportType::Input);
  ASSERT_EQ(items.size(), 2u);
  for (const HidDataItem& item : items) {
    EXPECT_TRUE(item.isButton);
    EXPECT_EQ(item.status, kHidStatusSuccess);
    EXPECT_EQ(item.usagePage, 0x07);
    EXPECT_EQ(item.reportId, 2);
    EXPECT_EQ(item.maxUsageListLength, 120u);
    EXPECT_EQ(item.usages.size(), 120u);
  }
  EXPECT_EQ(dev.ReportBuffer(HidReportType::Input), Bytes(16, 0));
  EXPECT_TRUE(dev.ReportBuffer(HidReportType::Output).empty());

  ASSERT_EQ(dev.Open("fake:kb?vid_320f&pid_5055&mi_01&col04", false, false, true, false), 1);
  ASSERT_EQ(dev.DataItems(HidReportType::Input).size(), 1u);
  EXPECT_FALSE(dev.DataItems(HidReportType::Input)[0].isButton);
  EXPECT_EQ(dev.DataItems(HidReportType::Output).size(), 1u);
  EXPECT_EQ(dev.ReportBuffer(HidReportType::Output), Bytes(64, 0));

  dev.Close();
  EXPECT_FALSE(dev.IsOpen());
  EXPECT_TRUE(dev.DataItems(HidReportType::Input).empty());
  dev.Close();  // closing twice is harmless
}

// The real simulated devices on a private bus, reached through the registry.
class SimDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetHidrawEnumerationEnabled(false);
    kb_ = MakeSimKeyboard();
    headset_ = std::make_shared<CSimHeadset>();
    headsetNode_ = MakeSimHeadsetNode(headset_);
    ASSERT_TRUE(bus_.Plug(kb_.cable));
    ASSERT_TRUE(bus_.Plug(headsetNode_));
    RegisterSimBus(bus_);
  }
  void TearDown() override {
    UnregisterSimBus();
    SetHidrawEnumerationEnabled(true);
  }

  static constexpr const char* kVendorPath = "sim:keyboard?vid_320f&pid_5055&mi_01&col04";
  static constexpr const char* kConsumerPath = "sim:keyboard?vid_320f&pid_5055&mi_01&col03";
  static constexpr const char* kHeadsetPath = "sim:headset?vid_0c76&pid_1630&mi_03";

  CSimBus bus_;
  SimKeyboardSet kb_;
  std::shared_ptr<CSimHeadset> headset_;
  std::shared_ptr<CSimDeviceNode> headsetNode_;
};

TEST_F(SimDeviceTest, EnumerationNamesEveryCollection) {
  CHidDevice dev;
  ASSERT_EQ(dev.Enumerate(), 1);
  const std::vector<std::string> want = {
      "sim:headset?vid_0c76&pid_1630&mi_03",
      "sim:keyboard?vid_320f&pid_5055&mi_01&col01",
      "sim:keyboard?vid_320f&pid_5055&mi_01&col02",
      "sim:keyboard?vid_320f&pid_5055&mi_01&col03",
      "sim:keyboard?vid_320f&pid_5055&mi_01&col04",
  };
  EXPECT_EQ(PathsWithPrefix(dev, "sim:"), want);
}

TEST_F(SimDeviceTest, ReadsDeliverOnlyTheCollectionsReports) {
  CHidDevice consumer, vendor;
  ASSERT_EQ(consumer.Open(kConsumerPath, true, false, true, false), 1);
  ASSERT_EQ(vendor.Open(kVendorPath, true, true, true, false), 1);

  Bytes frame(64, 0);
  frame[0] = kSimVendorReportId;
  frame[1] = 0x5A;
  kb_.cable->SendInput(frame);
  ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0401));

  uint8_t buf[64] = {};
  uint32_t n = 0;
  // The consumer reader skips the vendor report and gets its own.
  ASSERT_NE(consumer.Read(buf, sizeof buf, &n, 5000), 0);
  EXPECT_EQ(Bytes(buf, buf + n), (Bytes{3, 0x01, 0x04}));
  ASSERT_EQ(consumer.DecodeInputReport(buf, n), 1);
  const HidDataItem& item = consumer.DataItems(HidReportType::Input).at(0);
  EXPECT_TRUE(item.isSet);
  EXPECT_EQ(item.usages.at(0), 0x0401);

  ASSERT_NE(vendor.Read(buf, sizeof buf, &n, 5000), 0);
  EXPECT_EQ(Bytes(buf, buf + n), frame);
  // The consumer report is not the vendor reader's: it times out.
  EXPECT_EQ(vendor.Read(buf, sizeof buf, &n, 50), 0);
  EXPECT_EQ(n, 0u);
}

TEST_F(SimDeviceTest, TimeOutLeavesNothingForTheNextRead) {
  CHidDevice consumer;
  ASSERT_EQ(consumer.Open(kConsumerPath, true, false, true, false), 1);
  uint8_t buf[8] = {};
  uint32_t n = 99;
  EXPECT_EQ(consumer.Read(buf, sizeof buf, &n, 30), 0);
  EXPECT_EQ(n, 0u);
  ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0402));
  ASSERT_NE(consumer.Read(buf, sizeof buf, &n, 5000), 0);
  EXPECT_EQ(Bytes(buf, buf + n), (Bytes{3, 0x02, 0x04}));
  // A buffer too small for the report fails instead of cutting it.
  ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0404));
  EXPECT_EQ(consumer.Read(buf, 2, &n, 5000), 0);
}

TEST_F(SimDeviceTest, WriteReachesTheDevice) {
  CHidDevice vendor;
  ASSERT_EQ(vendor.Open(kVendorPath, true, true, true, false), 1);
  kb_.cable->ClearReceived();
  Bytes frame(64, 0xEE);
  frame[0] = kSimVendorReportId;
  uint32_t n = 0;
  ASSERT_NE(vendor.Write(frame.data(), 64, &n, 1000), 0);
  EXPECT_EQ(n, 64u);
  ASSERT_TRUE(kb_.cable->WaitForReceived(1, 5000));
  ASSERT_EQ(kb_.cable->ReceivedFrames().size(), 1u);
  EXPECT_EQ(kb_.cable->ReceivedFrames()[0].bytes, frame);

  // Read access only: nothing is written.
  CHidDevice reader;
  ASSERT_EQ(reader.Open(kVendorPath, true, false, true, false), 1);
  EXPECT_EQ(reader.Write(frame.data(), 64, &n, 100), 0);
  EXPECT_EQ(kb_.cable->ReceivedCount(), 1u);
}

TEST_F(SimDeviceTest, SetOutputReportSendsTheLightReport) {
  CHidDevice dev;
  ASSERT_EQ(dev.Open(kHeadsetPath, true, true, true, false), 1);
  EXPECT_EQ(dev.Caps().usagePage, 0x000C);
  EXPECT_EQ(dev.Caps().outputReportByteLength, 64);
  headsetNode_->ClearReceived();
  Bytes light(kSimHeadsetLightReportSize, 0);
  light[0] = kSimHeadsetLightReportId;
  light[1] = kSimHeadsetTargetA;
  ASSERT_EQ(dev.SetOutputReport(light.data(), static_cast<uint32_t>(light.size())), 1);
  ASSERT_TRUE(headsetNode_->WaitForReceived(1, 5000));
  EXPECT_EQ(headsetNode_->ReceivedFrames().at(0).bytes, light);

  // Not an output report of this collection, or too short for its own.
  Bytes unknown = light;
  unknown[0] = 0x09;
  EXPECT_EQ(dev.SetOutputReport(unknown.data(), static_cast<uint32_t>(unknown.size())), 0);
  Bytes shortVendor(17, 0);
  shortVendor[0] = kSimVendorReportId;
  EXPECT_EQ(dev.SetOutputReport(shortVendor.data(), 17), 0);
  EXPECT_EQ(headsetNode_->ReceivedCount(), 1u);
}

// Serves "watch:<name>" from the sim bus and tells when a read has begun
// waiting, so Close can be sent while it really waits.
class WatchBackend : public IHidBackend {
 public:
  explicit WatchBackend(CSimBus& bus) : bus_(bus) {}

  class Connection : public IHidConnection {
   public:
    Connection(std::unique_ptr<IHidConnection> inner, WatchBackend& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    int ReadReport(uint8_t* buf, size_t cap, int timeoutMs, int abortFd) override {
      owner_.readers_.fetch_add(1);
      return inner_->ReadReport(buf, cap, timeoutMs, abortFd);
    }
    int WriteReport(const uint8_t* buf, size_t len, int timeoutMs, int abortFd) override {
      return inner_->WriteReport(buf, len, timeoutMs, abortFd);
    }

   private:
    std::unique_ptr<IHidConnection> inner_;
    WatchBackend& owner_;
  };

  bool Enumerate(std::vector<HidNodeInfo>& out) override {
    out.clear();
    return true;
  }
  bool Describe(const std::string& node, HidNodeInfo& out) override {
    return bus_.Describe(Inner(node), out);
  }
  std::unique_ptr<IHidConnection> Open(const std::string& node, bool r, bool w,
                                       bool share) override {
    auto inner = bus_.Open(Inner(node), r, w, share);
    if (!inner) return nullptr;
    return std::make_unique<Connection>(std::move(inner), *this);
  }
  int Readers() const { return readers_.load(); }

 private:
  static std::string Inner(const std::string& node) { return "sim:" + node.substr(6); }
  CSimBus& bus_;
  std::atomic<int> readers_{0};
};

TEST_F(SimDeviceTest, CloseFromAnotherThreadEndsAnInfiniteRead) {
  WatchBackend watch(bus_);
  RegisterHidBackend("watch:", &watch);
  const std::string path = "watch:keyboard?vid_320f&pid_5055&mi_01&col03";
  CHidDevice dev;
  ASSERT_EQ(dev.Open(path, true, false, true, false), 1);
  auto reading = std::async(std::launch::async, [&dev] {
    uint8_t buf[8];
    uint32_t n = 7;
    const int rc = dev.Read(buf, sizeof buf, &n, kHidInfinite);
    return std::make_pair(rc, n);
  });
  while (watch.Readers() == 0) std::this_thread::yield();
  dev.Close();
  ASSERT_EQ(reading.wait_for(kReturnBound), std::future_status::ready);
  const auto [rc, n] = reading.get();
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(dev.IsOpen());

  // The object opens again and reads normally: no abort is left over.
  ASSERT_EQ(dev.Open(path, true, false, true, false), 1);
  ASSERT_TRUE(kb_.keyboard->SendConsumerUsage(0x0401));
  uint8_t buf[8];
  uint32_t n2 = 0;
  EXPECT_NE(dev.Read(buf, sizeof buf, &n2, 5000), 0);
  EXPECT_EQ(n2, 3u);
  RegisterHidBackend("watch:", nullptr);
}

TEST_F(SimDeviceTest, UnplugEndsAReadAndThePresenceTestFails) {
  CHidDevice dev, probe;
  ASSERT_EQ(dev.Open(kVendorPath, true, true, true, false), 1);
  ASSERT_EQ(probe.Open(kVendorPath, false, false, true, false), 1);
  EXPECT_EQ(probe.Caps().usagePage, 0xFF1C);
  auto reading = std::async(std::launch::async, [&dev] {
    uint8_t buf[64];
    uint32_t n = 0;
    return dev.Read(buf, sizeof buf, &n, kHidInfinite);
  });
  ASSERT_TRUE(bus_.Unplug("keyboard"));
  ASSERT_EQ(reading.wait_for(kReturnBound), std::future_status::ready);
  EXPECT_EQ(reading.get(), 0);
  EXPECT_EQ(probe.Open(kVendorPath, false, false, true, false), 0);
  EXPECT_FALSE(probe.IsOpen());
}

}  // namespace
}  // namespace talmi
