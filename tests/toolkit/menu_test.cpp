// Popup menus driven with real mouse and key events: a choice reaches the
// owner as WM_MENUCLICK with the item's name, and only a choice does.
#include <string>
#include <vector>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "tests/toolkit/window_events.h"
#include "toolkit/menu.h"

namespace talmi::test {
namespace {

class MenuTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    owner = std::make_unique<TestWnd>("XML_SMALL");
    ASSERT_TRUE(owner->Create(nullptr, "owner", UI_WNDSTYLE_DIALOG, 0));
    owner->ShowWindow(true, true);
    owner->onMessage = [this](UINT m, WPARAM w, LPARAM, bool& handled) -> LRESULT {
      handled = false;
      if (m != WM_MENUCLICK) return 0;
      const MenuCmd* cmd = MenuCmdFrom(w);
      commands.push_back(cmd ? cmd->szName.str() : "<null>");
      handled = true;
      return 0;
    };
  }
  void TearDown() override {
    if (IsWindow(owner->GetHWND())) DestroyWindow(owner->GetHWND());
    owner.reset();
    ToolkitTest::TearDown();
  }
  CMenuWnd* OpenMenu() {
    CMenuWnd* m = CMenuWnd::Open(owner->GetHWND(), "menu_test.xml", POINT{40, 40});
    if (m) menuHwnd = m->GetHWND();
    return m;
  }
  static int IndexOf(CMenuWnd* m, const std::string& name) {
    for (size_t i = 0; i < m->Items().size(); ++i)
      if (m->Items()[i].name.str() == name) return static_cast<int>(i);
    return -1;
  }
  static POINT RowCenter(CMenuWnd* m, const std::string& name) { return CenterOf(m->ItemRect(IndexOf(m, name))); }
  bool MenuGone() { return WaitFor([&] { return !IsWindow(menuHwnd); }); }

  std::unique_ptr<TestWnd> owner;
  std::vector<std::string> commands;
  HWND menuHwnd = nullptr;
};

TEST_F(MenuTest, ClickingAnItemSendsItsNameAndClosesTheMenu) {
  struct Case {
    const char* item;
  } cases[] = {{"about_menu"}, {"setwnd_menu"}, {"exit"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    commands.clear();
    CMenuWnd* m = OpenMenu();
    ASSERT_NE(m, nullptr);
    ClickAt(menuHwnd, RowCenter(m, c.item));
    ASSERT_TRUE(MenuGone());
    ASSERT_TRUE(WaitFor([&] { return !commands.empty(); }));
    EXPECT_EQ(commands, std::vector<std::string>{c.item});
  }
}

TEST_F(MenuTest, EscapeClosesWithoutACommand) {
  CMenuWnd* m = OpenMenu();
  ASSERT_NE(m, nullptr);
  MoveTo(menuHwnd, RowCenter(m, "about_menu"));
  PressKey(menuHwnd, Qt::Key_Escape);
  ASSERT_TRUE(MenuGone());
  ProcessUiEvents();
  EXPECT_TRUE(commands.empty());
}

TEST_F(MenuTest, DisabledItemsAndSeparatorsCannotBeChosen) {
  CMenuWnd* m = OpenMenu();
  ASSERT_NE(m, nullptr);
  ClickAt(menuHwnd, RowCenter(m, "locked_menu"));
  ClickAt(menuHwnd, CenterOf(m->ItemRect(2)));  // the separator
  ProcessUiEvents();
  EXPECT_TRUE(IsWindow(menuHwnd));
  EXPECT_TRUE(commands.empty());
  // Keys skip them as well: Down from "Settings" lands on "More".
  MoveTo(menuHwnd, RowCenter(m, "setwnd_menu"));
  PressKey(menuHwnd, Qt::Key_Down);
  EXPECT_EQ(m->HotIndex(), IndexOf(m, "more"));
  m->CloseMenu();
  ASSERT_TRUE(MenuGone());
}

TEST_F(MenuTest, SubMenuOpensOnHoverAndItsChoiceReachesTheOwner) {
  CMenuWnd* m = OpenMenu();
  ASSERT_NE(m, nullptr);
  MoveTo(menuHwnd, RowCenter(m, "more"));
  CMenuWnd* sub = m->SubMenu();
  ASSERT_NE(sub, nullptr);
  HWND subHwnd = sub->GetHWND();
  EXPECT_TRUE(IsWindowVisible(subHwnd));
  RECT parentRc{}, subRc{};
  GetWindowRect(menuHwnd, &parentRc);
  GetWindowRect(subHwnd, &subRc);
  EXPECT_GE(subRc.left, parentRc.right - 4);  // beside its parent, not over it
  // Moving back to a plain row closes the sub-menu.
  MoveTo(menuHwnd, RowCenter(m, "about_menu"));
  EXPECT_EQ(m->SubMenu(), nullptr);
  EXPECT_FALSE(IsWindow(subHwnd));
  MoveTo(menuHwnd, RowCenter(m, "more"));
  sub = m->SubMenu();
  ASSERT_NE(sub, nullptr);
  subHwnd = sub->GetHWND();
  ClickAt(subHwnd, CenterOf(sub->ItemRect(1)));
  ASSERT_TRUE(MenuGone());
  EXPECT_FALSE(IsWindow(subHwnd));
  ASSERT_TRUE(WaitFor([&] { return !commands.empty(); }));
  EXPECT_EQ(commands, std::vector<std::string>{"right_click"});
}

TEST_F(MenuTest, KeyboardChoosesInsideASubMenu) {
  CMenuWnd* m = OpenMenu();
  ASSERT_NE(m, nullptr);
  MoveTo(menuHwnd, RowCenter(m, "setwnd_menu"));
  PressKey(menuHwnd, Qt::Key_Down);   // More
  PressKey(menuHwnd, Qt::Key_Right);  // opens it, first item hot
  ASSERT_NE(m->SubMenu(), nullptr);
  HWND subHwnd = m->SubMenu()->GetHWND();
  PressKey(subHwnd, Qt::Key_Escape);  // only the sub-menu goes
  EXPECT_FALSE(IsWindow(subHwnd));
  EXPECT_TRUE(IsWindow(menuHwnd));
  PressKey(menuHwnd, Qt::Key_Right);
  ASSERT_NE(m->SubMenu(), nullptr);
  PressKey(m->SubMenu()->GetHWND(), Qt::Key_Return);
  ASSERT_TRUE(MenuGone());
  ASSERT_TRUE(WaitFor([&] { return !commands.empty(); }));
  EXPECT_EQ(commands, std::vector<std::string>{"left_click"});
}

TEST_F(MenuTest, ClosesWhenAnotherWindowTakesTheFocus) {
  CMenuWnd* m = OpenMenu();
  ASSERT_NE(m, nullptr);
  QWidget* menuHost = HostWidget(menuHwnd);
  ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == menuHost; }));
  HostWidget(owner->GetHWND())->activateWindow();
  ASSERT_TRUE(MenuGone());
  EXPECT_TRUE(commands.empty());
}

TEST_F(MenuTest, AlignmentPlacesTheMenuAroundThePoint) {
  const POINT pt{300, 300};
  struct Case {
    UINT align;
    bool leftOfPoint;
    bool abovePoint;
  } cases[] = {
      {eMenuAlignment_Left | eMenuAlignment_Top, false, false},
      {eMenuAlignment_Right | eMenuAlignment_Bottom, true, true},
      {eMenuAlignment_Left | eMenuAlignment_Bottom, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.align);
    CMenuWnd* m = CMenuWnd::Open(owner->GetHWND(), "menu_test.xml", pt, c.align);
    ASSERT_NE(m, nullptr);
    RECT rc{};
    GetWindowRect(m->GetHWND(), &rc);
    EXPECT_EQ(c.leftOfPoint ? rc.right : rc.left, pt.x);
    EXPECT_EQ(c.abovePoint ? rc.bottom : rc.top, pt.y);
    HWND h = m->GetHWND();
    m->CloseMenu();
    EXPECT_FALSE(IsWindow(h));
  }
}

TEST_F(MenuTest, OwnerDestroyedWhileTheMenuIsOpen) {
  CMenuWnd* m = OpenMenu();
  ASSERT_NE(m, nullptr);
  MoveTo(menuHwnd, RowCenter(m, "more"));
  ASSERT_NE(m->SubMenu(), nullptr);
  HWND subHwnd = m->SubMenu()->GetHWND();
  // A choice already made when the owner goes reaches nobody.
  ClickAt(subHwnd, CenterOf(m->SubMenu()->ItemRect(0)));
  DestroyWindow(owner->GetHWND());
  EXPECT_FALSE(IsWindow(menuHwnd));
  EXPECT_FALSE(IsWindow(subHwnd));
  ProcessUiEvents();
  EXPECT_TRUE(commands.empty());
}

TEST_F(MenuTest, UnreadableMenusOpenNothing) {
  DebugCapture capture;
  const char* inputs[] = {"no_such_menu.xml", "broken.xml", "<Menu></Menu>", "<Menu><MenuElement"};
  for (const char* in : inputs) {
    SCOPED_TRACE(in);
    EXPECT_EQ(CMenuWnd::Open(owner->GetHWND(), in, POINT{10, 10}), nullptr);
  }
  EXPECT_TRUE(capture.Contains("menu"));
}

TEST_F(MenuTest, OpenMenuRendersToPng) {
  CMenuWnd* m = OpenMenu();
  ASSERT_NE(m, nullptr);
  MoveTo(menuHwnd, RowCenter(m, "setwnd_menu"));
  EXPECT_TRUE(m->SaveAsPng(std::string(TALMI_BINARY_DIR) + "/toolkit_menu.png"));
  m->CloseMenu();
}

}  // namespace
}  // namespace talmi::test
