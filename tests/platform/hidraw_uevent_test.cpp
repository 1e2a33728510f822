#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hidraw_backend.h"

namespace talmi {
namespace {

TEST(HidrawUevent, IdsAndInterfaceFromTheText) {
  struct Case {
    const char* name;
    std::string text;
    bool ok;
    uint16_t vid, pid;
    int phys;
  };
  const std::vector<Case> cases = {
      {"usb keyboard",
       "DRIVER=hid-generic\nHID_ID=0003:0000320F:00005055\nHID_NAME=KT380\n"
       "HID_PHYS=usb-0000:00:14.0-1/input1\nMODALIAS=hid:b0003g0001v0000320Fp00005055\n",
       true, 0x320F, 0x5055, 1},
      {"no trailing newline, no phys", "HID_ID=0003:00000C76:00001630", true, 0x0C76, 0x1630, -1},
      {"bluetooth phys without input", "HID_ID=0005:0000046D:0000B01A\nHID_PHYS=aa:bb:cc:dd:ee:ff\n",
       true, 0x046D, 0xB01A, -1},
      {"ids wider than 16 bits are cut", "HID_ID=0003:0001320F:00015055\n", true, 0x320F, 0x5055,
       -1},
      {"two-digit input", "HID_ID=0003:0000320F:00005055\nHID_PHYS=usb-1/input12\n", true,
       0x320F, 0x5055, 12},
      {"no HID_ID", "HID_NAME=x\nHID_PHYS=usb-1/input1\n", false, 0, 0, 1},
      {"HID_ID without product", "HID_ID=0003:0000320F\n", false, 0, 0, -1},
      {"HID_ID with garbage", "HID_ID=0003:zz:yy\n", false, 0, 0, -1},
      {"empty", "", false, 0, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint16_t vid = 0, pid = 0;
    int phys = 99;
    EXPECT_EQ(ParseHidUevent(c.text, vid, pid, phys), c.ok);
    if (c.ok) {
      EXPECT_EQ(vid, c.vid);
      EXPECT_EQ(pid, c.pid);
    }
    EXPECT_EQ(phys, c.phys);
  }
}

TEST(HidrawBackend, NodeNamesOutsideItsRootAreNotItsNodes) {
  HidrawBackend backend("/nonexistent-sys", "/nonexistent-dev");
  std::vector<HidNodeInfo> nodes;
  // A missing class folder means no devices, not a failed listing.
  EXPECT_TRUE(backend.Enumerate(nodes));
  EXPECT_TRUE(nodes.empty());
  HidNodeInfo info;
  for (const char* node : {"/nonexistent-dev/hidraw0", "/dev/hidraw0", "/nonexistent-dev/hidrawx",
                           "/nonexistent-dev/../etc/passwd", "sim:keyboard"}) {
    SCOPED_TRACE(node);
    EXPECT_FALSE(backend.Describe(node, info));
    EXPECT_EQ(backend.Open(node, true, true, false), nullptr);
  }
}

}  // namespace
}  // namespace talmi
