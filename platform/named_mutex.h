#pragma once
// A named mutex between processes of one user: an flock() lock file in the
// private runtime folder. Created initially owned; the lock goes with the
// process (exit, crash or kill), so a dead instance never blocks the next.
#include <string>

namespace talmi {

class CNamedMutex {
 public:
  CNamedMutex() = default;
  ~CNamedMutex();
  CNamedMutex(const CNamedMutex&) = delete;
  CNamedMutex& operator=(const CNamedMutex&) = delete;

  // 1: created and owned by this object; 0: it already exists (another
  // holder, in this or another process); negative: no lock file could be made.
  [[nodiscard]] int Create(const std::string& name);
  bool AlreadyExisted() const { return alreadyExisted_; }
  bool Owned() const { return fd_ >= 0 && !alreadyExisted_; }
  void Close();

  // The lock file that stands for name (in PrivateRuntimeFolder()).
  static std::string LockFilePath(const std::string& name);

 private:
  int fd_ = -1;
  bool alreadyExisted_ = false;
};

}  // namespace talmi
