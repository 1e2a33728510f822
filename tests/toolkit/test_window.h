#pragma once
// A window over a test skin that records what reaches it.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/window_impl_base.h"

namespace talmi::test {

struct SeenNotify {
  std::string type;
  std::string sender;
  WPARAM wParam;
};

class TestWnd : public WindowImplBase {
 public:
  explicit TestWnd(std::string skin) : m_skin(std::move(skin)) {}
  CDuiString GetWindowClassName() const override { return "TestWnd"; }
  CDuiString GetSkinFile() override { return m_skin; }

  void Notify(TNotifyUI& msg) override {
    seen.push_back({msg.sType.str(), msg.pSender ? msg.pSender->GetName().str() : "", msg.wParam});
    if (onNotify) onNotify(msg);
    WindowImplBase::Notify(msg);
  }
  LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override {
    messages.push_back(uMsg);
    if (uMsg == WM_TIMER) timers.push_back(wParam);
    if (onMessage) return onMessage(uMsg, wParam, lParam, bHandled);
    bHandled = false;
    return 0;
  }
  void OnFinalMessage(HWND hWnd) override {
    WindowImplBase::OnFinalMessage(hWnd);
    ++finalMessages;
  }
  int Count(const std::string& type) const {
    int n = 0;
    for (const auto& s : seen)
      if (s.type == type) ++n;
    return n;
  }
  bool SawMessage(UINT m) const {
    for (UINT x : messages)
      if (x == m) return true;
    return false;
  }

  std::vector<SeenNotify> seen;
  std::vector<UINT> messages;
  std::vector<WPARAM> timers;
  int finalMessages = 0;
  std::function<void(TNotifyUI&)> onNotify;
  std::function<LRESULT(UINT, WPARAM, LPARAM, bool&)> onMessage;

 private:
  std::string m_skin;
};

}  // namespace talmi::test
