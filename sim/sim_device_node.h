#pragma once
// The USB face of a firmware model: a node that hands vendor frames to a
// CSimFirmware and its replies back, with fault injection in between. The
// receiver node adds the radio link: while the keyboard is out of reach it
// answers every frame itself with command byte 0xAA.
//
// Fault counts are frames from the moment the fault is set; a count of -1
// means every frame until ClearFaults().
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/sim_bus.h"
#include "sim/sim_firmware.h"

namespace talmi {

// Echo byte of a reply made wrong on purpose: a command no model knows.
inline constexpr uint8_t kSimWrongEcho = 0x7E;

class CSimDeviceNode : public CSimNode {
 public:
  CSimDeviceNode(SimNodeIdentity identity, std::vector<SimOutputReport> outputReports,
                 std::shared_ptr<CSimFirmware> firmware);

  [[nodiscard]] CSimFirmware& Firmware() const { return *firmware_; }

  // The next frames are swallowed: not processed, not answered.
  void FailNoReply(int frames = -1);
  // Every reply arrives this much later (0 = at once).
  void SetReplyDelay(int ms);
  // The next frames are processed but answered with a wrong echo byte.
  void FailWrongEcho(int frames = 1, uint8_t echo = kSimWrongEcho);
  // The next frames' replies are preceded by a stale reply (wrong echo),
  // as when an earlier answer arrived late.
  void InjectStaleReply(int frames = 1);
  // The chunk-th frame (1-based) of this command from now on is refused
  // with status (0xFF or 0xFE); the firmware does not act on it.
  void FailStatus(uint8_t command, int chunk, uint8_t status);
  // The node is pulled right after it receives the frames-th frame from now
  // on (1 = the next one); that frame is not answered.
  void FailUnplugAfterFrames(int frames);
  void ClearFaults();

  // Whether unsolicited input can reach the host through this node now.
  [[nodiscard]] virtual bool CarriesUnsolicited() const { return IsPresent(); }

 protected:
  void OnOutputReport(std::span<const uint8_t> report, std::vector<SimInput>& replies) override;
  // One vendor frame: false when the node answers nothing. Called with the
  // node's lock held.
  virtual bool Route(std::span<const uint8_t> frame, std::array<uint8_t, kSimFrameSize>& reply);
  // Extra latency of this link (radio).
  [[nodiscard]] virtual int LinkDelayLocked() const { return 0; }
  // Counts a fault down; true when it applies to this frame.
  static bool Take(int& counter);

 private:
  struct StatusFault {
    uint8_t command = 0;
    int remaining = 0;  // frames of that command still to pass
    uint8_t status = 0;
  };

  std::shared_ptr<CSimFirmware> firmware_;
  int noReply_ = 0;
  int replyDelayMs_ = 0;
  int wrongEcho_ = 0;
  uint8_t wrongEchoByte_ = kSimWrongEcho;
  int staleBefore_ = 0;
  int unplugAfter_ = 0;
  std::vector<StatusFault> statusFaults_;
};

class CSimReceiverNode : public CSimDeviceNode {
 public:
  CSimReceiverNode(SimNodeIdentity identity, std::vector<SimOutputReport> outputReports,
                   std::shared_ptr<CSimFirmware> firmware);

  // The radio link to the keyboard (up when made).
  void SetLinkUp(bool up);
  [[nodiscard]] bool LinkUp() const;
  // The next frames are answered with 0xAA although the link is up.
  void FailUnreachable(int frames = 1);
  // Largest data length the radio carries per frame (0 = no limit). Longer
  // frames are refused with kSimStatusBadRequest. WriteShoot is exempt: its
  // 56-byte frames are split by the receiver itself.
  void SetChunkLimit(uint8_t bytes);
  // Added to every forwarded reply.
  void SetRadioLatency(int ms);

  [[nodiscard]] bool CarriesUnsolicited() const override;

 protected:
  bool Route(std::span<const uint8_t> frame, std::array<uint8_t, kSimFrameSize>& reply) override;
  [[nodiscard]] int LinkDelayLocked() const override { return radioLatencyMs_; }

 private:
  void AnswerSelf(std::span<const uint8_t> frame, uint8_t command, uint8_t byte8,
                  std::array<uint8_t, kSimFrameSize>& reply) const;

  bool linkUp_ = true;
  int unreachable_ = 0;
  uint8_t chunkLimit_ = 24;
  int radioLatencyMs_ = 0;
};

}  // namespace talmi
