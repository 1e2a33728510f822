#include "transport/device_channel.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/debug_output.h"

namespace talmi {
namespace {

using Frame = std::array<uint8_t, frame::kSize>;

constexpr const char* kDebugRequest = "命令";
constexpr const char* kDebugReply = "返回";
constexpr const char* kDebugLightDropped = "放弃灯光数据";

// A hex dump line shows 32 bytes in groups of four: three spaces between the
// first four groups, two between the rest.
constexpr size_t kDumpBytesPerLine = 32;
constexpr size_t kDumpGroup = 4;
constexpr size_t kDumpWideGroups = 4;

std::string HexLine(const uint8_t* bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string line;
  line.reserve(kDumpBytesPerLine * 3 + 16);
  for (size_t i = 0; i < kDumpBytesPerLine; ++i) {
    if (i > 0) {
      if (i % kDumpGroup != 0) {
        line += ' ';
      } else {
        line += (i / kDumpGroup < kDumpWideGroups) ? "   " : "  ";
      }
    }
    line += kHex[bytes[i] >> 4];
    line += kHex[bytes[i] & 0x0F];
  }
  return line;
}

// Only called with debug output on: formatting is skipped entirely when off.
void DumpFrame(const char* title, const uint8_t* frameBytes) {
  DebugOutput(title);
  DebugOutput(HexLine(frameBytes));
  DebugOutput(HexLine(frameBytes + kDumpBytesPerLine));
}

int StatusResult(uint8_t status) {
  if (status == kStatusError) return kResultStatusError;
  if (status == kStatusRejected) return kResultStatusRejected;
  return kResultOk;
}

// A transfer must fit its buffer and the 16-bit offset space.
bool FitsOffsets(uint32_t offset, size_t length) {
  return offset <= frame::kOffsetLimit && length <= frame::kOffsetLimit - offset;
}

}  // namespace

uint16_t FrameChecksum(const uint8_t* frameBytes) {
  uint32_t sum = 0;
  for (size_t i = frame::kChecksumFirst; i < frame::kSize; ++i) sum += frameBytes[i];
  return static_cast<uint16_t>(sum);
}

void SetFrameChecksum(uint8_t* frameBytes) {
  const uint16_t sum = FrameChecksum(frameBytes);
  frameBytes[frame::kOffChecksumLow] = static_cast<uint8_t>(sum);
  frameBytes[frame::kOffChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

void BuildFrame(uint8_t* frameBytes, Command command, uint16_t offset,
                std::span<const uint8_t> data) {
  const size_t n = std::min(data.size(), frame::kMaxData);
  std::memset(frameBytes, 0, frame::kSize);
  frameBytes[frame::kOffReportId] = frame::kReportId;
  frameBytes[frame::kOffCommand] = CommandByte(command);
  frameBytes[frame::kOffLength] = static_cast<uint8_t>(n);
  frameBytes[frame::kOffOffsetLow] = static_cast<uint8_t>(offset);
  frameBytes[frame::kOffOffsetHigh] = static_cast<uint8_t>(offset >> 8);
  if (n > 0) std::memcpy(frameBytes + frame::kOffData, data.data(), n);
  SetFrameChecksum(frameBytes);
}

void BuildReadFrame(uint8_t* frameBytes, Command command, uint16_t offset, uint8_t length) {
  BuildFrame(frameBytes, command, offset, {});
  frameBytes[frame::kOffLength] = std::min<uint8_t>(length, frame::kMaxData);
  SetFrameChecksum(frameBytes);
}

CDeviceChannel::CDeviceChannel() = default;

CDeviceChannel::~CDeviceChannel() {
  open_.store(false);
  std::lock_guard<std::mutex> io(ioLock_);
  cable_.Close();
  receiver_.Close();
}

void CDeviceChannel::SetLinkMode(int mode) {
  const bool receiver = mode == kLinkModeReceiver;
  receiverMode_.store(receiver, std::memory_order_relaxed);
  chunkSize_.store(receiver ? kReceiverChunk : kCableChunk, std::memory_order_relaxed);
}

int CDeviceChannel::SetTableLength(unsigned n) {
  if (n > kMaxTableLength) return kResultNothing;
  tableLength_.store(static_cast<uint16_t>(n), std::memory_order_relaxed);
  return kResultOk;
}

CDeviceChannel::Link CDeviceChannel::CurrentLink() {
  if (receiverMode_.load(std::memory_order_relaxed)) {
    return {&receiver_, kReceiverTimeoutMs, true};
  }
  return {&cable_, kCableTimeoutMs, false};
}

// Up to two reads until the echo; in receiver mode 0xAA ends it at once.
int CDeviceChannel::ReadReply(const Link& link, uint8_t requestCommand, uint8_t* reply) {
  int result = kResultNothing;
  for (int attempt = 0; attempt < kMaxReplyReads; ++attempt) {
    std::memset(reply, 0, frame::kSize);
    uint32_t got = 0;
    const int ok = link.device->Read(reply, frame::kSize, &got, link.timeoutMs);
    result = (ok != 0 && got > 0) ? kResultOk : kResultNothing;
    if (result == kResultOk && reply[frame::kOffCommand] == requestCommand) break;
    if (result == kResultOk && link.receiver &&
        reply[frame::kOffCommand] == kReceiverUnreachable) {
      return kResultUnreachable;
    }
  }
  return result;
}

int CDeviceChannel::TransactUnlocked(const uint8_t* request, uint8_t* reply) {
  busy_.store(1, std::memory_order_relaxed);
  int result = kResultNothing;
  if (open_.load(std::memory_order_acquire)) {
    if (DebugOutputEnabled()) DumpFrame(kDebugRequest, request);
    {
      // The write and its reply reads form one pair on the wire: a streamed
      // frame cannot slip between them and steal the reply.
      std::lock_guard<std::mutex> io(ioLock_);
      const Link link = CurrentLink();
      uint32_t written = 0;
      const int ok = link.device->Write(request, frame::kSize, &written, link.timeoutMs);
      if (ok == 0 || written == 0) {
        result = kResultNotWritten;
      } else {
        result = ReadReply(link, request[frame::kOffCommand], reply);
      }
    }
    if (result != kResultNotWritten && DebugOutputEnabled()) DumpFrame(kDebugReply, reply);
  }
  busy_.store(0, std::memory_order_relaxed);
  return result;
}

int CDeviceChannel::Transact(std::span<const uint8_t> request, std::span<uint8_t> reply) {
  Frame req{};
  Frame rep{};
  if (!request.empty()) {
    std::memcpy(req.data(), request.data(), std::min(request.size(), frame::kSize));
  }
  int result;
  {
    std::lock_guard<std::mutex> tx(transactionLock_);
    result = TransactUnlocked(req.data(), rep.data());
  }
  if (!reply.empty()) std::memcpy(reply.data(), rep.data(), std::min(reply.size(), frame::kSize));
  return result;
}

// One frame of one operation; reply (64 bytes) gets the answer.
int CDeviceChannel::Exchange(Command command, uint16_t offset, std::span<const uint8_t> data,
                             uint8_t* reply) {
  Frame req;
  BuildFrame(req.data(), command, offset, data);
  int result;
  {
    std::lock_guard<std::mutex> tx(transactionLock_);
    result = TransactUnlocked(req.data(), reply);
  }
  if (result != kResultOk) return result;
  return StatusResult(reply[frame::kOffStatus]);
}

int CDeviceChannel::ReadChunked(Command command, std::span<uint8_t> dest, uint32_t offset,
                                size_t chunk) {
  if (!IsOpen() || dest.empty() || !FitsOffsets(offset, dest.size())) return kResultNothing;
  Frame reply;
  for (size_t done = 0; done < dest.size();) {
    const size_t n = std::min(chunk, dest.size() - done);
    // A read frame asks for n bytes: the length byte carries the request,
    // the data area stays empty.
    Frame req;
    BuildReadFrame(req.data(), command, static_cast<uint16_t>(offset + done),
                   static_cast<uint8_t>(n));
    int result;
    {
      std::lock_guard<std::mutex> tx(transactionLock_);
      result = TransactUnlocked(req.data(), reply.data());
    }
    if (result != kResultOk) return result;
    result = StatusResult(reply[frame::kOffStatus]);
    if (result != kResultOk) return result;
    std::memcpy(dest.data() + done, reply.data() + frame::kOffData, n);
    done += n;
  }
  return kResultOk;
}

int CDeviceChannel::WriteChunked(Command command, std::span<const uint8_t> source,
                                 uint32_t offset, size_t chunk) {
  if (!IsOpen() || source.empty() || !FitsOffsets(offset, source.size())) return kResultNothing;
  Frame reply;
  for (size_t done = 0; done < source.size();) {
    const size_t n = std::min(chunk, source.size() - done);
    const int result = Exchange(command, static_cast<uint16_t>(offset + done),
                                source.subspan(done, n), reply.data());
    if (result != kResultOk) return result;
    done += n;
  }
  return kResultOk;
}

int CDeviceChannel::BeginSession() {
  Frame reply;
  return Exchange(Command::BeginSession, 0, {}, reply.data());
}

int CDeviceChannel::EndSession() {
  std::this_thread::sleep_for(std::chrono::milliseconds(kEndSessionDelayMs));
  Frame reply;
  return Exchange(Command::EndSession, 0, {}, reply.data());
}

int CDeviceChannel::ReadDeviceInfo(std::span<uint8_t> dest) {
  if (dest.size() < kDeviceInfoLength) return kResultNothing;
  return ReadChunked(Command::ReadDeviceInfo, dest.first(kDeviceInfoLength), 0, ChunkSize());
}

int CDeviceChannel::ReadSettings(std::span<uint8_t> dest, uint16_t offset) {
  return ReadChunked(Command::ReadSettings, dest, offset, ChunkSize());
}

int CDeviceChannel::WriteSettings(std::span<const uint8_t> source, uint16_t offset) {
  return WriteChunked(Command::WriteSettings, source, offset, ChunkSize());
}

int CDeviceChannel::ReadKeyTable(std::span<uint8_t> dest) {
  const uint16_t length = TableLength();
  if (dest.size() < length) return kResultNothing;
  return ReadChunked(Command::ReadKeyTable, dest.first(length), 0, ChunkSize());
}

int CDeviceChannel::WriteKeyTable(std::span<const uint8_t> source, int bank) {
  // Only bank 0 exists; the offset's high byte would carry bank * 512.
  if (bank != 0) return kResultBadBank;
  const uint16_t length = TableLength();
  if (source.size() < length) return kResultNothing;
  return WriteChunked(Command::WriteKeyTable, source.first(length), 0, ChunkSize());
}

int CDeviceChannel::WriteKeyBitmap(std::span<const uint8_t> source, unsigned index,
                                   uint8_t* status) {
  constexpr unsigned kBytesPerIndex = 3;
  if (status != nullptr) *status = 0;
  if (!IsOpen() || source.size() > frame::kMaxData) return kResultNothing;
  if (index > (frame::kOffsetLimit - 1) / kBytesPerIndex) return kResultNothing;
  Frame reply{};
  const int result = Exchange(Command::WriteKeyBitmap,
                              static_cast<uint16_t>(index * kBytesPerIndex), source, reply.data());
  if (status != nullptr) *status = reply[frame::kOffStatus];
  return result;
}

int CDeviceChannel::StreamChunk(uint16_t offset, std::span<const uint8_t> data) {
  if (busy_.load(std::memory_order_relaxed) != 0) {
    DebugOutput(kDebugLightDropped);
    return kResultOk;
  }
  if (receiverMode_.load(std::memory_order_relaxed)) return kResultOk;
  Frame req;
  Frame reply{};
  BuildFrame(req.data(), Command::StreamLightFrame, offset, data);
  std::lock_guard<std::mutex> stream(streamLock_);
  {
    std::lock_guard<std::mutex> io(ioLock_);
    uint32_t count = 0;
    if (cable_.Write(req.data(), frame::kSize, &count, kCableTimeoutMs) == 0 || count == 0) {
      return kResultNotWritten;
    }
    // No echo test here; a missing reply only leaves the status byte clear.
    (void)cable_.Read(reply.data(), frame::kSize, &count, kCableTimeoutMs);
  }
  return StatusResult(reply[frame::kOffStatus]);
}

int CDeviceChannel::StreamLightFrame(std::span<const uint8_t> source) {
  if (!IsOpen() || source.empty() || !FitsOffsets(0, source.size())) return kResultNothing;
  const size_t chunk = ChunkSize();
  for (size_t done = 0; done < source.size();) {
    const size_t n = std::min(chunk, source.size() - done);
    const int result = StreamChunk(static_cast<uint16_t>(done), source.subspan(done, n));
    if (result != kResultOk) return result;
    done += n;
  }
  return kResultOk;
}

int CDeviceChannel::WriteMacroData(std::span<const uint8_t> source) {
  return WriteChunked(Command::WriteMacroData, source, 0, ChunkSize());
}

int CDeviceChannel::WriteShootData(std::span<const uint8_t> source) {
  return WriteChunked(Command::WriteShootData, source, 0, kShootChunk);
}

int CDeviceChannel::ReadStatusBlock(std::span<uint8_t> dest, uint16_t offset) {
  if (dest.size() > frame::kMaxData) return kResultNothing;
  return ReadChunked(Command::ReadStatusBlock, dest, offset, frame::kMaxData);
}

int CDeviceChannel::ReadKeyAttributes(std::span<uint8_t> dest) {
  const size_t length = TableLength() / 3u;
  if (dest.size() < length) return kResultNothing;
  return ReadChunked(Command::ReadKeyAttributes, dest.first(length), 0, ChunkSize());
}

int CDeviceChannel::HostLightingOn() {
  Frame reply;
  return Exchange(Command::HostLightingOn, 0, {}, reply.data());
}

int CDeviceChannel::QueryReceiverLink() {
  if (!ReceiverMode()) return 1;
  Frame reply{};
  const int result = Exchange(Command::QueryReceiverLink, 0, {}, reply.data());
  return (result == kResultOk && reply[frame::kOffData] == kReceiverLinkUp) ? 1 : 0;
}

}  // namespace talmi
