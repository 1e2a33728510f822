#include "platform/folders.h"

#include "platform/debug_output.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace talmi {
namespace {

constexpr const char* kInstalledDataFolder = "/share/talmi-kt380";

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// An environment variable that names an absolute folder; relative values are
// ignored as the XDG rules require.
bool AbsoluteEnv(const char* name, std::string& out) {
  const char* v = std::getenv(name);
  if (v == nullptr || v[0] != '/') return false;
  out = StripTrailingSlashes(v);
  return true;
}

std::string HomeFolder() {
  std::string home;
  if (AbsoluteEnv("HOME", home)) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr &&
                                                  pw->pw_dir[0] == '/') {
    return StripTrailingSlashes(pw->pw_dir);
  }
  return "/tmp";
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExecutableFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return {};
  return exe.substr(0, slash);
}

// A private folder must be a real folder (not a link), owned by us and
// closed to everybody else.
bool IsPrivateFolderOfOurs(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

bool MakeFolders(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  if (IsFolder(path)) return true;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    std::string part = path.substr(0, pos);
    if (part.empty() || IsFolder(part)) continue;
    if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
  }
  return IsFolder(path);
}

std::string LocalAppDataFolder() {
  std::string v;
  if (AbsoluteEnv("XDG_DATA_HOME", v)) return v;
  return HomeFolder() + "/.local/share";
}

std::string TempFolder() {
  std::string v;
  if (AbsoluteEnv("TMPDIR", v)) return v;
  return "/tmp";
}

std::string ProgramFolder() {
  std::string v;
  if (AbsoluteEnv("TALMI_PROGRAM_DIR", v)) return v;
  std::string exeDir = ExecutableFolder();
  if (!exeDir.empty() && IsFolder(exeDir + "/skin")) return exeDir;
  // <prefix>/bin/talmi-kt380 -> <prefix>/share/talmi-kt380
  if (!exeDir.empty()) {
    size_t slash = exeDir.find_last_of('/');
    std::string prefix = slash == std::string::npos ? std::string() : exeDir.substr(0, slash);
    std::string installed = prefix + kInstalledDataFolder;
    if (IsFolder(installed)) return installed;
  }
  return std::string("/usr") + kInstalledDataFolder;
}

std::string ResourceRoot() { return ProgramFolder() + "/skin"; }

std::string UserDataFolder(bool create) {
  std::string folder = LocalAppDataFolder() + "/" + kProductName;
  if (create) MakeFolders(folder);
  return folder;
}

std::string UserConfigFolder(bool create) {
  std::string base;
  if (!AbsoluteEnv("XDG_CONFIG_HOME", base)) base = HomeFolder() + "/.config";
  std::string folder = base + "/" + kProductName;
  if (create) MakeFolders(folder);
  return folder;
}

std::string RuntimeFolder() {
  std::string v;
  if (AbsoluteEnv("XDG_RUNTIME_DIR", v)) return v;
  std::string folder = "/tmp/runtime-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
      (st.st_mode & 077) != 0) {
    ::chmod(folder.c_str(), 0700);
  }
  if (IsPrivateFolderOfOurs(folder)) return folder;
  // Somebody else holds the usual name (or it is a link): never use a folder
  // another user controls. A private folder of this process stands in.
  static const std::string fallback = [] {
    std::string tmpl = "/tmp/runtime-" + std::to_string(::getuid()) + "-XXXXXX";
    return ::mkdtemp(tmpl.data()) != nullptr ? tmpl : std::string();
  }();
  DebugOutputF("RuntimeFolder: %s is not ours, using %s", folder.c_str(), fallback.c_str());
  return fallback;
}

}  // namespace talmi
