#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/layouts.h"
#include "toolkit/notify_pump.h"

namespace talmi::test {
namespace {

// A sub-page routed by its "virtualwnd" name.
class SubPage : public CNotifyPump {
 public:
  SubPage() {
    for (const char* type : kAllNotifyTypes)
      OnNotify(type, [this](TNotifyUI& msg) { got.push_back(msg.sType.str() + "@" + msg.pSender->GetName().str()); });
  }
  std::vector<std::string> got;
};

class Listener : public INotifyUI {
 public:
  void Notify(TNotifyUI& msg) override {
    types.push_back(msg.sType.str());
    last = msg;
  }
  std::vector<std::string> types;
  TNotifyUI last;
};

class NotifyTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    ASSERT_NE(wnd.Create(nullptr, "all", UI_WNDSTYLE_DIALOG, 0), nullptr);
    ASSERT_TRUE(WaitFor([&] { return wnd.Count(DUI_MSGTYPE_WINDOWINIT) == 1; }));
    wnd.seen.clear();
    ASSERT_TRUE(wnd.AddVirtualWnd("mainpage", &page));
    wnd.GetPaintManager().AddNotifier(&listener);
  }
  void TearDown() override {
    if (IsWindow(wnd.GetHWND())) DestroyWindow(wnd.GetHWND());
    ToolkitTest::TearDown();
  }
  CControlUI* Find(const char* name) { return wnd.FindControl(name); }
  TestWnd wnd{"XML_ALL"};
  SubPage page;
  Listener listener;
};

TEST_F(NotifyTest, EveryTypeReachesTheNotifiersAndTheSubPage) {
  CPaintManagerUI& pm = wnd.GetPaintManager();
  CControlUI* inPage = Find("DPI_slider_1");  // inside the "mainpage" container
  CControlUI* outside = Find("closebtn");
  ASSERT_EQ(inPage->GetVirtualWnd(), CDuiString("mainpage"));
  ASSERT_TRUE(outside->GetVirtualWnd().IsEmpty());
  std::vector<std::string> expectedPage;
  std::vector<std::string> expectedTypes;
  for (const char* type : kAllNotifyTypes) {
    pm.SendNotify(inPage, type, 11, 22);
    pm.SendNotify(outside, type);
    expectedPage.push_back(std::string(type) + "@DPI_slider_1");
    expectedTypes.push_back(type);
    expectedTypes.push_back(type);
  }
  EXPECT_EQ(listener.types, expectedTypes);
  ASSERT_EQ(wnd.seen.size(), expectedTypes.size());
  // Only the sub-page's own controls reach the sub-page.
  EXPECT_EQ(page.got, expectedPage);
  // The record carries its arguments, sender and virtual window.
  pm.SendNotify(inPage, DUI_MSGTYPE_VALUECHANGED, 11, 22);
  EXPECT_EQ(listener.last.pSender, inPage);
  EXPECT_EQ(listener.last.wParam, 11u);
  EXPECT_EQ(listener.last.lParam, 22);
  EXPECT_EQ(listener.last.sVirtualWnd, CDuiString("mainpage"));
  EXPECT_NE(listener.last.dwTimestamp, 0u);
}

TEST_F(NotifyTest, RemovedSubPagesAndNotifiersHearNothing) {
  CPaintManagerUI& pm = wnd.GetPaintManager();
  EXPECT_FALSE(wnd.AddVirtualWnd("MAINPAGE", &page));  // names ignore case
  EXPECT_TRUE(wnd.RemoveVirtualWnd("MainPage"));
  EXPECT_TRUE(pm.RemoveNotifier(&listener));
  pm.SendNotify(Find("DPI_slider_1"), DUI_MSGTYPE_CLICK);
  EXPECT_TRUE(page.got.empty());
  EXPECT_TRUE(listener.types.empty());
  EXPECT_EQ(wnd.Count(DUI_MSGTYPE_CLICK), 1);
}

TEST_F(NotifyTest, AsyncNotificationsArriveLaterAndNeverForADeletedSender) {
  CPaintManagerUI& pm = wnd.GetPaintManager();
  auto* bar = static_cast<CContainerUI*>(Find("title_bar"));
  CControlUI* label = Find("Title_Label");
  pm.SendNotify(Find("closebtn"), DUI_MSGTYPE_CLICK, 0, 0, true);
  pm.SendNotify(label, DUI_MSGTYPE_CLICK, 0, 0, true);
  EXPECT_TRUE(listener.types.empty());
  ASSERT_TRUE(bar->Remove(label));  // deleted before delivery
  ASSERT_TRUE(WaitFor([&] { return !listener.types.empty(); }));
  ProcessUiEvents(10);
  ASSERT_EQ(listener.types.size(), 1u);
  EXPECT_EQ(listener.last.pSender, Find("closebtn"));
}

TEST_F(NotifyTest, DeliveryStopsWhenAHandlerDeletesTheSender) {
  CPaintManagerUI& pm = wnd.GetPaintManager();
  auto* bar = static_cast<CContainerUI*>(Find("title_bar"));
  CControlUI* label = Find("Title_Label");
  Listener second;
  wnd.onNotify = [&](TNotifyUI& msg) {
    if (msg.pSender == label) bar->Remove(label);
  };
  pm.AddNotifier(&second);  // after the window in the list
  pm.SendNotify(label, DUI_MSGTYPE_CLICK);
  EXPECT_TRUE(second.types.empty());
  EXPECT_EQ(Find("Title_Label"), nullptr);
}

TEST_F(NotifyTest, ControlTimersSendTimerWithTheirIdUntilKilled) {
  CPaintManagerUI& pm = wnd.GetPaintManager();
  CControlUI* entry = Find("title_bar");
  CControlUI* other = Find("closebtn");
  ASSERT_TRUE(pm.SetTimer(entry, 1001, 5));
  ASSERT_TRUE(pm.SetTimer(other, 1007, 5));
  auto count = [&](const char* sender, WPARAM id) {
    int n = 0;
    for (const auto& s : wnd.seen)
      if (s.type == DUI_MSGTYPE_TIMER && s.sender == sender && s.wParam == id) ++n;
    return n;
  };
  ASSERT_TRUE(WaitFor([&] { return count("title_bar", 1001) >= 2 && count("closebtn", 1007) >= 2; }));
  EXPECT_TRUE(pm.KillTimer(entry, 1001));
  EXPECT_FALSE(pm.HasTimer(entry, 1001));
  EXPECT_FALSE(pm.KillTimer(entry, 1001));
  const int before = count("title_bar", 1001);
  ASSERT_TRUE(WaitFor([&] { return count("closebtn", 1007) >= 4; }));
  EXPECT_EQ(count("title_bar", 1001), before);
  // Only "timer" notifications, and no other sender.
  for (const auto& s : wnd.seen) {
    EXPECT_EQ(s.type, DUI_MSGTYPE_TIMER);
    EXPECT_TRUE(s.sender == "title_bar" || s.sender == "closebtn");
  }
}

TEST_F(NotifyTest, AControlDeletedWithARunningTimerIsForgotten) {
  CPaintManagerUI& pm = wnd.GetPaintManager();
  auto* bar = static_cast<CContainerUI*>(Find("title_bar"));
  CControlUI* btn = Find("closebtn");
  ASSERT_TRUE(pm.SetTimer(btn, 3, 1));
  ASSERT_TRUE(bar->Remove(btn));
  EXPECT_FALSE(pm.HasTimer(btn, 3));
  ProcessUiEvents(20);
  EXPECT_EQ(wnd.Count(DUI_MSGTYPE_TIMER), 0);
}

TEST_F(NotifyTest, FocusChangesNotifyKillAndSet) {
  CPaintManagerUI& pm = wnd.GetPaintManager();
  static_cast<CTabLayoutUI*>(Find("main_tab"))->SelectItem(1);
  CControlUI* edit = Find("DPI_edit_1");
  CControlUI* btn = Find("closebtn");
  edit->SetFocus();
  btn->SetFocus();
  std::vector<std::pair<std::string, std::string>> got;
  for (const auto& s : wnd.seen) got.emplace_back(s.type, s.sender);
  const std::vector<std::pair<std::string, std::string>> want = {
      {"setfocus", "DPI_edit_1"}, {"killfocus", "DPI_edit_1"}, {"setfocus", "closebtn"}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(pm.GetFocus(), btn);
  // A hidden control cannot take the focus.
  edit->SetVisible(false);
  edit->SetFocus();
  EXPECT_EQ(pm.GetFocus(), btn);
}

TEST_F(NotifyTest, WindowSizeGoesOutForTheRootOnResize) {
  wnd.ResizeClient(500, 350);
  ASSERT_TRUE(WaitFor([&] { return wnd.Count(DUI_MSGTYPE_WINDOWSIZE) >= 1; }));
  for (const auto& s : wnd.seen) {
    if (s.type == DUI_MSGTYPE_WINDOWSIZE) {
      EXPECT_EQ(s.sender, "root");
    }
  }
}

}  // namespace
}  // namespace talmi::test
