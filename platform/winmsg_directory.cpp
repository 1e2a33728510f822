#include "platform/winmsg_directory.h"

#include <dirent.h>
#include <json/json.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/atomic_file.h"
#include "platform/private_folder.h"

namespace talmi::winmsg {
namespace {

constexpr const char* kSocketSuffix = ".sock";
constexpr const char* kInfoSuffix = ".win";
constexpr size_t kMaxInfoFileBytes = 4 * kMaxClassOrTitleBytes + 256;

std::string EntryStem(WindowHandle handle) {
  return std::to_string(WindowProcess(handle)) + "-" + std::to_string(WindowSerial(handle));
}

// "<pid>-<serial><suffix>" -> handle; 0 for any other name.
WindowHandle ParseEntryName(const std::string& name, const std::string& suffix) {
  if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return 0;
  }
  std::string stem = name.substr(0, name.size() - suffix.size());
  unsigned long pid = 0, serial = 0;
  char tail = 0;
  if (std::sscanf(stem.c_str(), "%lu-%lu%c", &pid, &serial, &tail) != 2) return 0;
  if (pid == 0 || pid > 0x7FFFFFFFul || serial == 0 || serial > 0xFFFFFFFFul) return 0;
  if (EntryStem(MakeWindowHandle(static_cast<pid_t>(pid), static_cast<uint32_t>(serial))) != stem) {
    return 0;  // leading zeros, signs and the like
  }
  return MakeWindowHandle(static_cast<pid_t>(pid), static_cast<uint32_t>(serial));
}

bool ProcessAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

bool EqualNoCase(const std::string& a, const char* b) {
  size_t n = a.size();
  if (std::char_traits<char>::length(b) != n) return false;
  for (size_t i = 0; i < n; ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::optional<WindowInfo> ReadInfo(const std::string& folder, WindowHandle handle) {
  std::string text;
  if (!ReadWholeFile(InfoPathOf(folder, handle), text, kMaxInfoFileBytes)) return std::nullopt;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value v;
  std::string errors;
  if (!reader->parse(text.data(), text.data() + text.size(), &v, &errors) || !v.isObject()) {
    return std::nullopt;
  }
  if (!v["class"].isString() || !v["title"].isString()) return std::nullopt;
  WindowInfo info{handle, v["class"].asString(), v["title"].asString()};
  if (info.className.size() > kMaxClassOrTitleBytes || info.title.size() > kMaxClassOrTitleBytes) {
    return std::nullopt;
  }
  return info;
}

}  // namespace

std::string BusFolder() {
  std::string base = PrivateRuntimeFolder();
  if (base.empty()) return {};
  std::string folder = base + "/winmsg";
  return EnsurePrivateFolder(folder) ? folder : std::string();
}

std::string SocketPathOf(const std::string& folder, WindowHandle handle) {
  return folder + "/" + EntryStem(handle) + kSocketSuffix;
}

std::string InfoPathOf(const std::string& folder, WindowHandle handle) {
  return folder + "/" + EntryStem(handle) + kInfoSuffix;
}

bool WriteWindowInfo(const std::string& folder, const WindowInfo& info) {
  if (info.className.size() > kMaxClassOrTitleBytes || info.title.size() > kMaxClassOrTitleBytes) {
    return false;
  }
  Json::Value v(Json::objectValue);
  v["class"] = info.className;
  v["title"] = info.title;
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  return WriteFileAtomically(InfoPathOf(folder, info.handle), Json::writeString(builder, v));
}

void RemoveWindowEntry(const std::string& folder, WindowHandle handle) {
  ::unlink(InfoPathOf(folder, handle).c_str());
  ::unlink(SocketPathOf(folder, handle).c_str());
}

std::vector<WindowInfo> ListWindows() {
  std::vector<WindowInfo> out;
  const std::string folder = BusFolder();
  if (folder.empty()) return out;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return out;
  std::vector<WindowHandle> infos, sockets;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (WindowHandle h = ParseEntryName(name, kInfoSuffix)) infos.push_back(h);
    else if (WindowHandle s = ParseEntryName(name, kSocketSuffix)) sockets.push_back(s);
    if (infos.size() >= kMaxListedWindows) break;
  }
  ::closedir(dir);
  std::sort(infos.begin(), infos.end());
  for (WindowHandle h : sockets) {
    // A socket without a description belongs to a dead process, or to a
    // window still being created; only the first is removed.
    if (!std::binary_search(infos.begin(), infos.end(), h) && !ProcessAlive(WindowProcess(h))) {
      ::unlink(SocketPathOf(folder, h).c_str());
    }
  }
  for (WindowHandle h : infos) {
    if (!ProcessAlive(WindowProcess(h))) {
      RemoveWindowEntry(folder, h);
      continue;
    }
    if (auto info = ReadInfo(folder, h)) out.push_back(std::move(*info));
  }
  return out;
}

WindowHandle FindWindow(const char* className, const char* title) {
  for (const WindowInfo& w : ListWindows()) {
    if (className != nullptr && !EqualNoCase(w.className, className)) continue;
    if (title != nullptr && !EqualNoCase(w.title, title)) continue;
    return w.handle;
  }
  return 0;
}

std::optional<WindowInfo> GetWindowInfo(WindowHandle handle) {
  if (handle == 0) return std::nullopt;
  const std::string folder = BusFolder();
  if (folder.empty()) return std::nullopt;
  return ReadInfo(folder, handle);
}

}  // namespace talmi::winmsg
