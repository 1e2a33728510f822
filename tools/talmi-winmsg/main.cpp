// talmi-winmsg: a peer on the message bus for people and tests. It sends,
// posts or broadcasts registered messages, sends WM_COPYDATA blocks, lists
// and finds windows, and can pose as a window of a given class and title,
// printing what arrives (WM_COPYDATA blocks in hex).
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/winmsg.h"

namespace {

using namespace talmi;
using namespace talmi::winmsg;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kDefaultTimeoutMs = 1000;

const char kUsage[] =
    "usage: talmi-winmsg COMMAND [options] ...\n"
    "  list                                   windows: handle, class, title\n"
    "  find [--class C] [--title T]           print the first matching handle\n"
    "  post TARGET NAME [WPARAM [LPARAM]]     post a registered message\n"
    "  send TARGET NAME [WPARAM [LPARAM]]     send it and print the answer\n"
    "  broadcast NAME [WPARAM [LPARAM]]       post it to every window\n"
    "  copydata TARGET DWDATA [HEX | --file F | --size N]\n"
    "                                         send WM_COPYDATA, print the answer\n"
    "  listen --class C --title T [--count N] [--reply N] [--no-answer] [--only NAME]...\n"
    "                                         pose as a window, print arrivals;\n"
    "                                         with --only, other names are dropped\n"
    "TARGET is --class C and/or --title T, or --handle H; --timeout MS for sends.\n";

struct Options {
  std::string command;
  const char* className = nullptr;
  const char* title = nullptr;
  WindowHandle handle = 0;
  int timeoutMs = kDefaultTimeoutMs;
  long count = -1;
  LRESULT reply = 0;
  bool noAnswer = false;
  const char* file = nullptr;
  long size = -1;
  std::vector<std::string> only;
  std::vector<std::string> args;
};

bool ParseUnsigned(const std::string& s, uint64_t& out) {
  if (s.empty() || s[0] == '-') return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoull(s.c_str(), &end, 0);
  return errno == 0 && end != nullptr && *end == '\0';
}

bool ParseSigned(const std::string& s, int64_t& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(s.c_str(), &end, 0);
  return errno == 0 && end != nullptr && *end == '\0';
}

bool ParseOptions(int argc, char** argv, Options& o) {
  if (argc < 2) return false;
  o.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char*& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    uint64_t u = 0;
    int64_t n = 0;
    if (a == "--class") {
      if (!value(o.className)) return false;
    } else if (a == "--title") {
      if (!value(o.title)) return false;
    } else if (a == "--file") {
      if (!value(o.file)) return false;
    } else if (a == "--handle") {
      if (!value(v) || !ParseUnsigned(v, u)) return false;
      o.handle = u;
    } else if (a == "--timeout") {
      if (!value(v) || !ParseSigned(v, n) || n < 0 || n > 3600000) return false;
      o.timeoutMs = static_cast<int>(n);
    } else if (a == "--count") {
      if (!value(v) || !ParseSigned(v, n) || n < 1) return false;
      o.count = static_cast<long>(n);
    } else if (a == "--size") {
      if (!value(v) || !ParseSigned(v, n) || n < 0) return false;
      o.size = static_cast<long>(n);
    } else if (a == "--reply") {
      if (!value(v) || !ParseSigned(v, n)) return false;
      o.reply = static_cast<LRESULT>(n);
    } else if (a == "--only") {
      if (!value(v)) return false;
      o.only.push_back(v);
    } else if (a == "--no-answer") {
      o.noAnswer = true;
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      return false;
    } else {
      o.args.push_back(a);
    }
  }
  return true;
}

WindowHandle ResolveTarget(const Options& o) {
  if (o.handle != 0) return o.handle;
  if (o.className == nullptr && o.title == nullptr) return 0;
  return FindWindow(o.className, o.title);
}

// NAME [WPARAM [LPARAM]] from args starting at first.
bool MessageArgs(const Options& o, size_t first, uint32_t& id, WPARAM& w, LPARAM& l) {
  if (o.args.size() <= first || o.args.size() > first + 3) return false;
  id = RegisterWindowMessage(o.args[first]);
  if (id == 0) return false;
  uint64_t u = 0;
  int64_t s = 0;
  w = 0;
  l = 0;
  if (o.args.size() > first + 1) {
    if (!ParseUnsigned(o.args[first + 1], u)) return false;
    w = static_cast<WPARAM>(u);
  }
  if (o.args.size() > first + 2) {
    if (!ParseSigned(o.args[first + 2], s)) return false;
    l = static_cast<LPARAM>(s);
  }
  return true;
}

bool ParseHex(const std::string& hex, std::vector<uint8_t>& out) {
  if (hex.size() % 2 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    uint64_t b = 0;
    if (!std::isxdigit(static_cast<unsigned char>(hex[i])) ||
        !std::isxdigit(static_cast<unsigned char>(hex[i + 1])) ||
        !ParseUnsigned("0x" + hex.substr(i, 2), b)) {
      return false;
    }
    out.push_back(static_cast<uint8_t>(b));
  }
  return true;
}

std::string ToHex(const uint8_t* data, size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
  }
  return out;
}

int ReportSend(int rc, LRESULT result) {
  if (rc != kBusOk) {
    std::fprintf(stderr, "talmi-winmsg: send failed (%d)\n", rc);
    return kExitFailed;
  }
  std::printf("result %" PRIdPTR "\n", result);
  return kExitOk;
}

class PrintingSink : public IMessageSink {
 public:
  explicit PrintingSink(LRESULT reply) : reply_(reply) {}
  LRESULT Deliver(uint32_t message, WPARAM w, LPARAM l, const CopyData* copy) override {
    if (copy != nullptr) {
      std::printf("copydata %" PRIu64 " %zu %s\n", copy->dwData, copy->size,
                  ToHex(copy->data, copy->size).c_str());
    } else {
      std::printf("message %s %" PRIuPTR " %" PRIdPTR "\n", RegisteredMessageName(message).c_str(),
                  w, l);
    }
    std::fflush(stdout);
    ++received_;
    return reply_;
  }
  long received() const { return received_; }

 private:
  LRESULT reply_;
  long received_ = 0;
};

int Listen(const Options& o) {
  if (o.className == nullptr || o.title == nullptr) return kExitUsage;
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGINT);
  sigprocmask(SIG_BLOCK, &mask, nullptr);
  int sigFd = signalfd(-1, &mask, SFD_CLOEXEC);
  PrintingSink sink(o.reply);
  CBusWindow window;
  if (window.Create(o.className, o.title, &sink) != kBusOk) {
    std::fprintf(stderr, "talmi-winmsg: cannot register the window\n");
    return kExitFailed;
  }
  for (const std::string& name : o.only) {
    if (RegisterWindowMessage(name) == 0) return kExitUsage;
  }
  window.SetAcceptUnregisteredNames(o.only.empty());
  std::printf("ready 0x%" PRIx64 "\n", window.Handle());
  std::fflush(stdout);
  while (o.count < 0 || sink.received() < o.count) {
    pollfd fds[2] = {{sigFd, POLLIN, 0}, {o.noAnswer ? -1 : window.Fd(), POLLIN, 0}};
    int rc = ::poll(fds, 2, 500);
    if (rc < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) break;
    if (fds[1].revents != 0) window.Dispatch();
  }
  window.Destroy();
  return kExitOk;
}

int CopyDataCommand(const Options& o) {
  if (o.args.empty() || o.args.size() > 2) return kExitUsage;
  uint64_t dwData = 0;
  if (!ParseUnsigned(o.args[0], dwData)) return kExitUsage;
  std::vector<uint8_t> block;
  if (o.file != nullptr) {
    std::string content;
    if (!ReadWholeFile(o.file, content, kMaxCopyDataBytes)) {
      std::fprintf(stderr, "talmi-winmsg: cannot read %s\n", o.file);
      return kExitFailed;
    }
    block.assign(content.begin(), content.end());
  } else if (o.size >= 0) {
    for (long i = 0; i < o.size; ++i) block.push_back(static_cast<uint8_t>(i & 0xFF));
  } else if (o.args.size() == 2 && !ParseHex(o.args[1], block)) {
    return kExitUsage;
  }
  WindowHandle to = ResolveTarget(o);
  if (to == 0) {
    std::fprintf(stderr, "talmi-winmsg: no such window\n");
    return kExitFailed;
  }
  LRESULT result = 0;
  int rc = SendCopyData(to, 0, dwData, block, o.timeoutMs, &result);
  return ReportSend(rc, result);
}

int Run(const Options& o) {
  uint32_t id = 0;
  WPARAM w = 0;
  LPARAM l = 0;
  if (o.command == "list") {
    for (const WindowInfo& info : ListWindows()) {
      std::printf("0x%" PRIx64 "\t%s\t%s\n", info.handle, info.className.c_str(),
                  info.title.c_str());
    }
    return kExitOk;
  }
  if (o.command == "find") {
    WindowHandle h = FindWindow(o.className, o.title);
    if (h == 0) return kExitFailed;
    std::printf("0x%" PRIx64 "\n", h);
    return kExitOk;
  }
  if (o.command == "listen") return Listen(o);
  if (o.command == "copydata") return CopyDataCommand(o);
  if (o.command == "broadcast") {
    if (!MessageArgs(o, 0, id, w, l)) return kExitUsage;
    int reached = BroadcastMessage(id, w, l);
    std::printf("reached %d\n", reached);
    return reached >= 0 ? kExitOk : kExitFailed;
  }
  if (o.command == "post" || o.command == "send") {
    if (!MessageArgs(o, 0, id, w, l)) return kExitUsage;
    WindowHandle to = ResolveTarget(o);
    if (to == 0) {
      std::fprintf(stderr, "talmi-winmsg: no such window\n");
      return kExitFailed;
    }
    if (o.command == "post") return PostMessage(to, id, w, l) == kBusOk ? kExitOk : kExitFailed;
    LRESULT result = 0;
    int rc = SendMessageTimeout(to, id, w, l, o.timeoutMs, &result);
    return ReportSend(rc, result);
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  int rc = ParseOptions(argc, argv, o) ? Run(o) : kExitUsage;
  if (rc == kExitUsage) std::fputs(kUsage, stderr);
  return rc;
}
