#include "profiles/store_path.h"

#include "platform/atomic_file.h"

namespace talmi {

std::string FolderWithSeparator(std::string_view folder) {
  std::string out = NormalizePathSeparators(folder);
  if (out.empty()) return out;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  if (out != "/") out += '/';
  return out;
}

std::string IdentifiedFilePath(const std::string& folder, std::string_view id,
                               std::string_view extension) {
  if (!IsSafeFileIdentifier(id)) return std::string();
  std::string path = FolderWithSeparator(folder);
  path.append(id);
  path.append(extension);
  return path;
}

}  // namespace talmi
