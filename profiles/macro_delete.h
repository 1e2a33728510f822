#pragma once
// Assignment bookkeeping when a macro leaves the library: the profiles
// that are not shown are rewritten on disk, the shown one is the page's.
#include <cstdint>
#include <vector>

#include "profiles/key_assignment.h"

namespace talmi {

class CProfileList;
class CBasicProfiledata;

// true when any assignment of the list uses macro index.
bool UsesMacro(const std::vector<KeyAssignment>& keys, uint8_t index);

// For every profile of the list except the shown one: macro deleted returns
// to the key's default, later macros move down by one; a profile that
// changed is saved. Uses the data object's other entry only, so the page's
// current entry is untouched. Returns the number of profiles saved.
int RemapMacrosInOtherProfiles(const CProfileList& list, CBasicProfiledata& data,
                               uint8_t deleted);

}  // namespace talmi
