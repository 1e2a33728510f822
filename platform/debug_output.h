#pragma once
// Diagnostic lines for developers: off by default, on with --debug or
// TALMI_DEBUG=1. Lines are UTF-8 and go to stderr.
#include <functional>
#include <string_view>

namespace talmi {

// Cheap enough to test on every hot path; callers skip formatting when off.
bool DebugOutputEnabled();
void SetDebugOutputEnabled(bool on);

void DebugOutput(std::string_view line);

// Tests capture the lines; an empty sink restores stderr.
using DebugSink = std::function<void(std::string_view)>;
void SetDebugOutputSink(DebugSink sink);

// printf-style; formats nothing when output is off.
void DebugOutputF(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace talmi
