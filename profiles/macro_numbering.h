#pragma once
// Device macro numbers. The device knows only the macros uploaded with the
// key table, numbered by their position in the image; the macro list and
// the key table write both follow this one walk so their numbers agree.
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/key_assignment.h"

namespace talmi {

struct MacroNumbering {
  // Library indexes of the macros in use, distinct, in order of first use:
  // the macro list that is uploaded (position = device macro number).
  std::vector<uint8_t> macros;
  // The assignments as they go to the device: macro indexes replaced by
  // device macro numbers, macros missing from the library replaced by the
  // key's default code. Keys without a hardware slot are left unchanged.
  std::vector<KeyAssignment> written;
};

// Walks the keys in index order. hasSlot[i] tells whether key i has a
// hardware slot (keys beyond hasSlot have none); macroCount is the number of
// macros in the library.
MacroNumbering NumberMacros(std::span<const KeyAssignment> keys,
                            const std::vector<bool>& hasSlot, size_t macroCount);

// After macro d is removed from the library: assignments of macro d return
// to their key's default code, assignments of later macros move down by one.
// 1 when anything changed, 0 otherwise.
int RemapMacrosAfterDelete(std::vector<KeyAssignment>& keys, uint8_t deleted);

}  // namespace talmi
