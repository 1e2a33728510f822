#pragma once
// Naming rules shared by the profile list and the macro library: names are
// compared without regard to case and a name of only white space is blank.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace talmi {

// true when the name holds nothing but white space (ASCII blanks, no-break
// and ideographic spaces).
bool IsBlankName(std::string_view name);

// Index of the first name equal to name ignoring case, skipping index skip;
// -1 when there is none.
int FindNameIgnoringCase(const std::vector<std::string>& names, std::string_view name,
                         int skip = -1);

// prefix followed by the smallest n >= first (decimal) that no name has:
// "profile%d", "macro_%d".
std::string FirstFreeNumberedName(const std::vector<std::string>& names,
                                  std::string_view prefix, int first = 1);

}  // namespace talmi
