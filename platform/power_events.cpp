#include "platform/power_events.h"

#include <fcntl.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform/debug_output.h"
#include "platform/folders.h"

namespace talmi {
namespace {

constexpr const char* kInhibitWhat = "sleep";
constexpr const char* kInhibitWhy = "Switch device lighting off before sleep";
constexpr const char* kInhibitMode = "delay";

}  // namespace

struct CPowerEvents::Bus {
  sd_bus* bus = nullptr;
  sd_bus_slot* match = nullptr;
  sd_bus_slot* inhibitCall = nullptr;
  winmsg::IMessageSink* sink = nullptr;
  int inhibitFd = -1;

  ~Bus() {
    ReleaseInhibitor();
    sd_bus_slot_unref(inhibitCall);
    sd_bus_slot_unref(match);
    sd_bus_flush_close_unref(bus);
  }

  void ReleaseInhibitor() {
    if (inhibitFd >= 0) ::close(inhibitFd);
    inhibitFd = -1;
  }

  static int OnInhibitReply(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* self = static_cast<Bus*>(userdata);
    self->inhibitCall = sd_bus_slot_unref(self->inhibitCall);
    int fd = -1;
    if (sd_bus_message_is_method_error(m, nullptr) || sd_bus_message_read(m, "h", &fd) < 0) {
      return 0;  // no logind, or it refused: events still arrive, undelayed
    }
    self->ReleaseInhibitor();
    self->inhibitFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    return 0;
  }

  // Asked without waiting, so a logind that hangs cannot hold us up.
  void TakeInhibitor() {
    if (inhibitFd >= 0 || inhibitCall != nullptr) return;
    sd_bus_call_method_async(bus, &inhibitCall, kLogindService, kLogindPath, kLogindManager,
                             "Inhibit", OnInhibitReply, this, "ssss", kInhibitWhat, kProductName,
                             kInhibitWhy, kInhibitMode);
  }

  static int OnPrepareForSleep(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* self = static_cast<Bus*>(userdata);
    int goingToSleep = 0;
    if (sd_bus_message_read(m, "b", &goingToSleep) < 0) return 0;  // malformed: ignored
    if (goingToSleep) {
      DebugOutput("power: suspend");
      self->sink->Deliver(winmsg::WM_POWERBROADCAST, winmsg::PBT_APMSUSPEND, 0, nullptr);
      self->ReleaseInhibitor();  // handled: the machine may sleep now
    } else {
      DebugOutput("power: resume");
      self->TakeInhibitor();
      self->sink->Deliver(winmsg::WM_POWERBROADCAST, winmsg::PBT_APMRESUMEAUTOMATIC, 0, nullptr);
    }
    return 0;
  }

  // Runs the connection until the stop event; false when it broke.
  bool RunOnce(const WorkerParam& p) {
    for (;;) {
      int r = sd_bus_process(bus, nullptr);
      if (r < 0) return false;
      if (r == 0) break;
      if (p.StopRequested()) return true;
    }
    int fd = sd_bus_get_fd(bus);
    int events = sd_bus_get_events(bus);
    if (fd < 0 || events < 0) return false;
    uint64_t usec = UINT64_MAX;
    sd_bus_get_timeout(bus, &usec);
    int timeoutMs = -1;
    if (usec != UINT64_MAX) {
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      uint64_t nowUsec = static_cast<uint64_t>(now.tv_sec) * 1000000u + now.tv_nsec / 1000;
      timeoutMs = usec <= nowUsec ? 0 : static_cast<int>((usec - nowUsec + 999) / 1000);
    }
    pollfd fds[3] = {{fd, static_cast<short>(events), 0},
                     {p.stopEvent->Fd(), POLLIN, 0},
                     {p.AbortFd(), POLLIN, 0}};
    if (::poll(fds, 3, timeoutMs) < 0 && errno != EINTR) return false;
    return true;
  }
};

CPowerEvents::CPowerEvents() = default;

CPowerEvents::~CPowerEvents() { Stop(); }

int CPowerEvents::Start(winmsg::IMessageSink* sink, const std::string& busAddress) {
  Stop();
  if (sink == nullptr) return 0;
  auto b = std::make_unique<Bus>();
  b->sink = sink;
  int r;
  if (busAddress.empty()) {
    r = sd_bus_open_system(&b->bus);
  } else {
    r = sd_bus_new(&b->bus);
    if (r >= 0) r = sd_bus_set_address(b->bus, busAddress.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(b->bus, 1);
    if (r >= 0) r = sd_bus_start(b->bus);
  }
  if (r >= 0) {
    r = sd_bus_match_signal(b->bus, &b->match, kLogindService, kLogindPath, kLogindManager,
                            kPrepareForSleep, Bus::OnPrepareForSleep, b.get());
  }
  if (r < 0) {
    DebugOutput("power: no system bus; no suspend or resume events");
    return 0;
  }
  b->TakeInhibitor();
  bus_ = std::move(b);
  int started = thread_.Start(bus_.get(), [](const WorkerParam& p) {
    auto* bus = static_cast<Bus*>(p.owner);
    while (!p.StopRequested()) {
      if (!bus->RunOnce(p)) {
        DebugOutput("power: system bus connection lost");
        return;
      }
    }
  });
  if (started != 1) {
    bus_.reset();
    return 0;
  }
  return 1;
}

void CPowerEvents::Stop() {
  thread_.Stop();
  bus_.reset();
}

}  // namespace talmi
