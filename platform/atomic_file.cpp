#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace talmi {
namespace {

constexpr size_t kMaxIdentifierBytes = 128;

bool WriteAll(int fd, std::string_view content) {
  const char* p = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Makes the rename itself durable.
void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
  std::string tmpl = path + ".tmp-XXXXXX";
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
  // Keep the permissions an existing file had; new files get 0644.
  struct stat st {};
  mode_t mode = (::stat(path.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
  ::fchmod(fd, mode);
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(tmpl.c_str(), path.c_str()) == 0) {
    SyncFolder(FolderOf(path));
    return true;
  }
  ::unlink(tmpl.c_str());
  return false;
}

bool ReadWholeFile(const std::string& path, std::string& out, size_t maxBytes) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) { ok = false; break; }
    if (n == 0) break;
    if (out.size() + static_cast<size_t>(n) > maxBytes) { ok = false; break; }
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok) out.clear();
  return ok;
}

bool IsSafeFileIdentifier(std::string_view id) {
  if (id.empty() || id.size() > kMaxIdentifierBytes) return false;
  if (id == "." || id.find("..") != std::string_view::npos) return false;
  for (unsigned char c : id) {
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace talmi
