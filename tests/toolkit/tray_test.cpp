// The notification-area icon: activations become the callback message, and
// a desktop without a notification area is refused cleanly.
#include <QSystemTrayIcon>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/tray_icon.h"
#include "toolkit/tray_icon_qt.h"

namespace talmi::test {
namespace {

class TrayTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    wnd = std::make_unique<TestWnd>("XML_SMALL");
    ASSERT_TRUE(wnd->Create(nullptr, "tray owner", UI_WNDSTYLE_DIALOG, 0));
    wnd->onMessage = [this](UINT m, WPARAM w, LPARAM l, bool& handled) -> LRESULT {
      handled = false;
      if (m == UIMSG_TRAYICON) callbacks.push_back({w, l});
      return 0;
    };
  }
  void TearDown() override {
    if (IsWindow(wnd->GetHWND())) DestroyWindow(wnd->GetHWND());
    wnd.reset();
    ToolkitTest::TearDown();
  }
  std::unique_ptr<TestWnd> wnd;
  std::vector<std::pair<WPARAM, LPARAM>> callbacks;
};

TEST_F(TrayTest, ActivationsReachTheOwnerAsMouseMessages) {
  EXPECT_EQ(UIMSG_TRAYICON, 1025u);
  const struct {
    QSystemTrayIcon::ActivationReason reason;
    LPARAM expected;  // 0: nothing is sent
  } cases[] = {
      {QSystemTrayIcon::Trigger, 514},
      {QSystemTrayIcon::Context, 517},
      {QSystemTrayIcon::DoubleClick, static_cast<LPARAM>(WM_LBUTTONDBLCLK)},
      {QSystemTrayIcon::MiddleClick, 0},
      {QSystemTrayIcon::Unknown, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.reason));
    callbacks.clear();
    EXPECT_EQ(ReportTrayActivation(wnd->GetHWND(), UIMSG_TRAYICON, 7, c.reason), c.expected != 0);
    ProcessUiEvents();
    if (c.expected == 0) {
      EXPECT_TRUE(callbacks.empty());
      continue;
    }
    ASSERT_EQ(callbacks.size(), 1u);
    EXPECT_EQ(callbacks[0].first, 7u);
    EXPECT_EQ(callbacks[0].second, c.expected);
  }
}

TEST_F(TrayTest, AGoneOwnerGetsNothing) {
  HWND h = wnd->GetHWND();
  DestroyWindow(h);
  EXPECT_FALSE(ReportTrayActivation(h, UIMSG_TRAYICON, 1, QSystemTrayIcon::Trigger));
  CTrayIcon tray;
  EXPECT_FALSE(tray.CreateTrayIcon(h, 107, "TALMI KT-380 Device"));
  EXPECT_FALSE(tray.IsCreated());
}

TEST_F(TrayTest, WithoutANotificationAreaCreationFailsCleanly) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "this desktop has a notification area";
  DebugCapture capture;
  CTrayIcon tray;
  EXPECT_FALSE(tray.CreateTrayIcon(wnd->GetHWND(), 107, "TALMI KT-380 Device"));
  EXPECT_TRUE(capture.Contains("notification area"));
  EXPECT_FALSE(tray.IsCreated());
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_FALSE(tray.SetTooltipText("tip"));
  EXPECT_FALSE(tray.SetIcon(107));
  tray.SetShowIcon(true);
  tray.DeleteTrayIcon();
  EXPECT_FALSE(tray.IsVisible());
}

}  // namespace
}  // namespace talmi::test
