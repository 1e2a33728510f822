#include "sim/sim_device_node.h"

#include <algorithm>

#include "sim/report_descriptors.h"

namespace talmi {

namespace {

void BuildBareReply(std::span<const uint8_t> frame, uint8_t command, uint8_t status,
                    std::array<uint8_t, kSimFrameSize>& reply) {
  reply.fill(0);
  reply[kSimFrameReportId] = kSimVendorReportId;
  reply[kSimFrameCommand] = command;
  reply[kSimFrameOffsetLo] = frame[kSimFrameOffsetLo];
  reply[kSimFrameOffsetHi] = frame[kSimFrameOffsetHi];
  reply[kSimFrameStatus] = status;
  SimSealFrame(reply);
}

std::vector<uint8_t> ToBytes(const std::array<uint8_t, kSimFrameSize>& frame) {
  return {frame.begin(), frame.end()};
}

}  // namespace

CSimDeviceNode::CSimDeviceNode(SimNodeIdentity identity,
                               std::vector<SimOutputReport> outputReports,
                               std::shared_ptr<CSimFirmware> firmware)
    : CSimNode(std::move(identity), std::move(outputReports)), firmware_(std::move(firmware)) {}

bool CSimDeviceNode::Take(int& counter) {
  if (counter < 0) return true;
  if (counter == 0) return false;
  --counter;
  return true;
}

void CSimDeviceNode::FailNoReply(int frames) {
  std::lock_guard lk(NodeMutex());
  noReply_ = frames;
}

void CSimDeviceNode::SetReplyDelay(int ms) {
  std::lock_guard lk(NodeMutex());
  replyDelayMs_ = std::max(ms, 0);
}

void CSimDeviceNode::FailWrongEcho(int frames, uint8_t echo) {
  std::lock_guard lk(NodeMutex());
  wrongEcho_ = frames;
  wrongEchoByte_ = echo;
}

void CSimDeviceNode::InjectStaleReply(int frames) {
  std::lock_guard lk(NodeMutex());
  staleBefore_ = frames;
}

void CSimDeviceNode::FailStatus(uint8_t command, int chunk, uint8_t status) {
  if (chunk < 1) return;
  std::lock_guard lk(NodeMutex());
  statusFaults_.push_back({command, chunk, status});
}

void CSimDeviceNode::FailUnplugAfterFrames(int frames) {
  std::lock_guard lk(NodeMutex());
  unplugAfter_ = std::max(frames, 0);
}

void CSimDeviceNode::ClearFaults() {
  std::lock_guard lk(NodeMutex());
  noReply_ = 0;
  replyDelayMs_ = 0;
  wrongEcho_ = 0;
  wrongEchoByte_ = kSimWrongEcho;
  staleBefore_ = 0;
  unplugAfter_ = 0;
  statusFaults_.clear();
}

void CSimDeviceNode::OnOutputReport(std::span<const uint8_t> report,
                                    std::vector<SimInput>& replies) {
  if (report.empty()) return;
  if (report[0] != kSimVendorReportId) {
    firmware_->HandleOtherReport(report);
    return;
  }
  if (report.size() < kSimFrameSize) return;
  if (unplugAfter_ > 0 && --unplugAfter_ == 0) {
    RequestUnplug();
    return;
  }
  if (Take(noReply_)) return;

  const int delay = replyDelayMs_ + LinkDelayLocked();
  const uint8_t command = report[kSimFrameCommand];
  std::array<uint8_t, kSimFrameSize> reply{};
  for (auto it = statusFaults_.begin(); it != statusFaults_.end(); ++it) {
    if (it->command != command || --it->remaining > 0) continue;
    BuildBareReply(report, command, it->status, reply);
    statusFaults_.erase(it);
    replies.push_back({ToBytes(reply), delay});
    return;
  }
  if (!Route(report, reply)) return;
  if (Take(staleBefore_)) {
    auto stale = reply;
    stale[kSimFrameCommand] = wrongEchoByte_;
    SimSealFrame(stale);
    replies.push_back({ToBytes(stale), delay});
  }
  if (Take(wrongEcho_)) {
    reply[kSimFrameCommand] = wrongEchoByte_;
    SimSealFrame(reply);
  }
  replies.push_back({ToBytes(reply), delay});
}

bool CSimDeviceNode::Route(std::span<const uint8_t> frame,
                           std::array<uint8_t, kSimFrameSize>& reply) {
  firmware_->HandleFrame(frame, false, reply);
  return true;
}

// ---- CSimReceiverNode --------------------------------------------------------

CSimReceiverNode::CSimReceiverNode(SimNodeIdentity identity,
                                   std::vector<SimOutputReport> outputReports,
                                   std::shared_ptr<CSimFirmware> firmware)
    : CSimDeviceNode(std::move(identity), std::move(outputReports), std::move(firmware)) {}

void CSimReceiverNode::SetLinkUp(bool up) {
  std::lock_guard lk(NodeMutex());
  linkUp_ = up;
}

bool CSimReceiverNode::LinkUp() const {
  std::lock_guard lk(NodeMutex());
  return linkUp_;
}

void CSimReceiverNode::FailUnreachable(int frames) {
  std::lock_guard lk(NodeMutex());
  unreachable_ = frames;
}

void CSimReceiverNode::SetChunkLimit(uint8_t bytes) {
  std::lock_guard lk(NodeMutex());
  chunkLimit_ = bytes;
}

void CSimReceiverNode::SetRadioLatency(int ms) {
  std::lock_guard lk(NodeMutex());
  radioLatencyMs_ = std::max(ms, 0);
}

bool CSimReceiverNode::CarriesUnsolicited() const { return IsPresent() && LinkUp(); }

void CSimReceiverNode::AnswerSelf(std::span<const uint8_t> frame, uint8_t command, uint8_t byte8,
                                  std::array<uint8_t, kSimFrameSize>& reply) const {
  BuildBareReply(frame, command, kSimStatusOk, reply);
  reply[kSimFrameLength] = 1;
  reply[kSimFrameData] = byte8;
  SimSealFrame(reply);
}

bool CSimReceiverNode::Route(std::span<const uint8_t> frame,
                             std::array<uint8_t, kSimFrameSize>& reply) {
  const uint8_t command = frame[kSimFrameCommand];
  const bool reachable = linkUp_ && !Take(unreachable_);
  if (command == static_cast<uint8_t>(SimCommand::ReceiverLink)) {
    AnswerSelf(frame, command, reachable ? kSimLinkUp : kSimLinkDown, reply);
    return true;
  }
  if (!reachable) {
    AnswerSelf(frame, kSimUnreachableCommand, kSimLinkDown, reply);
    return true;
  }
  if (chunkLimit_ != 0 && frame[kSimFrameLength] > chunkLimit_ &&
      command != static_cast<uint8_t>(SimCommand::WriteShoot)) {
    BuildBareReply(frame, command, kSimStatusBadRequest, reply);
    return true;
  }
  Firmware().HandleFrame(frame, true, reply);
  return true;
}

}  // namespace talmi
