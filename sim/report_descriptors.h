#pragma once
// HID report descriptors of the simulated USB interfaces, byte for byte what
// the firmware hands out. CHidDevice parses them exactly as it parses the
// real ones read from sysfs.
#include <cstddef>
#include <cstdint>

namespace talmi {

// Report IDs and lengths (data bytes, without the report ID byte).
inline constexpr uint8_t kSimSystemReportId = 0x01;
inline constexpr uint8_t kSimKeysReportId = 0x02;
inline constexpr uint8_t kSimConsumerReportId = 0x03;
inline constexpr uint8_t kSimVendorReportId = 0x04;
inline constexpr uint8_t kSimHeadsetButtonsReportId = 0x01;
inline constexpr uint8_t kSimHeadsetLightReportId = 0xFF;

inline constexpr size_t kSimVendorReportData = 63;       // 64 with the ID
inline constexpr size_t kSimConsumerReportData = 2;      // one 16-bit usage
inline constexpr size_t kSimHeadsetLightReportData = 16; // 17 with the ID

inline constexpr uint16_t kSimVendorUsagePage = 0xFF1C;
inline constexpr uint16_t kSimVendorUsage = 0x92;

// Keyboard (and its receiver), interface 1. Four top-level collections, in
// this order: 1 system control, 2 key bitmap (NKRO), 3 consumer control,
// 4 the vendor command channel.
inline constexpr uint8_t kSimKeyboardInterface1Descriptor[] = {
    // 1: Generic Desktop / System Control, report 1: power, sleep, wake.
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x80,        // Usage (System Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    0x19, 0x81,        //   Usage Minimum (System Power Down)
    0x29, 0x83,        //   Usage Maximum (System Wake Up)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x03,        //   Report Count (3)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0x95, 0x05,        //   Report Count (5)
    0x81, 0x01,        //   Input (Const)
    0xC0,              // End Collection
    // 2: Generic Desktop / Keyboard, report 2: modifiers + 112-key bitmap.
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x06,        // Usage (Keyboard)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x02,        //   Report ID (2)
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0xE0,        //   Usage Minimum (Left Control)
    0x29, 0xE7,        //   Usage Maximum (Right GUI)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x08,        //   Report Count (8)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0x19, 0x04,        //   Usage Minimum (a)
    0x29, 0x73,        //   Usage Maximum (F24)
    0x95, 0x70,        //   Report Count (112)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0xC0,              // End Collection
    // 3: Consumer Control, report 3: one 16-bit usage (array).
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x1F,  //   Logical Maximum (0x1FFF)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x1F,  //   Usage Maximum (0x1FFF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Abs)
    0xC0,              // End Collection
    // 4: Vendor 0xFF1C / 0x92, report 4: 63-byte frames both ways.
    0x06, 0x1C, 0xFF,  // Usage Page (Vendor 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (0x01)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x02,        //   Usage (0x02)
    0x91, 0x02,        //   Output (Data, Var, Abs)
    0xC0,              // End Collection
};

// Headset, interface 3: a single consumer collection that carries the
// volume buttons (report 1), the vendor frames (report 4, 63 bytes both
// ways) and the light register writes (report 0xFF, 16-byte output).
inline constexpr uint8_t kSimHeadsetInterface3Descriptor[] = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x09, 0xE9,        //   Usage (Volume Increment)
    0x09, 0xEA,        //   Usage (Volume Decrement)
    0x09, 0xE2,        //   Usage (Mute)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x03,        //   Report Count (3)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0x95, 0x05,        //   Report Count (5)
    0x81, 0x01,        //   Input (Const)
    0x06, 0x1C, 0xFF,  //   Usage Page (Vendor 0xFF1C)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (0x01)
    0x81, 0x02,        //   Input (Data, Var, Abs)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x02,        //   Usage (0x02)
    0x91, 0x02,        //   Output (Data, Var, Abs)
    0x85, 0xFF,        //   Report ID (0xFF)
    0x95, 0x10,        //   Report Count (16)
    0x09, 0x03,        //   Usage (0x03)
    0x91, 0x02,        //   Output (Data, Var, Abs)
    0xC0,              // End Collection
};

}  // namespace talmi
