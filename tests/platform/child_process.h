#pragma once
// A program started by a test (talmi-winmsg, dbus-daemon) with its stdout on
// a pipe; ended by its own pid when the test is done with it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace talmi::test {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Terminate(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::vector<std::string>& argv) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int rc = ::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
      ::close(out[0]);
      pid_ = -1;
      return false;
    }
    out_ = out[0];
    return true;
  }

  // The next line of its stdout (without "\n"); false at end or after boundMs.
  bool ReadLine(std::string& line, int boundMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
      size_t nl = buffer_.find('\n');
      if (nl != std::string::npos) {
        line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return true;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || out_ < 0) return false;
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buf[4096];
      ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) return false;
      buffer_.append(buf, static_cast<size_t>(n));
    }
  }

  // Waits for it to end; its exit code, or -1.
  int Wait() {
    if (pid_ < 0) return -1;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, 0);
    pid_ = -1;
    if (r < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  void Terminate() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
    if (out_ >= 0) ::close(out_);
    out_ = -1;
  }

  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

inline std::string WinmsgTool() { return std::string(TALMI_BINARY_DIR) + "/tools/talmi-winmsg/talmi-winmsg"; }

// Runs a program to its end; its exit code and its first stdout line.
inline int RunTool(const std::vector<std::string>& argv, std::string* firstLine = nullptr) {
  ChildProcess p;
  if (!p.Start(argv)) return -1;
  std::string line;
  bool got = p.ReadLine(line);
  if (firstLine != nullptr) *firstLine = got ? line : std::string();
  return p.Wait();
}

}  // namespace talmi::test
