#include "platform/power_events.h"

#include <fcntl.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <fstream>
#include <mutex>
#include <vector>

#include "tests/platform/child_process.h"
#include "tests/platform/temp_env.h"
#include "tests/platform/test_wait.h"

namespace talmi {
namespace {

using test::WaitUntil;
using winmsg::CopyData;
using winmsg::LPARAM;
using winmsg::LRESULT;
using winmsg::WPARAM;

// A private message bus for one test.
class PrivateBus {
 public:
  bool Start(const std::string& folder) {
    const std::string config = folder + "/bus.conf";
    std::ofstream(config) << R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" << folder << R"(/bus.sock</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
)";
    if (!daemon_.Start({"/usr/bin/dbus-daemon", "--config-file=" + config, "--nofork",
                        "--print-address=1"})) {
      return false;
    }
    return daemon_.ReadLine(address_) && !address_.empty();
  }
  const std::string& Address() const { return address_; }

 private:
  test::ChildProcess daemon_;
  std::string address_;
};

sd_bus* Connect(const std::string& address) {
  sd_bus* bus = nullptr;
  if (sd_bus_new(&bus) < 0) return nullptr;
  if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
      sd_bus_start(bus) < 0) {
    sd_bus_unref(bus);
    return nullptr;
  }
  return bus;
}

// Plays logind: owns its name, hands out inhibitor fds, emits PrepareForSleep.
// Driven from the test thread only (Pump), as sd-bus connections are not
// shared between threads.
class FakeLogind {
 public:
  ~FakeLogind() {
    for (int fd : lockReadEnds_) ::close(fd);
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
  }
  bool Start(const std::string& address) {
    bus_ = Connect(address);
    if (bus_ == nullptr) return false;
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Inhibit", "ssss", "h", &FakeLogind::OnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};
    return sd_bus_add_object_vtable(bus_, &slot_, kLogindPath, kLogindManager, vtable, this) >= 0 &&
           sd_bus_request_name(bus_, kLogindService, 0) >= 0;
  }
  void Pump() {
    while (sd_bus_process(bus_, nullptr) > 0) {
    }
  }
  bool Emit(bool goingToSleep) {
    int r = sd_bus_emit_signal(bus_, kLogindPath, kLogindManager, kPrepareForSleep, "b",
                               goingToSleep ? 1 : 0);
    return r >= 0 && sd_bus_flush(bus_) >= 0;
  }
  bool EmitMalformed() {
    int r = sd_bus_emit_signal(bus_, kLogindPath, kLogindManager, kPrepareForSleep, "s", "yes");
    return r >= 0 && sd_bus_flush(bus_) >= 0;
  }
  int InhibitCalls() const { return static_cast<int>(lockReadEnds_.size()); }
  // Whether the holder of the latest inhibitor still holds it.
  bool LatestLockHeld() const {
    if (lockReadEnds_.empty()) return false;
    pollfd p{lockReadEnds_.back(), POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;  // readable = end of file = released
  }
  std::string lastWhat, lastMode;

 private:
  static int OnInhibit(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* self = static_cast<FakeLogind*>(userdata);
    const char *what, *who, *why, *mode;
    if (sd_bus_message_read(m, "ssss", &what, &who, &why, &mode) < 0) return -EINVAL;
    self->lastWhat = what;
    self->lastMode = mode;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return -errno;
    self->lockReadEnds_.push_back(fds[0]);
    int r = sd_bus_reply_method_return(m, "h", fds[1]);
    ::close(fds[1]);  // the reply carries its own copy
    return r;
  }

  sd_bus* bus_ = nullptr;
  sd_bus_slot* slot_ = nullptr;
  std::vector<int> lockReadEnds_;
};

class PowerSink : public winmsg::IMessageSink {
 public:
  LRESULT Deliver(uint32_t message, WPARAM w, LPARAM, const CopyData*) override {
    std::lock_guard<std::mutex> guard(lock_);
    events_.push_back({message, w, heldDuringDelivery ? heldDuringDelivery() : false});
    return 1;
  }
  struct Event {
    uint32_t message;
    WPARAM pbt;
    bool lockHeld;
  };
  std::vector<Event> Events() {
    std::lock_guard<std::mutex> guard(lock_);
    return events_;
  }
  size_t Count() { return Events().size(); }
  std::function<bool()> heldDuringDelivery;

 private:
  std::mutex lock_;
  std::vector<Event> events_;
};

class PowerEvents : public test::TempUserFolders {};

TEST_F(PowerEvents, SuspendAndResumeFromLogindArriveAsPowerBroadcasts) {
  PrivateBus bus;
  ASSERT_TRUE(bus.Start(Root())) << "dbus-daemon did not start";
  FakeLogind logind;
  ASSERT_TRUE(logind.Start(bus.Address()));
  PowerSink sink;
  sink.heldDuringDelivery = [&] { return logind.LatestLockHeld(); };
  CPowerEvents power;
  ASSERT_EQ(power.Start(&sink, bus.Address()), 1);
  EXPECT_TRUE(power.Listening());
  // It takes a delay inhibitor as soon as it listens.
  ASSERT_TRUE(WaitUntil([&] {
    logind.Pump();
    return logind.InhibitCalls() == 1;
  }));
  EXPECT_EQ(logind.lastWhat, "sleep");
  EXPECT_EQ(logind.lastMode, "delay");
  EXPECT_TRUE(WaitUntil([&] { return logind.LatestLockHeld(); }));

  ASSERT_TRUE(logind.Emit(true));
  ASSERT_TRUE(WaitUntil([&] { return sink.Count() == 1; }));
  // Released only after the suspend was handled.
  ASSERT_TRUE(WaitUntil([&] { return !logind.LatestLockHeld(); }));

  ASSERT_TRUE(logind.Emit(false));
  ASSERT_TRUE(WaitUntil([&] { return sink.Count() == 2; }));
  ASSERT_TRUE(WaitUntil([&] {
    logind.Pump();
    return logind.InhibitCalls() == 2;  // taken again for the next sleep
  }));

  auto events = sink.Events();
  EXPECT_EQ(events[0].message, winmsg::WM_POWERBROADCAST);
  EXPECT_EQ(events[0].pbt, winmsg::PBT_APMSUSPEND);
  EXPECT_TRUE(events[0].lockHeld);
  EXPECT_EQ(events[1].message, winmsg::WM_POWERBROADCAST);
  EXPECT_EQ(events[1].pbt, winmsg::PBT_APMRESUMEAUTOMATIC);
  power.Stop();
  EXPECT_FALSE(power.Listening());
}

TEST_F(PowerEvents, SignalsFromImpostorsAndMalformedSignalsAreIgnored) {
  PrivateBus bus;
  ASSERT_TRUE(bus.Start(Root()));
  FakeLogind logind;
  ASSERT_TRUE(logind.Start(bus.Address()));
  PowerSink sink;
  CPowerEvents power;
  ASSERT_EQ(power.Start(&sink, bus.Address()), 1);
  sd_bus* impostor = Connect(bus.Address());
  ASSERT_NE(impostor, nullptr);
  ASSERT_GE(sd_bus_emit_signal(impostor, kLogindPath, kLogindManager, kPrepareForSleep, "b", 1), 0);
  ASSERT_GE(sd_bus_flush(impostor), 0);
  ASSERT_TRUE(logind.EmitMalformed());
  ASSERT_TRUE(logind.Emit(false));
  ASSERT_TRUE(WaitUntil([&] {
    logind.Pump();
    return sink.Count() >= 1;
  }));
  power.Stop();  // everything queued before has been handled or dropped
  auto events = sink.Events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].pbt, winmsg::PBT_APMRESUMEAUTOMATIC);
  sd_bus_flush_close_unref(impostor);
}

TEST_F(PowerEvents, WithoutABusThereAreNoEventsAndNoError) {
  PowerSink sink;
  CPowerEvents power;
  EXPECT_EQ(power.Start(&sink, "unix:path=" + Root() + "/no-such-bus"), 0);
  EXPECT_FALSE(power.Listening());
  test::ScopedEnv env("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + Root() + "/no-such-bus");
  EXPECT_EQ(power.Start(&sink), 0);
  power.Stop();
  EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(PowerEvents, ABusWithoutLogindGivesNoEventsAndNoError) {
  PrivateBus bus;
  ASSERT_TRUE(bus.Start(Root()));
  PowerSink sink;
  CPowerEvents power;
  EXPECT_EQ(power.Start(&sink, bus.Address()), 1);
  power.Stop();
  EXPECT_EQ(sink.Count(), 0u);
}

}  // namespace
}  // namespace talmi
