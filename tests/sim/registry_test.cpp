// The bus serves "sim:" nodes through the HID backend registry.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/hid_backend.h"
#include "sim/sim_bus.h"
#include "sim/sim_keyboard.h"

namespace talmi {
namespace {

TEST(SimRegistry, RegisteredBusAnswersForSimPathsOnly) {
  CSimBus bus;
  auto kb = MakeSimKeyboard();
  ASSERT_TRUE(bus.Plug(kb.cable));
  RegisterSimBus(bus);
  EXPECT_EQ(HidBackendFor("sim:keyboard?vid_320f&pid_5055&mi_01&col04"), &bus);
  EXPECT_NE(HidBackendFor("/dev/hidraw0"), &bus);
  const auto all = HidBackends();
  EXPECT_NE(std::find(all.begin(), all.end(), &bus), all.end());

  HidNodeInfo info;
  ASSERT_TRUE(HidBackendFor("sim:keyboard")->Describe("sim:keyboard", info));
  EXPECT_EQ(info.productId, 0x5055);

  UnregisterSimBus();
  EXPECT_NE(HidBackendFor("sim:keyboard"), &bus);
  const auto after = HidBackends();
  EXPECT_EQ(std::find(after.begin(), after.end(), &bus), after.end());
}

}  // namespace
}  // namespace talmi
