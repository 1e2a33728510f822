// Window behaviours driven through the native widgets: modal loops, system
// commands, top-most and tool windows, close on deactivation, anchoring and
// the screen messages.
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "tests/toolkit/window_events.h"
#include "toolkit/window_place.h"

namespace talmi::test {
namespace {

class WindowBehaviourTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    owner = std::make_unique<TestWnd>("XML_SMALL");
    ASSERT_TRUE(owner->Create(nullptr, "owner", UI_WNDSTYLE_DIALOG, 0, 40, 40, 360, 240));
    owner->ShowWindow(true, true);
    ASSERT_TRUE(WaitFor([&] { return owner->Count(DUI_MSGTYPE_WINDOWINIT) == 1; }));
  }
  void TearDown() override {
    if (IsWindow(owner->GetHWND())) DestroyWindow(owner->GetHWND());
    owner.reset();
    ToolkitTest::TearDown();
  }
  static int CountOf(const TestWnd& w, UINT m) {
    int n = 0;
    for (UINT x : w.messages)
      if (x == m) ++n;
    return n;
  }
  std::unique_ptr<TestWnd> owner;
};

TEST_F(WindowBehaviourTest, ModalWindowBlocksItsOwnerAndReturnsItsCloseCode) {
  TestWnd dialog("XML_MODAL");
  ASSERT_TRUE(dialog.Create(owner->GetHWND(), "modal", UI_WNDSTYLE_DIALOG, 0));
  const HWND ownerHwnd = owner->GetHWND();
  const POINT inside{100, 100};
  int downsDuringModal = -1;
  bool ownerAliveAfterEscape = false;
  QTimer::singleShot(0, [&] {
    const int before = CountOf(*owner, WM_LBUTTONDOWN);
    ClickAt(ownerHwnd, inside);
    PressKey(ownerHwnd, Qt::Key_Escape);  // would close the owner if it got through
    ProcessUiEvents();
    downsDuringModal = CountOf(*owner, WM_LBUTTONDOWN) - before;
    ownerAliveAfterEscape = IsWindow(ownerHwnd);
    dialog.Close(5);
  });
  EXPECT_EQ(dialog.ShowModal(), 5u);
  EXPECT_EQ(downsDuringModal, 0);
  EXPECT_TRUE(ownerAliveAfterEscape);
  EXPECT_FALSE(IsWindow(dialog.GetHWND()));
  // Once the modal window is gone the owner takes input again.
  const int before = CountOf(*owner, WM_LBUTTONDOWN);
  ClickAt(ownerHwnd, inside);
  EXPECT_EQ(CountOf(*owner, WM_LBUTTONDOWN), before + 1);
}

TEST_F(WindowBehaviourTest, SystemCommandsChangeTheWindowState) {
  const HWND h = owner->GetHWND();
  const struct {
    WPARAM command;
    bool iconic, zoomed;
  } steps[] = {
      {SC_MAXIMIZE, false, true}, {SC_RESTORE, false, false}, {SC_MINIMIZE, true, false},
      {SC_RESTORE, false, false}, {SC_MAXIMIZE, false, true}, {SC_MINIMIZE, true, false},
      {SC_RESTORE, false, true},  // back to maximised, where it was minimised from
      {SC_RESTORE, false, false},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.command);
    SendMessage(h, WM_SYSCOMMAND, s.command, 0);
    EXPECT_TRUE(WaitFor([&] { return IsIconic(h) == s.iconic && IsZoomed(h) == s.zoomed; }));
  }
  SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(h); }));
}

TEST_F(WindowBehaviourTest, ToolAndTopMostStylesReachTheNativeWindow) {
  TestWnd tool("XML_MODAL");
  ASSERT_TRUE(tool.Create(owner->GetHWND(), "tool", UI_WNDSTYLE_DIALOG, WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
  QWidget* host = HostWidget(tool.GetHWND());
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(IsTopMost(tool.GetHWND()));
  tool.ShowWindow(true, false);
  ASSERT_TRUE(SetTopMost(tool.GetHWND(), false));
  EXPECT_FALSE(IsTopMost(tool.GetHWND()));
  EXPECT_TRUE(IsWindowVisible(tool.GetHWND()));  // a flag change leaves it shown
  EXPECT_FALSE(IsTopMost(owner->GetHWND()));
  ASSERT_TRUE(SetTopMost(owner->GetHWND(), true));
  EXPECT_TRUE(IsTopMost(owner->GetHWND()));
  DestroyWindow(tool.GetHWND());
}

TEST_F(WindowBehaviourTest, ChooserClosesWhenAnotherWindowTakesTheFocus) {
  for (bool closes : {true, false}) {
    SCOPED_TRACE(closes);
    TestWnd chooser("XML_MODAL");
    ASSERT_TRUE(chooser.Create(owner->GetHWND(), "chooser", UI_WNDSTYLE_DIALOG, WS_EX_TOOLWINDOW));
    ASSERT_TRUE(SetCloseOnDeactivate(chooser.GetHWND(), closes));
    chooser.ShowWindow(true, true);
    QWidget* host = HostWidget(chooser.GetHWND());
    host->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == host; }));
    HostWidget(owner->GetHWND())->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == HostWidget(owner->GetHWND()); }));
    if (closes) {
      EXPECT_TRUE(WaitFor([&] { return !IsWindow(chooser.GetHWND()); }));
    } else {
      ProcessUiEvents();
      EXPECT_TRUE(IsWindow(chooser.GetHWND()));
      DestroyWindow(chooser.GetHWND());
    }
  }
}

TEST_F(WindowBehaviourTest, AnchoringPlacesAWindowNextToAControl) {
  CControlUI* anchor = owner->FindControl("minbtn");
  ASSERT_NE(anchor, nullptr);
  const RECT a = anchor->GetPos();
  TestWnd popup("XML_MODAL");
  ASSERT_TRUE(popup.Create(owner->GetHWND(), "popup", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 120, 80));
  POINT tl{a.left, a.top}, br{a.right, a.bottom};
  ASSERT_TRUE(ClientToScreen(owner->GetHWND(), &tl));
  ASSERT_TRUE(ClientToScreen(owner->GetHWND(), &br));
  const RECT area = GetMonitorWorkArea(owner->GetHWND());
  const struct {
    Anchor side;
    int x, y;
  } cases[] = {
      {Anchor::Below, tl.x, br.y + 4},
      {Anchor::Right, br.x + 4, tl.y},
      // No room above the title bar: it goes below instead.
      {Anchor::Above, tl.x, tl.y - 4 - 80 >= area.top ? tl.y - 4 - 80 : br.y + 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.side));
    ASSERT_TRUE(PlaceNextTo(popup.GetHWND(), owner->GetHWND(), a, c.side, 4));
    RECT rc{};
    GetWindowRect(popup.GetHWND(), &rc);
    EXPECT_EQ(rc.left, std::min(c.x, static_cast<int>(area.right) - 120));
    EXPECT_EQ(rc.top, c.y);
  }
  // An anchor at the bottom of the screen puts the window above it.
  MoveWindow(owner->GetHWND(), 40, area.bottom - 240, 360, 240);
  ProcessUiEvents();
  RECT bottomAnchor{10, 200, 60, 230};
  POINT at{bottomAnchor.left, bottomAnchor.top};
  ClientToScreen(owner->GetHWND(), &at);
  ASSERT_TRUE(PlaceNextTo(popup.GetHWND(), owner->GetHWND(), bottomAnchor, Anchor::Below));
  RECT rc{};
  GetWindowRect(popup.GetHWND(), &rc);
  EXPECT_EQ(rc.bottom, at.y);
  EXPECT_LE(rc.bottom, area.bottom);
  DestroyWindow(popup.GetHWND());
}

TEST_F(WindowBehaviourTest, WorkAreaIsTheWindowsMonitor) {
  const QRect g = QGuiApplication::primaryScreen()->availableGeometry();
  const RECT area = GetMonitorWorkArea(owner->GetHWND());
  EXPECT_EQ(area.left, g.left());
  EXPECT_EQ(area.top, g.top());
  EXPECT_EQ(RectWidth(area), g.width());
  EXPECT_EQ(RectHeight(area), g.height());
  const RECT none = GetMonitorWorkArea(nullptr);
  EXPECT_EQ(RectWidth(none), g.width());
  QCursor::setPos(QPoint(g.left() + 33, g.top() + 44));
  POINT cursor{};
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, g.left() + 33);
  EXPECT_EQ(cursor.y, g.top() + 44);
}

TEST_F(WindowBehaviourTest, ScreenChangesReachTheWindows) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const int baseDpi = static_cast<int>(screen->logicalDotsPerInch() + 0.5);
  RECT suggested{};
  WPARAM dpiWParam = 0;
  LPARAM displayLParam = 0;
  owner->onMessage = [&](UINT m, WPARAM w, LPARAM l, bool& handled) -> LRESULT {
    handled = false;
    if (m == WM_DPICHANGED) {
      dpiWParam = w;
      suggested = *reinterpret_cast<const RECT*>(l);
    }
    if (m == WM_DISPLAYCHANGE) displayLParam = l;
    return 0;
  };
  RECT before{};
  GetWindowRect(owner->GetHWND(), &before);
  const int target = baseDpi * 3 / 2;
  emit screen->logicalDotsPerInchChanged(target);
  EXPECT_EQ(CountOf(*owner, WM_DPICHANGED), 1);
  EXPECT_EQ(LOWORD(dpiWParam), target);
  EXPECT_EQ(HIWORD(dpiWParam), target);
  EXPECT_EQ(RectWidth(suggested), RectWidth(before) * target / baseDpi);
  EXPECT_EQ(suggested.left, before.left);
  emit screen->logicalDotsPerInchChanged(target);  // no change: nothing sent
  EXPECT_EQ(CountOf(*owner, WM_DPICHANGED), 1);
  emit screen->logicalDotsPerInchChanged(baseDpi);
  EXPECT_EQ(CountOf(*owner, WM_DPICHANGED), 2);
  EXPECT_EQ(LOWORD(dpiWParam), baseDpi);

  emit screen->geometryChanged(screen->geometry());
  EXPECT_EQ(CountOf(*owner, WM_DISPLAYCHANGE), 1);
  EXPECT_EQ(GET_X_LPARAM(displayLParam), screen->geometry().width());
  EXPECT_EQ(GET_Y_LPARAM(displayLParam), screen->geometry().height());
  owner->onMessage = nullptr;
}

}  // namespace
}  // namespace talmi::test
