#include "sim/sim_protocol.h"

#include <algorithm>

namespace talmi {

uint16_t SimFrameChecksum(std::span<const uint8_t> frame) {
  uint32_t sum = 0;
  for (size_t i = kSimFrameCommand; i < frame.size() && i < kSimFrameSize; ++i) sum += frame[i];
  return static_cast<uint16_t>(sum & 0xFFFF);
}

void SimSealFrame(std::span<uint8_t> frame) {
  if (frame.size() < kSimFrameSize) return;
  const uint16_t sum = SimFrameChecksum(frame);
  frame[kSimFrameChecksumLo] = static_cast<uint8_t>(sum & 0xFF);
  frame[kSimFrameChecksumHi] = static_cast<uint8_t>(sum >> 8);
}

std::vector<uint8_t> SimBuildRequest(uint8_t command, uint16_t offset,
                                     std::span<const uint8_t> data) {
  std::vector<uint8_t> frame(kSimFrameSize, 0);
  const size_t n = std::min(data.size(), kSimFrameDataMax);
  frame[kSimFrameReportId] = 0x04;
  frame[kSimFrameCommand] = command;
  frame[kSimFrameLength] = static_cast<uint8_t>(n);
  frame[kSimFrameOffsetLo] = static_cast<uint8_t>(offset & 0xFF);
  frame[kSimFrameOffsetHi] = static_cast<uint8_t>(offset >> 8);
  std::copy_n(data.begin(), n, frame.begin() + kSimFrameData);
  SimSealFrame(frame);
  return frame;
}

uint8_t SimFrameCommandOf(std::span<const uint8_t> frame) {
  return frame.size() > kSimFrameCommand ? frame[kSimFrameCommand] : 0;
}

uint8_t SimFrameLengthOf(std::span<const uint8_t> frame) {
  return frame.size() > kSimFrameLength ? frame[kSimFrameLength] : 0;
}

uint16_t SimFrameOffsetOf(std::span<const uint8_t> frame) {
  if (frame.size() <= kSimFrameOffsetHi) return 0;
  return static_cast<uint16_t>(frame[kSimFrameOffsetLo] | (frame[kSimFrameOffsetHi] << 8));
}

uint8_t SimFrameStatusOf(std::span<const uint8_t> frame) {
  return frame.size() > kSimFrameStatus ? frame[kSimFrameStatus] : 0;
}

}  // namespace talmi
