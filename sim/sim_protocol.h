#pragma once
// The vendor frame as the simulated firmware sees it: 64 bytes, report ID 4,
// 16-bit additive checksum over bytes 3..63, command, data length, offset,
// status (in replies) and up to 56 data bytes. The host side declares its
// own copy in transport/; the firmware keeps its own as a real one would.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace talmi {

inline constexpr size_t kSimFrameSize = 64;
inline constexpr size_t kSimFrameDataMax = 56;

// Byte positions in a frame.
inline constexpr size_t kSimFrameReportId = 0;
inline constexpr size_t kSimFrameChecksumLo = 1;
inline constexpr size_t kSimFrameChecksumHi = 2;
inline constexpr size_t kSimFrameCommand = 3;
inline constexpr size_t kSimFrameLength = 4;
inline constexpr size_t kSimFrameOffsetLo = 5;
inline constexpr size_t kSimFrameOffsetHi = 6;
inline constexpr size_t kSimFrameStatus = 7;
inline constexpr size_t kSimFrameData = 8;

// Status byte of a reply. The host treats 0xFF and 0xFE as errors.
inline constexpr uint8_t kSimStatusOk = 0x00;
inline constexpr uint8_t kSimStatusBadRequest = 0xFF;   // checksum, length, range
inline constexpr uint8_t kSimStatusUnsupported = 0xFE;  // unknown command

// Commands the simulated firmware knows.
enum class SimCommand : uint8_t {
  BeginSession = 0x01,
  EndSession = 0x02,
  ReadInfo = 0x03,
  ReadSettings = 0x05,
  WriteSettings = 0x06,
  ReadKeyTable = 0x07,
  WriteKeyTable = 0x09,
  WriteKeyBitmap = 0x0B,
  StreamLight = 0x12,
  WriteMacro = 0x15,
  WriteShoot = 0x17,
  ReadStatus = 0x1A,
  ReadKeyAttributes = 0x1B,
  HostLightingOn = 0x1C,
  ReceiverLink = 0xAA,
};

// The receiver answers with this command byte while its peer is out of reach.
inline constexpr uint8_t kSimUnreachableCommand = 0xAA;
// Byte 8 of the receiver's link reply while the peer is reachable.
inline constexpr uint8_t kSimLinkUp = 0xFF;
inline constexpr uint8_t kSimLinkDown = 0x00;

// Sum of bytes 3..63 (low 16 bits) of a 64-byte frame.
[[nodiscard]] uint16_t SimFrameChecksum(std::span<const uint8_t> frame);
// Stores the checksum into bytes 1-2.
void SimSealFrame(std::span<uint8_t> frame);
// A complete request frame as a host would send it (tests and tools).
[[nodiscard]] std::vector<uint8_t> SimBuildRequest(uint8_t command, uint16_t offset,
                                                   std::span<const uint8_t> data = {});

// Field readers; 0 when the frame is too short.
[[nodiscard]] uint8_t SimFrameCommandOf(std::span<const uint8_t> frame);
[[nodiscard]] uint8_t SimFrameLengthOf(std::span<const uint8_t> frame);
[[nodiscard]] uint16_t SimFrameOffsetOf(std::span<const uint8_t> frame);
[[nodiscard]] uint8_t SimFrameStatusOf(std::span<const uint8_t> frame);

}  // namespace talmi
