#include "profiles/name_rules.h"

#include "platform/case_fold.h"

namespace talmi {
namespace {

// Length of a white-space sequence at the start of s, 0 when there is none.
size_t SpaceLength(std::string_view s) {
  static constexpr std::string_view kWideSpaces[] = {"\xC2\xA0", "\xE3\x80\x80"};
  if (s.empty()) return 0;
  const char c = s.front();
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') return 1;
  for (std::string_view w : kWideSpaces) {
    if (s.substr(0, w.size()) == w) return w.size();
  }
  return 0;
}

}  // namespace

bool IsBlankName(std::string_view name) {
  while (!name.empty()) {
    const size_t n = SpaceLength(name);
    if (n == 0) return false;
    name.remove_prefix(n);
  }
  return true;
}

int FindNameIgnoringCase(const std::vector<std::string>& names, std::string_view name,
                         int skip) {
  const std::string folded = FoldCase(name);
  for (size_t i = 0; i < names.size(); ++i) {
    if (static_cast<int>(i) == skip) continue;
    if (FoldCase(names[i]) == folded) return static_cast<int>(i);
  }
  return -1;
}

std::string FirstFreeNumberedName(const std::vector<std::string>& names,
                                  std::string_view prefix, int first) {
  for (int n = first;; ++n) {
    std::string name = std::string(prefix) + std::to_string(n);
    if (FindNameIgnoringCase(names, name) < 0) return name;
  }
}

}  // namespace talmi
