#include "profiles/macro_numbering.h"

#include <gtest/gtest.h>

#include <vector>

namespace talmi {
namespace {

constexpr AssignmentCode kKeyA{0x20, 0x00, 0x04};
constexpr AssignmentCode kKeyB{0x20, 0x00, 0x05};

AssignmentCode Macro(uint8_t index, uint8_t p2 = 0) { return {kAssignKindMacro, index, p2}; }
AssignmentCode Repeated(uint8_t index, uint8_t count) {
  return {kAssignKindMacroRepeated, index, count};
}

KeyAssignment Key(uint16_t i, AssignmentCode current, AssignmentCode def = kKeyA) {
  return KeyAssignment{i, current, i, def};
}

TEST(NumberMacros, MacrosThreeAndZeroBecomeDeviceNumbersZeroAndOne) {
  const std::vector<KeyAssignment> keys = {Key(0, kKeyB), Key(1, Macro(3, 2)), Key(2, Macro(0)),
                                           Key(3, Repeated(3, 5))};
  const auto n = NumberMacros(keys, std::vector<bool>(4, true), 4);
  EXPECT_EQ(n.macros, (std::vector<uint8_t>{3, 0}));
  EXPECT_EQ(n.written[0].current, kKeyB);
  EXPECT_EQ(n.written[1].current, Macro(0, 2));  // p2 (ending mode) kept
  EXPECT_EQ(n.written[2].current, Macro(1));
  EXPECT_EQ(n.written[3].current, Repeated(0, 5));
}

TEST(NumberMacros, KeysWithoutSlotAreSkippedAndMissingMacrosFallBack) {
  const KeyAssignment fallback{9, kKeyA, 7, kKeyB};
  const std::vector<KeyAssignment> keys = {
      Key(0, Macro(2)),  // no slot: neither numbered nor changed
      Key(1, Macro(1)),
      fallback,  // its current code is replaced below
      Key(3, Macro(5)),  // beyond the library
      Key(4, Macro(2)),  // beyond hasSlot: no slot
  };
  std::vector<KeyAssignment> withMissing = keys;
  withMissing[2].current = Macro(4);
  const auto n = NumberMacros(withMissing, {false, true, true, true}, 3);
  EXPECT_EQ(n.macros, (std::vector<uint8_t>{1}));
  EXPECT_EQ(n.written[0], withMissing[0]);
  EXPECT_EQ(n.written[1].current, Macro(0));
  // index from the second copy, code from the default one
  EXPECT_EQ(n.written[2], (KeyAssignment{7, kKeyB, 7, kKeyB}));
  EXPECT_EQ(n.written[3].current, kKeyA);
  EXPECT_EQ(n.written[4], withMissing[4]);
}

TEST(NumberMacros, NoMacroInUseGivesAnEmptyList) {
  const std::vector<KeyAssignment> keys = {Key(0, kKeyA), Key(1, kKeyB)};
  const auto n = NumberMacros(keys, {true, true}, 10);
  EXPECT_TRUE(n.macros.empty());
  EXPECT_EQ(n.written, keys);
  EXPECT_TRUE(NumberMacros({}, {}, 0).macros.empty());
}

struct RemapCase {
  const char* what;
  AssignmentCode before;
  AssignmentCode after;
};

TEST(RemapMacrosAfterDelete, DeletedMacroReturnsToDefaultLaterOnesMoveDown) {
  const RemapCase cases[] = {
      {"macro 5 becomes 4", Macro(5, 1), Macro(4, 1)},
      {"repeated macro 3 becomes 2", Repeated(3, 9), Repeated(2, 9)},
      {"the deleted macro returns to the default", Macro(2), kKeyB},
      {"an earlier macro stays", Macro(1), Macro(1)},
      {"a key code stays", {0x20, 0x00, 0x07}, {0x20, 0x00, 0x07}},
  };
  for (const RemapCase& c : cases) {
    std::vector<KeyAssignment> keys = {Key(0, c.before, kKeyB)};
    const int changed = RemapMacrosAfterDelete(keys, 2);
    EXPECT_EQ(keys[0].current, c.after) << c.what;
    EXPECT_EQ(changed, c.before == c.after ? 0 : 1) << c.what;
  }
}

TEST(RemapMacrosAfterDelete, AppliesToEveryKeyOfTheList) {
  std::vector<KeyAssignment> keys = {Key(0, Macro(0)), Key(1, Macro(1), kKeyB), Key(2, Macro(2))};
  EXPECT_EQ(RemapMacrosAfterDelete(keys, 1), 1);
  EXPECT_EQ(keys[0].current, Macro(0));
  EXPECT_EQ(keys[1].current, kKeyB);
  EXPECT_EQ(keys[2].current, Macro(1));
}

}  // namespace
}  // namespace talmi
