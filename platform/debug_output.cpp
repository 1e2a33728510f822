#include "platform/debug_output.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace talmi {
namespace {

bool EnvWantsDebug() {
  const char* v = std::getenv("TALMI_DEBUG");
  return v != nullptr && std::strcmp(v, "1") == 0;
}

std::atomic<bool>& Flag() {
  static std::atomic<bool> flag{EnvWantsDebug()};
  return flag;
}

std::mutex& LineLock() {
  static std::mutex lock;
  return lock;
}

DebugSink& Sink() {
  static DebugSink sink;
  return sink;
}

}  // namespace

bool DebugOutputEnabled() { return Flag().load(std::memory_order_relaxed); }

void SetDebugOutputEnabled(bool on) { Flag().store(on, std::memory_order_relaxed); }

void DebugOutput(std::string_view line) {
  if (!DebugOutputEnabled()) return;
  std::lock_guard<std::mutex> guard(LineLock());
  if (Sink()) {
    Sink()(line);
    return;
  }
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
}

void SetDebugOutputSink(DebugSink sink) {
  std::lock_guard<std::mutex> guard(LineLock());
  Sink() = std::move(sink);
}

void DebugOutputF(const char* fmt, ...) {
  if (!DebugOutputEnabled()) return;
  char buf[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  DebugOutput(buf);
}

}  // namespace talmi
