#pragma once
// CDeviceChannel: the 64-byte command frame protocol to one device, over its
// cable interface or its 2.4 GHz receiver interface. Every operation returns
// one of the result codes of transport/protocol.h.
//
// Locks: each request/reply pair runs under the transaction lock (the stream
// path uses the stream lock instead), then takes the I/O lock around the
// write and around the reply reads. The owner opens, closes and switches the
// two HID objects under the I/O lock and sets the open flag; it never waits
// for another lock while it holds the I/O lock.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>

#include "transport/hid_device.h"
#include "transport/protocol.h"

namespace talmi {

class CDeviceChannel {
 public:
  CDeviceChannel();
  ~CDeviceChannel();
  CDeviceChannel(const CDeviceChannel&) = delete;
  CDeviceChannel& operator=(const CDeviceChannel&) = delete;

  // Link control. Mode kLinkModeReceiver selects the receiver object with
  // 24-byte chunks; every other mode the cable with 56-byte chunks.
  void SetLinkMode(int mode);
  // 1 when n <= 512 and taken, else 0 and the length stays.
  [[nodiscard]] int SetTableLength(unsigned n);
  uint16_t TableLength() const { return tableLength_.load(std::memory_order_relaxed); }
  uint8_t ChunkSize() const { return chunkSize_.load(std::memory_order_relaxed); }
  bool ReceiverMode() const { return receiverMode_.load(std::memory_order_relaxed); }
  bool Busy() const { return busy_.load(std::memory_order_relaxed) != 0; }

  // Set by the owner once the HID object of the current link is open.
  void SetOpen(bool open) { open_.store(open, std::memory_order_release); }
  bool IsOpen() const { return open_.load(std::memory_order_acquire); }

  // The owner's access to the HID objects; hold IoLock() while opening,
  // closing or switching them.
  CHidDevice& Cable() { return cable_; }
  CHidDevice& Receiver() { return receiver_; }
  std::mutex& IoLock() { return ioLock_; }
  // Not used by the channel; free for the owner.
  std::mutex& SpareLock() { return spareLock_; }

  // One request/reply pair under the transaction lock. The request is padded
  // with zeros or cut to 64 bytes; up to 64 reply bytes are copied out.
  [[nodiscard]] int Transact(std::span<const uint8_t> request, std::span<uint8_t> reply);

  // Operations, one per command. Destinations and sources are bounded by
  // their spans: a transfer that would not fit does nothing and returns 0.
  [[nodiscard]] int BeginSession();
  [[nodiscard]] int EndSession();
  [[nodiscard]] int ReadDeviceInfo(std::span<uint8_t> dest);  // kDeviceInfoLength bytes
  [[nodiscard]] int ReadSettings(std::span<uint8_t> dest, uint16_t offset);
  [[nodiscard]] int WriteSettings(std::span<const uint8_t> source, uint16_t offset);
  [[nodiscard]] int ReadKeyTable(std::span<uint8_t> dest);  // TableLength() bytes
  [[nodiscard]] int WriteKeyTable(std::span<const uint8_t> source, int bank);
  // One frame of at most 56 bytes at offset index * 3; status gets the
  // reply's status byte (0 when no reply came).
  [[nodiscard]] int WriteKeyBitmap(std::span<const uint8_t> source, unsigned index,
                                   uint8_t* status = nullptr);
  // Live lighting: drops chunks while a transaction runs; cable only.
  [[nodiscard]] int StreamLightFrame(std::span<const uint8_t> source);
  [[nodiscard]] int WriteMacroData(std::span<const uint8_t> source);
  [[nodiscard]] int WriteShootData(std::span<const uint8_t> source);
  // One frame: dest.size() (at most 56) bytes from offset.
  [[nodiscard]] int ReadStatusBlock(std::span<uint8_t> dest, uint16_t offset);
  [[nodiscard]] int ReadKeyAttributes(std::span<uint8_t> dest);  // TableLength() / 3 bytes
  [[nodiscard]] int HostLightingOn();
  // 1 when the device answers over the air (always 1 on the cable, no I/O).
  [[nodiscard]] int QueryReceiverLink();

 private:
  struct Link {
    CHidDevice* device;
    uint32_t timeoutMs;
    bool receiver;
  };

  Link CurrentLink();
  int TransactUnlocked(const uint8_t* request, uint8_t* reply);
  int ReadReply(const Link& link, uint8_t requestCommand, uint8_t* reply);
  int Exchange(Command command, uint16_t offset, std::span<const uint8_t> data,
               uint8_t* reply);
  int ReadChunked(Command command, std::span<uint8_t> dest, uint32_t offset, size_t chunk);
  int WriteChunked(Command command, std::span<const uint8_t> source, uint32_t offset,
                   size_t chunk);
  int StreamChunk(uint16_t offset, std::span<const uint8_t> data);

  std::atomic<uint16_t> tableLength_{kDefaultTableLength};
  std::atomic<uint8_t> busy_{0};
  std::atomic<bool> open_{false};
  std::atomic<bool> receiverMode_{false};
  std::atomic<uint8_t> chunkSize_{kReceiverChunk};

  CHidDevice cable_;
  CHidDevice receiver_;

  std::mutex ioLock_;
  std::mutex spareLock_;
  std::mutex transactionLock_;
  std::mutex streamLock_;
};

// Frame helpers, also used by tests and tools.
// Stores the additive checksum of bytes 3..63 in bytes 1-2.
void SetFrameChecksum(uint8_t* frame);
uint16_t FrameChecksum(const uint8_t* frame);
// One request frame; data beyond 56 bytes is not taken.
void BuildFrame(uint8_t* frame, Command command, uint16_t offset,
                std::span<const uint8_t> data);
// A read request: asks for length (at most 56) bytes at offset, no data.
void BuildReadFrame(uint8_t* frame, Command command, uint16_t offset, uint8_t length);

}  // namespace talmi
