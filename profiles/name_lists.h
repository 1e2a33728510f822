#pragma once
// The name lists a device page reads once when it is set up: its macro
// names (key editor), the lighting modes of its view with their visibility
// and device codes, its lighting area names, and its light effect names.
#include <cstdint>
#include <string>
#include <vector>

namespace talmi {

inline constexpr const char* kDefaultLightName = "default_light.json";

struct PageNameLists {
  std::vector<std::string> macroNames;
  // Index-aligned: a hidden mode still holds its place, so the lighting
  // record's mode index and the mode code list agree.
  std::vector<std::string> modeNames;
  std::vector<uint8_t> modeVisible;
  std::vector<int32_t> modeCodes;
  std::vector<std::string> areaNames;
  std::vector<std::string> lightEffectNames;
};

struct NameListSources {
  std::string dataFolder;     // the page kind's data folder
  std::string defaultFolder;  // the shipped DefaultData folder
  std::string macroConfigName;  // "macro.config" or "kelma_macro.config"
  int viewParam = 0;            // keyboard 0, mouse 1, mouse pad 2, headset 3
};

// Appends to the lists (they are not cleared). Missing or broken files leave
// their lists as they were.
void LoadPageNameLists(const NameListSources& from, PageNameLists& lists);

}  // namespace talmi
