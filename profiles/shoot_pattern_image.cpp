#include "profiles/shoot_pattern_image.h"

#include "profiles/json_file.h"
#include "profiles/macro_image.h"
#include "profiles/store_path.h"

namespace talmi {

std::string ShootPatternFileName(int gun) {
  if (gun < 0 || gun >= kShootGunCount) return std::string();
  return "ShootData_" + std::to_string(gun) + ".Shoot";
}

std::string ShootPatternFilePath(const std::string& folder, int gun) {
  const std::string name = ShootPatternFileName(gun);
  if (name.empty()) return name;
  return FolderWithSeparator(folder) + name;
}

std::vector<uint8_t> BuildShootPatternImage(const std::string& folder) {
  std::vector<MacroBlock> blocks;
  blocks.reserve(kShootGunCount);
  for (int gun = 0; gun < kShootGunCount; ++gun) {
    blocks.push_back(EncodeMacroEvents(ReadJsonFile(ShootPatternFilePath(folder, gun))));
  }
  return BuildMacroImage(blocks);
}

}  // namespace talmi
