#pragma once
// The bus's packet: one SOCK_SEQPACKET record per message. A fixed header,
// then the registered message's name (registered messages travel by name,
// never by number), then the WM_COPYDATA bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_message.h"
#include "platform/winmsg_types.h"

namespace talmi::winmsg {

inline constexpr std::uint32_t kWireMagic = 0x314D5754;  // "TWM1"

enum class WireKind : std::uint16_t {
  kPost = 1,      // registered message, no answer
  kSend = 2,      // registered message, answered with kReply
  kCopyData = 3,  // WM_COPYDATA, answered with kReply
  kReply = 4,     // the answer: result in lParam
};

struct WireHeader {
  std::uint32_t magic;
  std::uint16_t kind;
  std::uint16_t nameLength;
  std::uint32_t dataLength;
  std::uint32_t reserved;  // 0
  std::uint64_t wParam;
  std::int64_t lParam;
  std::uint64_t dwData;
};
static_assert(sizeof(WireHeader) == 40, "wire header layout");

inline constexpr std::size_t kMaxWireBytes =
    sizeof(WireHeader) + kMaxMessageNameBytes + kMaxCopyDataBytes;

struct WireMessage {
  WireKind kind = WireKind::kPost;
  std::string name;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::uint64_t dwData = 0;
  std::vector<std::uint8_t> data;
};

// false when the message breaks a rule below (then nothing is produced).
[[nodiscard]] bool EncodeWireMessage(const WireMessage& message, std::vector<std::uint8_t>& out);

// 1 when bytes hold exactly one well-formed message; negative otherwise:
// short, wrong magic or kind, lengths that disagree with the size, a name
// where none belongs or none where one must be, bad name bytes, data on a
// message that carries none, non-zero reserved field, oversized parts.
[[nodiscard]] int DecodeWireMessage(const std::uint8_t* bytes, std::size_t size,
                                    WireMessage& out);

}  // namespace talmi::winmsg
