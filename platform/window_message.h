#pragma once
// Registered window messages: a name gives an identifier in 0xC000-0xFFFF.
// Equal names (compared without regard to ASCII case) give equal identifiers
// for the life of the process. Identifiers are local to the process; between
// programs messages travel by name (platform/winmsg).
#include <cstdint>
#include <string>
#include <string_view>

namespace talmi {

inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;
inline constexpr uint32_t kLastRegisteredMessage = 0xFFFF;
inline constexpr size_t kMaxMessageNameBytes = 255;

// 0 when the name is empty, too long, holds control characters, or the range
// is used up.
uint32_t RegisterWindowMessage(std::string_view name);

// The identifier of a name registered before, else 0 (registers nothing).
uint32_t LookupWindowMessage(std::string_view name);

// The name a registered identifier was made from; empty when unknown.
std::string RegisteredMessageName(uint32_t id);

bool IsRegisteredMessageId(uint32_t id);

// Filter actions of the per-message filter.
inline constexpr uint32_t MSGFLT_ADD = 1;
inline constexpr uint32_t MSGFLT_REMOVE = 2;

// Every peer of the bus is the same user, so there is no integrity level to
// lift; the call is kept so that start-up reads as it always has. Returns 1.
int ChangeWindowMessageFilter(uint32_t message, uint32_t action);

}  // namespace talmi
