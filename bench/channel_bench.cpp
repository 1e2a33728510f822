// CDeviceChannel against the simulated keyboard, with no latency and with
// USB pacing (one report per direction per millisecond):
//   - full transactions per second (a 6-byte status read: one request/reply);
//   - host time per transaction, median in µs (pacing off: what is left is
//     the channel, CHidDevice and the simulated bus hand-over);
//   - light frames per second through the stream path (170 lights, 510 bytes).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "sim/sim_bus.h"
#include "sim/sim_keyboard.h"
#include "transport/device_channel.h"
#include "transport/hid_device.h"

namespace talmi {
namespace {

constexpr size_t kLightBytes = 170 * 3;

class Rig {
 public:
  explicit Rig(bool pacing) {
    kb_ = MakeSimKeyboard();
    bus_.Plug(kb_.cable);
    bus_.SetPacing(pacing);
    RegisterSimBus(bus_);
    std::lock_guard<std::mutex> io(channel_.IoLock());
    ok_ = channel_.Cable().Open(CablePath(), true, true, true, false) != 0;
    channel_.SetLinkMode(1);
    channel_.SetOpen(ok_);
  }
  ~Rig() {
    {
      std::lock_guard<std::mutex> io(channel_.IoLock());
      channel_.SetOpen(false);
      channel_.Cable().Close();
    }
    UnregisterSimBus();
  }
  bool ok() const { return ok_; }
  CDeviceChannel& channel() { return channel_; }

 private:
  static std::string CablePath() {
    CHidDevice e;
    if (!e.Enumerate()) return {};
    while (const char* p = e.NextPath()) {
      std::string s(p);
      if (s.rfind("sim:keyboard?", 0) == 0 && s.find("&col04") != std::string::npos) return s;
    }
    return {};
  }

  CSimBus bus_;
  SimKeyboardSet kb_;
  CDeviceChannel channel_;
  bool ok_ = false;
};

double MedianMicros(std::vector<double>& samples) {
  if (samples.empty()) return 0;
  auto mid = samples.begin() + long(samples.size() / 2);
  std::nth_element(samples.begin(), mid, samples.end());
  return *mid;
}

void BM_Transaction(benchmark::State& state) {
  const bool pacing = state.range(0) != 0;
  SetDebugOutputEnabled(false);
  Rig rig(pacing);
  if (!rig.ok()) {
    state.SkipWithError("simulated keyboard not reachable");
    return;
  }
  uint8_t status[6];
  std::vector<double> micros;
  micros.reserve(1 << 16);
  int failures = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const int r = rig.channel().ReadStatusBlock(status, 0);
    const auto t1 = std::chrono::steady_clock::now();
    failures += (r != kResultOk);
    micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    benchmark::DoNotOptimize(status);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["median_us"] = MedianMicros(micros);
  state.counters["failures"] = failures;
}
BENCHMARK(BM_Transaction)->ArgName("pacing")->Arg(0)->Arg(1)->UseRealTime();

// The same with the hex dumps on (into a sink that drops them): what the
// dumps cost, and what switching them off saves.
void BM_TransactionDebugDumps(benchmark::State& state) {
  Rig rig(false);
  if (!rig.ok()) {
    state.SkipWithError("simulated keyboard not reachable");
    return;
  }
  SetDebugOutputSink([](std::string_view) {});
  SetDebugOutputEnabled(true);
  uint8_t status[6];
  std::vector<double> micros;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(rig.channel().ReadStatusBlock(status, 0));
    micros.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
  }
  SetDebugOutputEnabled(false);
  SetDebugOutputSink({});
  state.SetItemsProcessed(state.iterations());
  state.counters["median_us"] = MedianMicros(micros);
}
BENCHMARK(BM_TransactionDebugDumps)->UseRealTime();

void BM_StreamLightFrame(benchmark::State& state) {
  const bool pacing = state.range(0) != 0;
  SetDebugOutputEnabled(false);
  Rig rig(pacing);
  if (!rig.ok()) {
    state.SkipWithError("simulated keyboard not reachable");
    return;
  }
  std::vector<uint8_t> lights(kLightBytes);
  uint8_t step = 0;
  int failures = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < lights.size(); ++i) lights[i] = uint8_t(i + step);
    ++step;
    failures += rig.channel().StreamLightFrame(lights) != kResultOk;
  }
  state.SetItemsProcessed(state.iterations());  // frames
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kLightBytes));
  state.counters["failures"] = failures;
}
BENCHMARK(BM_StreamLightFrame)->ArgName("pacing")->Arg(0)->Arg(1)->UseRealTime();

}  // namespace
}  // namespace talmi

BENCHMARK_MAIN();
