#pragma once
// The vendor command protocol, declared once: command codes, the 64-byte
// frame layout, status bytes, result codes and time-outs. Payload layouts
// belong to the device pages.
#include <cstddef>
#include <cstdint>

namespace talmi {

enum class Command : uint8_t {
  BeginSession = 0x01,
  EndSession = 0x02,
  ReadDeviceInfo = 0x03,
  ReadSettings = 0x05,
  WriteSettings = 0x06,
  ReadKeyTable = 0x07,
  WriteKeyTable = 0x09,
  WriteKeyBitmap = 0x0B,
  StreamLightFrame = 0x12,
  WriteMacroData = 0x15,
  WriteShootData = 0x17,
  ReadStatusBlock = 0x1A,
  ReadKeyAttributes = 0x1B,
  HostLightingOn = 0x1C,
  QueryReceiverLink = 0xAA,
};

constexpr uint8_t CommandByte(Command c) { return static_cast<uint8_t>(c); }

// One request or reply: a 64-byte report with report ID 4.
namespace frame {
inline constexpr size_t kSize = 64;
inline constexpr uint8_t kReportId = 0x04;

inline constexpr size_t kOffReportId = 0;
inline constexpr size_t kOffChecksumLow = 1;
inline constexpr size_t kOffChecksumHigh = 2;
inline constexpr size_t kOffCommand = 3;
inline constexpr size_t kOffLength = 4;
inline constexpr size_t kOffOffsetLow = 5;
inline constexpr size_t kOffOffsetHigh = 6;
inline constexpr size_t kOffStatus = 7;  // reply only; 0 in a request
inline constexpr size_t kOffData = 8;
inline constexpr size_t kMaxData = kSize - kOffData;  // 56

// The checksum covers the command byte through the end of the frame.
inline constexpr size_t kChecksumFirst = kOffCommand;

// Largest byte offset a frame can address.
inline constexpr uint32_t kOffsetLimit = 0x10000;
}  // namespace frame

// Reply status byte: these two are errors, anything else is accepted.
inline constexpr uint8_t kStatusError = 0xFF;
inline constexpr uint8_t kStatusRejected = 0xFE;

// In receiver mode the receiver answers with this command byte instead of
// the echo when the device is not reachable over the air.
inline constexpr uint8_t kReceiverUnreachable = 0xAA;
// Reply data byte 0 (frame byte 8) of the link query when the link is up.
inline constexpr uint8_t kReceiverLinkUp = 0xFF;

// Result codes of every channel operation.
inline constexpr int kResultOk = 1;
inline constexpr int kResultNothing = 0;  // not open, or the read after a good write failed
inline constexpr int kResultNotWritten = -1;
inline constexpr int kResultUnreachable = -101;
inline constexpr int kResultStatusError = -102;    // status 0xFF
inline constexpr int kResultStatusRejected = -103;  // status 0xFE
inline constexpr int kResultBadBank = -201;

// Link modes and the data bytes per frame on each link.
inline constexpr int kLinkModeReceiver = 2;
inline constexpr uint8_t kCableChunk = 56;
inline constexpr uint8_t kReceiverChunk = 24;
inline constexpr uint8_t kShootChunk = 56;  // on both links

// Time-out of each write and each read attempt.
inline constexpr uint32_t kCableTimeoutMs = 1000;
inline constexpr uint32_t kReceiverTimeoutMs = 5000;
// Reply reads per transaction until the echo is seen.
inline constexpr int kMaxReplyReads = 2;
// Pause before the end-of-session frame.
inline constexpr uint32_t kEndSessionDelayMs = 10;

// Transfer sizes.
inline constexpr uint16_t kMaxTableLength = 512;
inline constexpr uint16_t kDefaultTableLength = 512;
inline constexpr size_t kDeviceInfoLength = 34;
// Byte 5 of the device info record: key slot count (table length / 3).
inline constexpr size_t kInfoOffKeySlots = 5;
// Byte 6 of the device info record: macro memory in 128-byte units.
inline constexpr size_t kInfoOffMacroUnits = 6;

}  // namespace talmi
