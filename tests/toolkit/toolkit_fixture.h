#pragma once
// Shared helpers of the toolkit tests: the test skin folder, waiting on a
// condition while the UI loop runs, and captured debug lines.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "toolkit/paint_manager.h"
#include "toolkit/resource_manager.h"
#include "toolkit/toolkit_app.h"

namespace talmi::test {

inline std::string DataDir() { return std::string(TALMI_SOURCE_DIR) + "/tests/toolkit/data/"; }

// Runs the UI loop until cond holds or a generous bound passes.
inline bool WaitFor(const std::function<bool()>& cond, int boundMs = 5000) {
  for (int waited = 0; waited < boundMs; waited += 5) {
    if (cond()) return true;
    ProcessUiEvents(5);
  }
  return cond();
}

// Collects debug lines while alive.
class DebugCapture {
 public:
  DebugCapture() : m_wasOn(DebugOutputEnabled()) {
    SetDebugOutputEnabled(true);
    SetDebugOutputSink([this](std::string_view l) { lines.emplace_back(l); });
  }
  ~DebugCapture() {
    SetDebugOutputSink({});
    SetDebugOutputEnabled(m_wasOn);
  }
  bool Contains(const std::string& part) const {
    for (const auto& l : lines)
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> lines;

 private:
  bool m_wasOn;
};

// Every test starts from the test skin folder and its resource index.
class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CResourceManager::GetInstance()->Release();
    CPaintManagerUI::SetResourceType(UILIB_FILE);
    CPaintManagerUI::SetResourcePath(DataDir());
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
  }
  void TearDown() override {
    ProcessUiEvents();
    CResourceManager::GetInstance()->Release();
  }
};

}  // namespace talmi::test
