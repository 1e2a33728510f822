#include "platform/winmsg_wire.h"

#include <cstring>

namespace talmi::winmsg {
namespace {

bool NameBytesValid(const std::string& name) {
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

// What each kind must and must not carry.
bool ShapeValid(WireKind kind, std::size_t nameLength, std::size_t dataLength) {
  switch (kind) {
    case WireKind::kPost:
    case WireKind::kSend:
      return nameLength > 0 && dataLength == 0;
    case WireKind::kCopyData:
      return nameLength == 0;
    case WireKind::kReply:
      return nameLength == 0 && dataLength == 0;
  }
  return false;
}

bool KindKnown(std::uint16_t kind) {
  return kind >= static_cast<std::uint16_t>(WireKind::kPost) &&
         kind <= static_cast<std::uint16_t>(WireKind::kReply);
}

}  // namespace

bool EncodeWireMessage(const WireMessage& m, std::vector<std::uint8_t>& out) {
  out.clear();
  if (m.name.size() > kMaxMessageNameBytes || m.data.size() > kMaxCopyDataBytes) return false;
  if (!ShapeValid(m.kind, m.name.size(), m.data.size()) || !NameBytesValid(m.name)) return false;
  WireHeader h{};
  h.magic = kWireMagic;
  h.kind = static_cast<std::uint16_t>(m.kind);
  h.nameLength = static_cast<std::uint16_t>(m.name.size());
  h.dataLength = static_cast<std::uint32_t>(m.data.size());
  h.wParam = static_cast<std::uint64_t>(m.wParam);
  h.lParam = static_cast<std::int64_t>(m.lParam);
  h.dwData = m.dwData;
  out.resize(sizeof h + m.name.size() + m.data.size());
  std::memcpy(out.data(), &h, sizeof h);
  if (!m.name.empty()) std::memcpy(out.data() + sizeof h, m.name.data(), m.name.size());
  if (!m.data.empty()) {
    std::memcpy(out.data() + sizeof h + m.name.size(), m.data.data(), m.data.size());
  }
  return true;
}

int DecodeWireMessage(const std::uint8_t* bytes, std::size_t size, WireMessage& out) {
  if (bytes == nullptr || size < sizeof(WireHeader)) return -1;
  WireHeader h;
  std::memcpy(&h, bytes, sizeof h);
  if (h.magic != kWireMagic || h.reserved != 0) return -2;
  if (!KindKnown(h.kind)) return -3;
  if (h.nameLength > kMaxMessageNameBytes || h.dataLength > kMaxCopyDataBytes) return -4;
  if (size != sizeof h + h.nameLength + static_cast<std::size_t>(h.dataLength)) return -5;
  const auto kind = static_cast<WireKind>(h.kind);
  if (!ShapeValid(kind, h.nameLength, h.dataLength)) return -6;
  out.kind = kind;
  out.name.assign(reinterpret_cast<const char*>(bytes + sizeof h), h.nameLength);
  if (!NameBytesValid(out.name)) return -7;
  out.wParam = static_cast<WPARAM>(h.wParam);
  out.lParam = static_cast<LPARAM>(h.lParam);
  out.dwData = h.dwData;
  const std::uint8_t* data = bytes + sizeof h + h.nameLength;
  out.data.assign(data, data + h.dataLength);
  return 1;
}

}  // namespace talmi::winmsg
