#include "sim/sim_firmware.h"

#include <algorithm>

#include "sim/report_descriptors.h"
#include "sim/sim_device_node.h"

namespace talmi {

void CSimFirmware::HandleFrame(std::span<const uint8_t> frame, bool viaReceiver,
                               std::array<uint8_t, kSimFrameSize>& reply) {
  reply.fill(0);
  reply[kSimFrameReportId] = kSimVendorReportId;
  reply[kSimFrameCommand] = SimFrameCommandOf(frame);
  reply[kSimFrameOffsetLo] = frame.size() > kSimFrameOffsetLo ? frame[kSimFrameOffsetLo] : 0;
  reply[kSimFrameOffsetHi] = frame.size() > kSimFrameOffsetHi ? frame[kSimFrameOffsetHi] : 0;

  SimReply out;
  const bool wellFormed = frame.size() == kSimFrameSize &&
                          frame[kSimFrameReportId] == kSimVendorReportId &&
                          SimFrameChecksum(frame) == (frame[kSimFrameChecksumLo] |
                                                      (frame[kSimFrameChecksumHi] << 8)) &&
                          frame[kSimFrameLength] <= kSimFrameDataMax;
  {
    std::lock_guard lk(mutex_);
    if (!wellFormed) {
      ++badFrames_;
      out.status = kSimStatusBadRequest;
    } else {
      SimRequest req;
      req.command = frame[kSimFrameCommand];
      req.length = frame[kSimFrameLength];
      req.offset = SimFrameOffsetOf(frame);
      req.data = frame.subspan(kSimFrameData, req.length);
      req.viaReceiver = viaReceiver;
      ++counts_[req.command];
      const auto it = routes_.find(req.command);
      if (it == routes_.end()) {
        out.status = kSimStatusUnsupported;
      } else {
        if (it->second.writesMemory && !session_) ++writesOutsideSession_;
        it->second.handler(req, out);
        if (out.status == kSimStatusBadRequest) ++badFrames_;
      }
      if (req.command == static_cast<uint8_t>(SimCommand::BeginSession)) session_ = true;
      if (req.command == static_cast<uint8_t>(SimCommand::EndSession)) session_ = false;
    }
  }
  reply[kSimFrameLength] = out.length;
  reply[kSimFrameStatus] = out.status;
  std::copy_n(out.data.begin(), std::min<size_t>(out.length, kSimFrameDataMax),
              reply.begin() + kSimFrameData);
  SimSealFrame(reply);
}

std::vector<uint8_t> CSimFirmware::Region(const std::string& name) const {
  std::lock_guard lk(mutex_);
  const auto it = regions_.find(name);
  return it == regions_.end() ? std::vector<uint8_t>{} : it->second;
}

bool CSimFirmware::PatchRegion(const std::string& name, size_t offset,
                               std::span<const uint8_t> bytes) {
  std::lock_guard lk(mutex_);
  const auto it = regions_.find(name);
  if (it == regions_.end() || offset > it->second.size() ||
      bytes.size() > it->second.size() - offset) {
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), it->second.begin() + static_cast<ptrdiff_t>(offset));
  return true;
}

uint64_t CSimFirmware::CommandCount(uint8_t command) const {
  std::lock_guard lk(mutex_);
  const auto it = counts_.find(command);
  return it == counts_.end() ? 0 : it->second;
}

bool CSimFirmware::SessionOpen() const {
  std::lock_guard lk(mutex_);
  return session_;
}

uint64_t CSimFirmware::WritesOutsideSession() const {
  std::lock_guard lk(mutex_);
  return writesOutsideSession_;
}

uint64_t CSimFirmware::BadFrames() const {
  std::lock_guard lk(mutex_);
  return badFrames_;
}

void CSimFirmware::AttachNode(const std::shared_ptr<CSimDeviceNode>& node) {
  std::lock_guard lk(mutex_);
  nodes_.push_back(node);
}

bool CSimFirmware::SendUnsolicited(std::span<const uint8_t> report) {
  std::vector<std::shared_ptr<CSimDeviceNode>> nodes;
  {
    std::lock_guard lk(mutex_);
    for (const auto& weak : nodes_) {
      if (auto node = weak.lock()) nodes.push_back(std::move(node));
    }
  }
  for (const auto& node : nodes) {
    if (!node->CarriesUnsolicited()) continue;
    node->SendInput(report);
    return true;
  }
  return false;
}

void CSimFirmware::AddRegion(const std::string& name, size_t size, uint8_t fill) {
  std::lock_guard lk(mutex_);
  regions_[name].assign(size, fill);
}

void CSimFirmware::MapRead(SimCommand command, const std::string& region) {
  MapCommand(command, [this, region](const SimRequest& req, SimReply& reply) {
    reply.status = ReadRegionLocked(region, req, reply);
  });
}

void CSimFirmware::MapWrite(SimCommand command, const std::string& region) {
  MapCommand(
      command,
      [this, region](const SimRequest& req, SimReply& reply) {
        reply.status = WriteRegionLocked(region, req);
        if (reply.status != kSimStatusOk) return;
        // The firmware acknowledges a write by echoing what it took.
        reply.length = req.length;
        std::copy(req.data.begin(), req.data.end(), reply.data.begin());
      },
      true);
}

void CSimFirmware::MapCommand(SimCommand command, Handler handler, bool writesMemory) {
  std::lock_guard lk(mutex_);
  routes_[static_cast<uint8_t>(command)] = Route{std::move(handler), writesMemory};
}

std::vector<uint8_t>& CSimFirmware::RegionLocked(const std::string& name) {
  return regions_[name];
}

uint8_t CSimFirmware::ReadRegionLocked(const std::string& region, const SimRequest& req,
                                       SimReply& reply) {
  const auto& mem = regions_[region];
  if (req.offset > mem.size() || req.length > mem.size() - req.offset) {
    return kSimStatusBadRequest;
  }
  reply.length = req.length;
  std::copy_n(mem.begin() + req.offset, req.length, reply.data.begin());
  return kSimStatusOk;
}

uint8_t CSimFirmware::WriteRegionLocked(const std::string& region, const SimRequest& req) {
  auto& mem = regions_[region];
  if (req.offset > mem.size() || req.length > mem.size() - req.offset) {
    return kSimStatusBadRequest;
  }
  std::copy(req.data.begin(), req.data.end(), mem.begin() + req.offset);
  return kSimStatusOk;
}

}  // namespace talmi
