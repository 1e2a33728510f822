#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/winmsg.h"
#include "platform/winmsg_wire.h"
#include "tests/platform/child_process.h"
#include "tests/platform/temp_env.h"
#include "tests/platform/test_wait.h"

namespace talmi::winmsg {
namespace {

using test::ChildProcess;
using test::WaitUntil;
using test::WinmsgTool;

constexpr const char* kActivateName = "TALMI KT-380 Device";
constexpr const char* kDeviceInfoName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";

struct Arrival {
  uint32_t message;
  WPARAM wParam;
  LPARAM lParam;
  bool copy;
  uint64_t dwData;
  std::vector<uint8_t> data;
  std::thread::id thread;
};

// A sink that records what arrives and answers with a fixed result.
class RecordingSink : public IMessageSink {
 public:
  LRESULT Deliver(uint32_t message, WPARAM w, LPARAM l, const CopyData* c) override {
    Arrival a{message, w, l, c != nullptr, 0, {}, std::this_thread::get_id()};
    if (c != nullptr) {
      a.dwData = c->dwData;
      a.data.assign(c->data, c->data + c->size);
    }
    {
      std::lock_guard<std::mutex> guard(lock_);
      arrivals_.push_back(std::move(a));
    }
    if (onDeliver) return onDeliver(message, w, l);
    return answer;
  }
  std::vector<Arrival> Arrivals() {
    std::lock_guard<std::mutex> guard(lock_);
    return arrivals_;
  }
  size_t Count() {
    std::lock_guard<std::mutex> guard(lock_);
    return arrivals_.size();
  }

  LRESULT answer = 0;
  std::function<LRESULT(uint32_t, WPARAM, LPARAM)> onDeliver;

 private:
  std::mutex lock_;
  std::vector<Arrival> arrivals_;
};

class WinmsgBus : public test::TempUserFolders {
 protected:
  // Dispatches window until the sink holds count arrivals (generous bound).
  bool PumpUntil(CBusWindow& window, RecordingSink& sink, size_t count) {
    return WaitUntil([&] {
      window.Dispatch();
      return sink.Count() >= count;
    });
  }
  // Dispatches for as long as a child runs, then once more.
  void PumpWhileRunning(CBusWindow& window, pid_t child, int& status) {
    ASSERT_TRUE(WaitUntil([&] {
      window.Dispatch();
      return ::waitpid(child, &status, WNOHANG) == child;
    }));
    window.Dispatch();
  }
};

TEST_F(WinmsgBus, WindowsAreFoundByClassAndTitle) {
  RecordingSink sink;
  CBusWindow main, recorder;
  ASSERT_EQ(main.Create("MainWnd", kActivateName, &sink), kBusOk);
  ASSERT_EQ(recorder.Create("TALMI KT-380 DeviceAudioRecord", "TALMI KT-380 DeviceAUDIORECORD",
                            &sink), kBusOk);
  struct Case {
    const char* className;
    const char* title;
    WindowHandle expected;
  };
  const Case cases[] = {
      {"MainWnd", nullptr, main.Handle()},
      {nullptr, kActivateName, main.Handle()},
      {"mainwnd", "talmi kt-380 device", main.Handle()},
      {"TALMI KT-380 DeviceAudioRecord", "TALMI KT-380 DeviceAUDIORECORD", recorder.Handle()},
      {"MainWnd", "TALMI KT-380 DeviceAUDIORECORD", 0},
      {"MainWn", nullptr, 0},
      {nullptr, "DovaVire", 0},
      {nullptr, nullptr, std::min(main.Handle(), recorder.Handle())},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindWindow(c.className, c.title), c.expected)
        << (c.className ? c.className : "*") << " / " << (c.title ? c.title : "*");
  }
  ASSERT_EQ(recorder.SetTitle("DovaVire"), kBusOk);
  EXPECT_EQ(FindWindow(nullptr, "DovaVire"), recorder.Handle());
  recorder.Destroy();
  EXPECT_EQ(FindWindow(nullptr, "DovaVire"), 0u);
  EXPECT_EQ(ListWindows().size(), 1u);
}

TEST_F(WinmsgBus, BusFolderIsPrivate) {
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);
  struct stat st {};
  ASSERT_EQ(::stat(BusFolder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, ::geteuid());
  ASSERT_EQ(::stat(SocketPathOf(BusFolder(), w.Handle()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST_F(WinmsgBus, BroadcastOfTheActivationMessageReachesARegisteredWindow) {
  // Other names first, so that this process's number for the name differs
  // from the broadcaster's: only the name travels.
  RegisterWindowMessage("some other message");
  const uint32_t activate = RegisterWindowMessage(kActivateName);
  RecordingSink sink;
  CBusWindow main;
  ASSERT_EQ(main.Create("MainWnd", kActivateName, &sink), kBusOk);
  std::string line;
  ASSERT_EQ(test::RunTool({WinmsgTool(), "broadcast", kActivateName, "0", "1"}, &line), 0);
  EXPECT_EQ(line, "reached 1");
  ASSERT_TRUE(PumpUntil(main, sink, 1));
  auto a = sink.Arrivals();
  EXPECT_EQ(a[0].message, activate);
  EXPECT_EQ(a[0].wParam, 0u);
  EXPECT_EQ(a[0].lParam, 1);
  EXPECT_FALSE(a[0].copy);
}

TEST_F(WinmsgBus, BroadcastFromThisProcessReachesEveryWindow) {
  const uint32_t state = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
  RecordingSink a, b;
  CBusWindow wa, wb;
  ASSERT_EQ(wa.Create("A", "a", &a), kBusOk);
  ASSERT_EQ(wb.Create("B", "b", &b), kBusOk);
  EXPECT_EQ(BroadcastMessage(state, 1, 1), 2);
  ASSERT_TRUE(PumpUntil(wa, a, 1));
  ASSERT_TRUE(PumpUntil(wb, b, 1));
  EXPECT_EQ(a.Arrivals()[0].message, state);
  EXPECT_EQ(b.Arrivals()[0].lParam, 1);
}

TEST_F(WinmsgBus, AWindowPosingAsDovaVireReceivesTheDeviceKindBlock) {
  ChildProcess dova;
  ASSERT_TRUE(dova.Start({WinmsgTool(), "listen", "--class", "DovaVireClass", "--title", "DovaVire",
                          "--count", "1", "--reply", "1"}));
  std::string line;
  ASSERT_TRUE(dova.ReadLine(line));
  ASSERT_EQ(line.rfind("ready ", 0), 0u) << line;
  WindowHandle to = FindWindow(nullptr, "DovaVire");
  ASSERT_NE(to, 0u);
  std::vector<uint8_t> block(1024);
  std::string hex;
  for (size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<uint8_t>((i * 31 + 7) & 0xFF);
    char two[3];
    std::snprintf(two, sizeof two, "%02x", block[i]);
    hex += two;
  }
  LRESULT result = 0;
  ASSERT_EQ(SendCopyData(to, 0x1234, 5, block, 5000, &result), kBusOk);
  EXPECT_EQ(result, 1);
  ASSERT_TRUE(dova.ReadLine(line));
  EXPECT_EQ(line, "copydata 5 1024 " + hex);
  EXPECT_EQ(dova.Wait(), 0);
}

TEST_F(WinmsgBus, CopyDataAndSendsAreAnsweredWithTheSinksResult) {
  const uint32_t request = RegisterWindowMessage(kDeviceInfoName);
  RecordingSink sink;
  sink.answer = 77;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);
  ASSERT_EQ(w.StartThread(), kBusOk);
  LRESULT result = 0;
  EXPECT_EQ(SendMessageTimeout(w.Handle(), request, 3, -4, 5000, &result), kBusOk);
  EXPECT_EQ(result, 77);
  const uint8_t bytes[] = {1, 2, 3};
  EXPECT_EQ(SendCopyData(w.Handle(), 9, 2, bytes, 5000, &result), kBusOk);
  EXPECT_EQ(SendCopyData(w.Handle(), 9, 1, {}, 5000, &result), kBusOk);  // empty block
  auto a = sink.Arrivals();
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0].message, request);
  EXPECT_EQ(a[0].wParam, 3u);
  EXPECT_EQ(a[0].lParam, -4);
  EXPECT_EQ(a[1].message, WM_COPYDATA);
  EXPECT_EQ(a[1].wParam, 9u);
  EXPECT_EQ(a[1].dwData, 2u);
  EXPECT_EQ(a[1].data, std::vector<uint8_t>(bytes, bytes + 3));
  EXPECT_TRUE(a[2].copy);
  EXPECT_TRUE(a[2].data.empty());
  EXPECT_NE(a[0].thread, std::this_thread::get_id());  // the receive thread
}

TEST_F(WinmsgBus, SendToAWindowThatNeverAnswersReturnsAfterItsTimeout) {
  const uint32_t request = RegisterWindowMessage(kDeviceInfoName);
  ChildProcess hung;
  ASSERT_TRUE(hung.Start({WinmsgTool(), "listen", "--class", "Hung", "--title", "Hung",
                          "--no-answer"}));
  std::string line;
  ASSERT_TRUE(hung.ReadLine(line));
  WindowHandle to = FindWindow("Hung", nullptr);
  ASSERT_NE(to, 0u);
  LRESULT result = 99;
  EXPECT_EQ(SendMessageTimeout(to, request, 0, 0, 200, &result), kBusTimeout);
  EXPECT_EQ(SendCopyData(to, 0, 10, std::vector<uint8_t>(40), 100, &result), kBusTimeout);
  EXPECT_EQ(result, 99);  // untouched
}

TEST_F(WinmsgBus, SenderWaitingOnADestroyedWindowReturnsAtOnce) {
  const uint32_t request = RegisterWindowMessage(kDeviceInfoName);
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);  // never dispatched
  std::atomic<int> rc{1000};
  std::thread sender([&] {
    LRESULT r = 0;
    rc = SendMessageTimeout(w.Handle(), request, 0, 0, 600000, &r);
  });
  // Destroy once the request waits in the window's queue.
  ASSERT_TRUE(WaitUntil([&] {
    pollfd p{w.Fd(), POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
  }));
  w.Destroy();
  ASSERT_TRUE(WaitUntil([&] { return rc.load() != 1000; }));
  sender.join();
  EXPECT_EQ(rc.load(), kBusNoWindow);
  EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(WinmsgBus, SendToOwnWindowFromItsDispatchThreadIsDirect) {
  const uint32_t outer = RegisterWindowMessage("outer message");
  const uint32_t inner = RegisterWindowMessage("inner message");
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);
  int innerRc = 0;
  LRESULT innerResult = 0;
  sink.onDeliver = [&](uint32_t message, WPARAM, LPARAM) -> LRESULT {
    if (message == outer) innerRc = SendMessageTimeout(w.Handle(), inner, 0, 0, 600000, &innerResult);
    return message == inner ? 5 : 6;
  };
  ASSERT_EQ(PostMessage(w.Handle(), outer, 0, 0), kBusOk);
  ASSERT_TRUE(PumpUntil(w, sink, 2));
  EXPECT_EQ(innerRc, kBusOk);
  EXPECT_EQ(innerResult, 5);
}

TEST_F(WinmsgBus, OnlyRegisteredMessagesAndCopyDataTravel) {
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);
  LRESULT r = 0;
  const uint32_t privateMessages[] = {0, 3090, 3091, WM_COPYDATA, WM_POWERBROADCAST, 0xBFFF, 0xFFFF};
  for (uint32_t m : privateMessages) {
    EXPECT_EQ(PostMessage(w.Handle(), m, 0, 0), kBusBadMessage) << m;
    EXPECT_EQ(SendMessageTimeout(w.Handle(), m, 0, 0, 100, &r), kBusBadMessage) << m;
    EXPECT_EQ(BroadcastMessage(m, 0, 0), kBusBadMessage) << m;
  }
  EXPECT_EQ(SendCopyData(w.Handle(), 0, 1, std::vector<uint8_t>(kMaxCopyDataBytes + 1), 100, &r),
            kBusBadMessage);
  const uint32_t known = RegisterWindowMessage("known");
  EXPECT_EQ(PostMessage(0, known, 0, 0), kBusNoWindow);
  EXPECT_EQ(PostMessage(MakeWindowHandle(::getpid(), 0x7FFFFFF0u), known, 0, 0), kBusNoWindow);
}

TEST_F(WinmsgBus, NamesThisProcessNeverRegisteredAreDropped) {
  const uint32_t known = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("MainWnd", "main", &sink), kBusOk);
  char handle[32];
  std::snprintf(handle, sizeof handle, "0x%" PRIx64, w.Handle());
  ASSERT_EQ(test::RunTool({WinmsgTool(), "post", "--handle", handle, "no such name here", "1", "2"}), 0);
  ASSERT_EQ(test::RunTool({WinmsgTool(), "post", "--handle", handle,
                           "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "0"}), 0);
  ASSERT_TRUE(PumpUntil(w, sink, 1));
  for (int i = 0; i < 5; ++i) w.Dispatch();
  auto a = sink.Arrivals();
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0].message, known);
  EXPECT_EQ(a[0].wParam, 1u);
  EXPECT_EQ(a[0].lParam, 0);
  EXPECT_EQ(LookupWindowMessage("no such name here"), 0u);
}

// Connects to a window's socket directly, as a hostile or broken peer would.
int RawConnect(WindowHandle h) {
  int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string path = SocketPathOf(BusFolder(), h);
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST_F(WinmsgBus, MalformedAndOversizedPacketsAreDropped) {
  const uint32_t known = RegisterWindowMessage("known");
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);
  WireMessage post;
  post.kind = WireKind::kPost;
  post.name = "known";
  std::vector<uint8_t> good;
  ASSERT_TRUE(EncodeWireMessage(post, good));
  std::vector<uint8_t> badMagic = good;
  badMagic[0] ^= 0xFF;
  std::vector<uint8_t> oversized(kMaxWireBytes + 64, 0);
  std::memcpy(oversized.data(), good.data(), sizeof(WireHeader));
  WireMessage reply;
  reply.kind = WireKind::kReply;
  std::vector<uint8_t> replyBytes;
  ASSERT_TRUE(EncodeWireMessage(reply, replyBytes));
  const std::vector<uint8_t> packets[] = {
      std::vector<uint8_t>(good.begin(), good.begin() + 8), badMagic, oversized, replyBytes,
      std::vector<uint8_t>(3, 0xAB)};
  for (const auto& p : packets) {
    int fd = RawConnect(w.Handle());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::send(fd, p.data(), p.size(), MSG_NOSIGNAL), static_cast<ssize_t>(p.size()));
    // The window hangs up without delivering or answering.
    ASSERT_TRUE(WaitUntil([&] {
      w.Dispatch();
      char c;
      return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0;
    }));
    ::close(fd);
  }
  EXPECT_EQ(sink.Count(), 0u);
  ASSERT_EQ(PostMessage(w.Handle(), known, 1, 1), kBusOk);  // still serving
  ASSERT_TRUE(PumpUntil(w, sink, 1));
}

TEST_F(WinmsgBus, APeerThatSaysNothingIsDroppedWithoutBlocking) {
  const uint32_t known = RegisterWindowMessage("known");
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);
  int silent = RawConnect(w.Handle());
  ASSERT_GE(silent, 0);
  ASSERT_EQ(PostMessage(w.Handle(), known, 0, 0), kBusOk);
  ASSERT_TRUE(PumpUntil(w, sink, 1));  // the silent peer holds up nobody
  ASSERT_TRUE(WaitUntil([&] {
    w.Dispatch();
    char c;
    return ::recv(silent, &c, 1, MSG_DONTWAIT) == 0;
  }));
  ::close(silent);
}

TEST_F(WinmsgBus, APeerOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
  const uint32_t known = RegisterWindowMessage("known");
  RecordingSink sink;
  CBusWindow w;
  ASSERT_EQ(w.Create("C", "T", &sink), kBusOk);
  // Open the path for the test only, so that the socket check is what refuses.
  const std::string socketPath = SocketPathOf(BusFolder(), w.Handle());
  for (std::string p = BusFolder(); p.size() >= Root().size(); p = p.substr(0, p.rfind('/'))) {
    ASSERT_EQ(::chmod(p.c_str(), 0711), 0) << p;
  }
  ASSERT_EQ(::chmod(socketPath.c_str(), 0777), 0);
  WireMessage post;
  post.kind = WireKind::kPost;
  post.name = "known";
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeWireMessage(post, bytes));
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(10);
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) ::_exit(11);
    if (::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) ::_exit(0);  // already cut
    char c;
    ::_exit(::recv(fd, &c, 1, 0) <= 0 ? 0 : 12);  // hung up, nothing answered
  }
  int status = 0;
  PumpWhileRunning(w, child, status);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(sink.Count(), 0u);
  (void)known;
}

TEST_F(WinmsgBus, EntriesOfADeadProcessAreCleanedUp) {
  const uint32_t known = RegisterWindowMessage("known");
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RecordingSink sink;
    auto* w = new CBusWindow;  // never destroyed: the process just dies
    ::_exit(w->Create("Gone", "gone", &sink) == kBusOk ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const WindowHandle gone = MakeWindowHandle(child, 1);
  // The child's serial continues the parent's counter; find its entry by pid.
  std::vector<std::string> leftovers;
  for (const auto& e : std::filesystem::directory_iterator(BusFolder())) {
    if (e.path().filename().string().rfind(std::to_string(child) + "-", 0) == 0) {
      leftovers.push_back(e.path().string());
    }
  }
  EXPECT_EQ(leftovers.size(), 2u);  // socket and description
  EXPECT_EQ(FindWindow("Gone", nullptr), 0u);
  for (const std::string& p : leftovers) EXPECT_FALSE(std::filesystem::exists(p)) << p;
  EXPECT_EQ(PostMessage(gone, known, 0, 0), kBusNoWindow);
}

}  // namespace
}  // namespace talmi::winmsg

namespace talmi::winmsg {
namespace {

// A program that registered a different name never sees the message: the
// recorder that registers "...EBF19" does not get the "...EBE19" commands.
TEST_F(WinmsgBus, AWindowThatRegisteredAnotherNameDoesNotGetTheMessage) {
  ChildProcess recorder;
  ASSERT_TRUE(recorder.Start({WinmsgTool(), "listen", "--class", "Recorder", "--title", "recorder",
                              "--only", "{4695579F-999A-41d4-9FAF-EFFCE93EBF19}", "--only",
                              "test done", "--reply", "1", "--count", "1"}));
  std::string line;
  ASSERT_TRUE(recorder.ReadLine(line));
  const uint32_t command = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
  const uint32_t done = RegisterWindowMessage("test done");
  WindowHandle to = FindWindow("Recorder", "recorder");
  ASSERT_NE(to, 0u);
  LRESULT result = -1;
  ASSERT_EQ(SendMessageTimeout(to, command, 2, 0, 10000, &result), kBusOk);
  EXPECT_EQ(result, 0);  // dropped: nobody answered 1
  ASSERT_EQ(SendMessageTimeout(to, done, 0, 0, 10000, &result), kBusOk);
  EXPECT_EQ(result, 1);
  ASSERT_TRUE(recorder.ReadLine(line));
  EXPECT_EQ(line, "message test done 0 0");  // the first one never arrived
  EXPECT_EQ(recorder.Wait(), 0);
}

}  // namespace
}  // namespace talmi::winmsg
