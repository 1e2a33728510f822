#include "profiles/macro_delete.h"

#include "profiles/basic_profiledata.h"
#include "profiles/macro_numbering.h"
#include "profiles/profile_list.h"

namespace talmi {

bool UsesMacro(const std::vector<KeyAssignment>& keys, uint8_t index) {
  for (const KeyAssignment& k : keys) {
    if (IsMacroAssignment(k.current) && k.current.p1 == index) return true;
  }
  return false;
}

int RemapMacrosInOtherProfiles(const CProfileList& list, CBasicProfiledata& data,
                               uint8_t deleted) {
  int saved = 0;
  const int count = static_cast<int>(list.Names().size());
  for (int i = 0; i < count; ++i) {
    if (i == list.SelectedIndex()) continue;
    const std::string path = list.GetProfileFilePath(i);
    if (path.empty()) continue;
    data.LoadOtherDeviceEntry(path);
    std::vector<KeyAssignment> keys = data.GetOtherKeyList();
    if (RemapMacrosAfterDelete(keys, deleted) == 0) continue;
    data.SetOtherKeyList(keys);
    if (data.SaveOtherTo(path) == 1) ++saved;
  }
  return saved;
}

}  // namespace talmi
