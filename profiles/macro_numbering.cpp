#include "profiles/macro_numbering.h"

#include <algorithm>

namespace talmi {
namespace {

void RestoreDefault(KeyAssignment& k) {
  k.index = k.defaultIndex;
  k.current = k.defaultCode;
}

}  // namespace

MacroNumbering NumberMacros(std::span<const KeyAssignment> keys,
                            const std::vector<bool>& hasSlot, size_t macroCount) {
  MacroNumbering out;
  out.written.assign(keys.begin(), keys.end());
  for (size_t i = 0; i < out.written.size(); ++i) {
    if (i >= hasSlot.size() || !hasSlot[i]) continue;
    KeyAssignment& k = out.written[i];
    if (!IsMacroAssignment(k.current)) continue;
    if (k.current.p1 >= macroCount) {
      RestoreDefault(k);
      continue;
    }
    auto it = std::find(out.macros.begin(), out.macros.end(), k.current.p1);
    if (it == out.macros.end()) {
      out.macros.push_back(k.current.p1);
      it = out.macros.end() - 1;
    }
    k.current.p1 = static_cast<uint8_t>(it - out.macros.begin());
  }
  return out;
}

int RemapMacrosAfterDelete(std::vector<KeyAssignment>& keys, uint8_t deleted) {
  int changed = 0;
  for (KeyAssignment& k : keys) {
    if (!IsMacroAssignment(k.current) || k.current.p1 < deleted) continue;
    if (k.current.p1 == deleted) {
      RestoreDefault(k);
    } else {
      --k.current.p1;
    }
    changed = 1;
  }
  return changed;
}

}  // namespace talmi
