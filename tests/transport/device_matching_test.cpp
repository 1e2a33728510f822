// Matching enumerated paths against the supported interfaces and the slots,
// with the simulated keyboard and headset on the bus.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "channel_fixture.h"
#include "sim/report_descriptors.h"
#include "sim/sim_headset.h"
#include "transport/supported_devices.h"

namespace talmi::test {
namespace {

constexpr int kKeyboardVendorSlot = 0;
constexpr int kKeyboardConsumerSlot = 1;
constexpr int kHeadsetSlot = 10;

std::vector<uint8_t> KeyboardDescriptor() {
  return {std::begin(kSimKeyboardInterface1Descriptor), std::end(kSimKeyboardInterface1Descriptor)};
}

// The keyboard's descriptor with the vendor collection on another usage page.
std::vector<uint8_t> KeyboardDescriptorWithVendorPage(uint16_t page) {
  auto d = KeyboardDescriptor();
  const uint8_t vendorPage[] = {0x06, 0x1C, 0xFF};
  auto at = std::search(d.begin(), d.end(), std::begin(vendorPage), std::end(vendorPage));
  if (at == d.end()) return {};
  at[1] = uint8_t(page);
  at[2] = uint8_t(page >> 8);
  return d;
}

std::shared_ptr<CSimDeviceNode> KeyboardLikeNode(const std::string& name, uint16_t vid,
                                                 uint16_t pid, uint16_t interfaceNumber,
                                                 std::vector<uint8_t> descriptor) {
  SimNodeIdentity id{name, vid, pid, 0x0100, interfaceNumber, std::move(descriptor)};
  return std::make_shared<CSimDeviceNode>(
      id, std::vector<SimOutputReport>{{kSimVendorReportId, 64}},
      std::make_shared<CSimKeyboard>());
}

std::vector<std::string> AllPaths() {
  std::vector<std::string> out;
  CHidDevice enumerator;
  if (!enumerator.Enumerate()) return out;
  while (const char* p = enumerator.NextPath()) out.emplace_back(p);
  return out;
}

class MatchingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kb_ = MakeSimKeyboard();
    headset_ = std::make_shared<CSimHeadset>();
    ASSERT_TRUE(bus_.Plug(kb_.cable));
    ASSERT_TRUE(bus_.Plug(kb_.receiver));
    ASSERT_TRUE(bus_.Plug(MakeSimHeadsetNode(headset_)));
    RegisterSimBus(bus_);
    slots_ = MakeSlotList();
  }
  void TearDown() override { UnregisterSimBus(); }

  // One scan pass: path → result.
  std::map<std::string, int> Pass() {
    std::map<std::string, int> results;
    CHidDevice probe;
    for (const auto& path : AllPaths()) results[path] = MatchDevicePath(path, slots_, probe);
    return results;
  }

  CSimBus bus_;
  SimKeyboardSet kb_;
  std::shared_ptr<CSimHeadset> headset_;
  std::vector<DeviceIdentity> slots_;
};

TEST_F(MatchingTest, KeyboardAndHeadsetTakeTheirSlots) {
  const auto results = Pass();
  const std::string kbVendor = FindPath("keyboard", "&col04");
  const std::string kbConsumer = FindPath("keyboard", "&col03");
  const std::string headset = FindPath("headset", "");
  ASSERT_EQ(results.count(kbVendor), 1u);
  EXPECT_EQ(results.at(kbVendor), kKeyboardVendorSlot);
  EXPECT_EQ(results.at(kbConsumer), kKeyboardConsumerSlot);
  // The headset's path carries "&mi_03" and no "&col".
  EXPECT_EQ(headset.find("&col"), std::string::npos);
  EXPECT_EQ(results.at(headset), kHeadsetSlot);

  for (const auto& [path, result] : results) {
    if (path == kbVendor || path == kbConsumer || path == headset) continue;
    // Other collections and the receiver (whose IDs no row carries) are
    // skipped without being opened.
    EXPECT_EQ(result, kMatchSkipped) << path;
  }
  EXPECT_EQ(slots_[kKeyboardVendorSlot].path, kbVendor);
  EXPECT_EQ(slots_[kKeyboardVendorSlot].connected, 1);
  EXPECT_EQ(slots_[kHeadsetSlot].path, headset);
  for (size_t i = 2; i <= 9; ++i) EXPECT_FALSE(slots_[i].IsAttached()) << "placeholder slot " << i;

  // Attached slots are not offered again.
  for (const auto& [path, result] : Pass()) EXPECT_EQ(result, kMatchSkipped) << path;
}

TEST_F(MatchingTest, CapitalisedPathMatchesTheSameSlot) {
  const std::string path = "sim:keyboard?VID_320F&PID_5055&MI_01&COL04";
  EXPECT_EQ(MatchDevicePath(path, slots_), kKeyboardVendorSlot);
  EXPECT_EQ(slots_[kKeyboardVendorSlot].path, path);
}

TEST_F(MatchingTest, MissingMarkersReadAsZero) {
  // Without "&mi_" the interface reads 0: no row has it, nothing is opened.
  EXPECT_EQ(MatchDevicePath("sim:keyboard?vid_320f&pid_5055&col04", slots_), kMatchSkipped);
  // Without "&col" the collection reads 0: only the headset row has that.
  EXPECT_EQ(MatchDevicePath("sim:keyboard?vid_320f&pid_5055&mi_01", slots_), kMatchSkipped);
  EXPECT_EQ(MatchDevicePath("sim:headset?vid_0c76&pid_1630&mi_03", slots_), kHeadsetSlot);
}

TEST_F(MatchingTest, WrongUsageOnTheRightIdsIsOpenedAndRejectedEveryPass) {
  bus_.UnplugAll();
  auto odd = KeyboardLikeNode("odd", 0x320F, 0x5055, 1, KeyboardDescriptorWithVendorPage(0xFF00));
  ASSERT_TRUE(bus_.Plug(odd));
  const std::string path = FindPath("odd", "&col04");
  ASSERT_FALSE(path.empty());
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(MatchDevicePath(path, slots_), kMatchRejected) << "pass " << pass;
    EXPECT_FALSE(slots_[kKeyboardVendorSlot].IsAttached());
  }
  EXPECT_EQ(odd->OpenConnections(), 0u);  // the probe closed it again
  // Its consumer collection is still the keyboard's.
  EXPECT_EQ(MatchDevicePath(FindPath("odd", "&col03"), slots_), kKeyboardConsumerSlot);
}

TEST_F(MatchingTest, IdsFromTheAttributesNotThePath) {
  // A path naming the keyboard on a node that is really another device.
  bus_.UnplugAll();
  ASSERT_TRUE(bus_.Plug(KeyboardLikeNode("liar", 0x1234, 0x5678, 1, KeyboardDescriptor())));
  // Refused at the open or at the second test; either way no slot is taken.
  EXPECT_LT(MatchDevicePath("sim:liar?vid_320f&pid_5055&mi_01&col04", slots_), kMatchSkipped);
  EXPECT_FALSE(slots_[kKeyboardVendorSlot].IsAttached());
}

TEST_F(MatchingTest, PlaceholderRowsNeverMatch) {
  bus_.UnplugAll();
  // Devices that report IDs 0, as the placeholder rows carry.
  ASSERT_TRUE(bus_.Plug(KeyboardLikeNode("zero", 0, 0, 1, KeyboardDescriptor())));
  ASSERT_TRUE(bus_.Plug(KeyboardLikeNode("blank", 0, 0, 1, KeyboardDescriptor())));
  for (const auto& [path, result] : Pass()) EXPECT_EQ(result, kMatchSkipped) << path;
  // Even a path that claims the keyboard's IDs does not reach a placeholder.
  EXPECT_LT(MatchDevicePath("sim:blank?vid_320f&pid_5055&mi_01&col04", slots_), kMatchSkipped);
  for (const auto& slot : slots_) EXPECT_FALSE(slot.IsAttached());
}

TEST_F(MatchingTest, AbsentDeviceIsAnOpenFailure) {
  EXPECT_EQ(MatchDevicePath("sim:nothing?vid_320f&pid_5055&mi_01&col04", slots_), kMatchOpenFailed);
  EXPECT_FALSE(slots_[kKeyboardVendorSlot].IsAttached());
}

TEST_F(MatchingTest, SecondIdenticalDeviceWaitsForTheFirstToGo) {
  SimKeyboardOptions second;
  second.cableName = "keyboard2";
  second.receiverName = "keyboard2-receiver";
  auto kb2 = MakeSimKeyboard(second);
  ASSERT_TRUE(bus_.Plug(kb2.cable));
  const std::string first = FindPath("keyboard", "&col04");
  const std::string other = FindPath("keyboard2", "&col04");
  EXPECT_EQ(MatchDevicePath(first, slots_), kKeyboardVendorSlot);
  EXPECT_EQ(MatchDevicePath(other, slots_), kMatchSkipped);
  // The first one leaves: its slot is cleared as the main window does.
  slots_[kKeyboardVendorSlot].connected = 0;
  slots_[kKeyboardVendorSlot].path.clear();
  EXPECT_EQ(MatchDevicePath(other, slots_), kKeyboardVendorSlot);
  EXPECT_EQ(slots_[kKeyboardVendorSlot].path, other);
}

}  // namespace
}  // namespace talmi::test
