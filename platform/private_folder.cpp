#include "platform/private_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/debug_output.h"
#include "platform/folders.h"

namespace talmi {

bool EnsurePrivateFolder(const std::string& path) {
  if (path.empty()) return false;
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    DebugOutputF("private folder refused: %s", path.c_str());
    return false;
  }
  if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) return false;
  return true;
}

std::string PrivateRuntimeFolder() {
  std::string runtime = RuntimeFolder();
  if (runtime.empty()) return {};
  MakeFolders(runtime, 0700);
  std::string folder = runtime + "/talmi-kt380";
  return EnsurePrivateFolder(folder) ? folder : std::string();
}

}  // namespace talmi
