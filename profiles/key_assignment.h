#pragma once
// The function of one key or button: a 3-byte code (kind, parameter 1,
// parameter 2), kept in profiles as one integer kind << 16 | p1 << 8 | p2
// and on the device as three bytes per key slot.
#include <cstdint>

namespace talmi {

struct AssignmentCode {
  uint8_t kind = 0;
  uint8_t p1 = 0;
  uint8_t p2 = 0;

  friend constexpr bool operator==(const AssignmentCode&, const AssignmentCode&) = default;
};
static_assert(sizeof(AssignmentCode) == 3);

// Macro assignments: p1 is the macro's index in the macro library (in a
// profile) or its device macro number (in a device key table).
inline constexpr uint8_t kAssignKindMacro = 0x70;          // p2: ending mode
inline constexpr uint8_t kAssignKindMacroRepeated = 0x71;  // p2: repeat count

constexpr bool IsMacroAssignment(const AssignmentCode& c) {
  return c.kind == kAssignKindMacro || c.kind == kAssignKindMacroRepeated;
}

constexpr int32_t PackAssignmentCode(const AssignmentCode& c) {
  return (int32_t{c.kind} << 16) | (int32_t{c.p1} << 8) | int32_t{c.p2};
}

// Only the low 24 bits carry the code.
constexpr AssignmentCode UnpackAssignmentCode(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return AssignmentCode{static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 8),
                        static_cast<uint8_t>(u)};
}

// One key's current and default code; the index appears twice, once with
// each code.
struct KeyAssignment {
  uint16_t index = 0;
  AssignmentCode current;
  uint16_t defaultIndex = 0;
  AssignmentCode defaultCode;

  friend constexpr bool operator==(const KeyAssignment&, const KeyAssignment&) = default;
};
static_assert(sizeof(KeyAssignment) == 12);

}  // namespace talmi
