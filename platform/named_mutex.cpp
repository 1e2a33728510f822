#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/private_folder.h"

namespace talmi {
namespace {

// Any name becomes a file name: separators and control bytes are replaced.
std::string FileNameFor(const std::string& name) {
  std::string out = "mutex-";
  for (unsigned char c : name) {
    out.push_back((c == '/' || c == '\\' || c < 0x20 || c == 0x7F) ? '_' : static_cast<char>(c));
  }
  if (out.size() > 200) out.resize(200);
  return out + ".lock";
}

}  // namespace

CNamedMutex::~CNamedMutex() { Close(); }

std::string CNamedMutex::LockFilePath(const std::string& name) {
  std::string folder = PrivateRuntimeFolder();
  if (folder.empty()) return {};
  return folder + "/" + FileNameFor(name);
}

int CNamedMutex::Create(const std::string& name) {
  Close();
  if (name.empty()) return -1;
  std::string path = LockFilePath(name);
  if (path.empty()) return -2;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return -3;
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK) return -4;
    alreadyExisted_ = true;
    return 0;
  }
  fd_ = fd;
  return 1;
}

void CNamedMutex::Close() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
  fd_ = -1;
  alreadyExisted_ = false;
}

}  // namespace talmi
