#pragma once
// Waiting on a condition with a generous bound instead of a fixed sleep.
#include <chrono>
#include <functional>
#include <thread>

namespace talmi::test {

inline constexpr int kConditionBoundMs = 10000;

inline bool WaitUntil(const std::function<bool()>& condition, int boundMs = kConditionBoundMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace talmi::test
