#include "profiles/profile_folders.h"

#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "profiles/json_file.h"

namespace talmi {

std::string UserFolderPath() {
  std::string folder = UserDataFolder(true);
  if (folder.empty()) return std::string();
  return folder + "/";
}

std::string DataFolderPath(std::string_view kindName) {
  if (!IsSafeFileIdentifier(kindName)) return std::string();
  std::string user = UserFolderPath();
  if (user.empty()) return std::string();
  std::string folder = user + std::string(kindName);
  MakeFolders(folder);
  return folder + "/";
}

std::string DefaultFolderPath() { return ProgramFolder() + "/DefaultData/"; }

std::string DefaultProfilePath(std::string_view kindName) {
  if (!IsSafeFileIdentifier(kindName)) return std::string();
  return DefaultFolderPath() + std::string(kindName) + kProfileExtension;
}

std::string ProfileFilePath(const std::string& folder, std::string_view id) {
  if (folder.empty() || !IsSafeFileIdentifier(id)) return std::string();
  std::string path = NormalizePathSeparators(folder);
  if (path.back() != '/') path += '/';
  return path + std::string(id) + kProfileExtension;
}

std::string LightLibraryPath(std::string_view kindName) {
  std::string folder = DataFolderPath(kindName);
  if (folder.empty()) return std::string();
  return folder + kLightLibraryName + kLightLibraryExtension;
}

std::string FolderOfPath(const std::string& path) {
  std::string normal = NormalizePathSeparators(path);
  size_t slash = normal.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return normal.substr(0, slash + 1);
}

}  // namespace talmi
