#pragma once
// The firmware engine every simulated device model is built on: it checks a
// vendor frame (report ID, checksum, length), dispatches the command to a
// handler and builds the reply (echo, status, data). Models declare memory
// regions and map commands onto them; a model is then mostly a table:
//
//   AddRegion(kInfo, 34);
//   MapRead(SimCommand::ReadInfo, kInfo);
//   MapWrite(SimCommand::WriteSettings, kSettings);
//
// Thread-safe: one lock guards the memory, handlers run under it.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "sim/sim_protocol.h"

namespace talmi {

class CSimDeviceNode;

// One decoded request frame.
struct SimRequest {
  uint8_t command = 0;
  uint8_t length = 0;
  uint16_t offset = 0;
  std::span<const uint8_t> data;  // length bytes
  bool viaReceiver = false;       // reached the device over the air
};

struct SimReply {
  uint8_t status = kSimStatusOk;
  uint8_t length = 0;  // data bytes the reply carries
  std::array<uint8_t, kSimFrameDataMax> data{};
};

class CSimFirmware {
 public:
  CSimFirmware() = default;
  virtual ~CSimFirmware() = default;
  CSimFirmware(const CSimFirmware&) = delete;
  CSimFirmware& operator=(const CSimFirmware&) = delete;

  // A 64-byte request in, a 64-byte reply out (report ID, checksum, echo,
  // length, offset, status, data). A frame with a bad checksum or length is
  // answered with kSimStatusBadRequest and changes nothing.
  void HandleFrame(std::span<const uint8_t> frame, bool viaReceiver,
                   std::array<uint8_t, kSimFrameSize>& reply);
  // Output reports other than vendor frames (the headset's light registers).
  virtual void HandleOtherReport(std::span<const uint8_t> /*report*/) {}

  // Memory, copied out under the lock. Empty for an unknown region.
  [[nodiscard]] std::vector<uint8_t> Region(const std::string& name) const;
  // Test set-up: overwrite bytes of a region; false when out of range.
  bool PatchRegion(const std::string& name, size_t offset, std::span<const uint8_t> bytes);

  // How often each command arrived (valid frames only).
  [[nodiscard]] uint64_t CommandCount(uint8_t command) const;
  // Between BeginSession and EndSession.
  [[nodiscard]] bool SessionOpen() const;
  // Memory writes that arrived outside a Begin/End bracket.
  [[nodiscard]] uint64_t WritesOutsideSession() const;
  // Frames refused for checksum, length or range.
  [[nodiscard]] uint64_t BadFrames() const;

  // Unsolicited input goes out through the first attached node that can
  // carry it (plugged, and for a receiver linked).
  void AttachNode(const std::shared_ptr<CSimDeviceNode>& node);
  bool SendUnsolicited(std::span<const uint8_t> report);

 protected:
  using Handler = std::function<void(const SimRequest&, SimReply&)>;

  void AddRegion(const std::string& name, size_t size, uint8_t fill = 0);
  // Reads length bytes at offset; out of range → kSimStatusBadRequest.
  void MapRead(SimCommand command, const std::string& region);
  // Writes the data at offset; out of range → kSimStatusBadRequest.
  void MapWrite(SimCommand command, const std::string& region);
  void MapCommand(SimCommand command, Handler handler, bool writesMemory = false);

  // For handlers and model code that already holds mutex_.
  std::vector<uint8_t>& RegionLocked(const std::string& name);
  uint8_t ReadRegionLocked(const std::string& region, const SimRequest& req, SimReply& reply);
  uint8_t WriteRegionLocked(const std::string& region, const SimRequest& req);

  mutable std::mutex mutex_;

 private:
  struct Route {
    Handler handler;
    bool writesMemory = false;
  };
  std::map<std::string, std::vector<uint8_t>> regions_;
  std::map<uint8_t, Route> routes_;
  std::map<uint8_t, uint64_t> counts_;
  std::vector<std::weak_ptr<CSimDeviceNode>> nodes_;
  bool session_ = false;
  uint64_t writesOutsideSession_ = 0;
  uint64_t badFrames_ = 0;
};

}  // namespace talmi
