#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/button.h"
#include "toolkit/win_messages.h"

namespace talmi::test {
namespace {

// The values other programs and the system's own code rely on.
static_assert(WM_CREATE == 0x0001 && WM_DESTROY == 0x0002 && WM_ACTIVATE == 0x0006 && WM_CLOSE == 0x0010);
static_assert(WM_COPYDATA == 0x004A && WM_DISPLAYCHANGE == 0x007E && WM_SYSCOMMAND == 0x0112);
static_assert(WM_TIMER == 0x0113 && WM_POWERBROADCAST == 0x0218 && WM_MOUSEHOVER == 0x02A1);
static_assert(WM_MOUSELEAVE == 0x02A3 && WM_DPICHANGED == 0x02E0 && WM_USER == 0x0400);
static_assert(SC_MINIMIZE == 0xF020 && SC_MAXIMIZE == 0xF030 && SC_CLOSE == 0xF060 && SC_RESTORE == 0xF120);
static_assert(PBT_APMSUSPEND == 4 && PBT_APMRESUMEAUTOMATIC == 18);

constexpr UINT kAsk = WM_USER + 1;
constexpr auto kBound = std::chrono::seconds(10);

class WindowTest : public ToolkitTest {};

TEST_F(WindowTest, CreateBuildsTheSkinAndSendsWindowInit) {
  TestWnd wnd("XML_MODAL");
  ASSERT_NE(wnd.Create(nullptr, "test", UI_WNDSTYLE_DIALOG, 0), nullptr);
  EXPECT_TRUE(wnd.SawMessage(WM_CREATE) || wnd.GetPaintManager().GetRoot() != nullptr);
  ASSERT_TRUE(WaitFor([&] { return wnd.Count(DUI_MSGTYPE_WINDOWINIT) == 1; }));
  EXPECT_EQ(wnd.seen.front().sender, "root");
  // The skin's size, at 96 DPI.
  RECT rc{};
  ASSERT_TRUE(GetClientRect(wnd.GetHWND(), &rc));
  EXPECT_EQ(RectWidth(rc), 200);
  EXPECT_EQ(RectHeight(rc), 120);
  EXPECT_TRUE(DestroyWindow(wnd.GetHWND()));
  EXPECT_FALSE(IsWindow(wnd.GetHWND()));
  EXPECT_EQ(wnd.finalMessages, 1);
}

TEST_F(WindowTest, AMissingSkinRefusesTheWindow) {
  DebugCapture debug;
  TestWnd wnd("XML_MISSING");
  EXPECT_EQ(wnd.Create(nullptr, "test", UI_WNDSTYLE_DIALOG, 0), nullptr);
  EXPECT_EQ(wnd.GetHWND(), nullptr);
  EXPECT_TRUE(debug.Contains("no_such_skin.xml"));
}

TEST_F(WindowTest, ShowModalReturnsTheCodeGivenToClose) {
  for (UINT code : {0u, 1u, 7u}) {
    SCOPED_TRACE(code);
    TestWnd owner("XML_MODAL");
    ASSERT_NE(owner.Create(nullptr, "owner", UI_WNDSTYLE_DIALOG, 0), nullptr);
    TestWnd dlg("XML_MODAL");
    ASSERT_NE(dlg.Create(owner.GetHWND(), "dlg", UI_WNDSTYLE_DIALOG, 0), nullptr);
    // The dialog closes itself from its own notification, as the message
    // window does on a button click.
    dlg.onNotify = [&](TNotifyUI& msg) {
      if (msg.sType == DUI_MSGTYPE_WINDOWINIT) static_cast<CButtonUI*>(dlg.FindControl("confirm_btn"))->Activate();
      if (msg.sType == DUI_MSGTYPE_CLICK) dlg.Close(code);
    };
    EXPECT_EQ(dlg.ShowModal(), code);
    EXPECT_FALSE(IsWindow(dlg.GetHWND()));
    EXPECT_EQ(dlg.Count(DUI_MSGTYPE_CLICK), 1);
    EXPECT_TRUE(IsWindow(owner.GetHWND()));
    DestroyWindow(owner.GetHWND());
  }
}

TEST_F(WindowTest, EscapeDismissesWithZero) {
  TestWnd dlg("XML_MODAL");
  ASSERT_NE(dlg.Create(nullptr, "dlg", UI_WNDSTYLE_DIALOG, 0), nullptr);
  dlg.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_WINDOWINIT) dlg.PostMessage(WM_KEYDOWN, 0x1B, 0);
  };
  EXPECT_EQ(dlg.ShowModal(), 0u);
}

TEST_F(WindowTest, WindowTimersDeliverWmTimerUntilKilled) {
  TestWnd wnd("XML_MODAL");
  ASSERT_NE(wnd.Create(nullptr, "t", UI_WNDSTYLE_DIALOG, 0), nullptr);
  ASSERT_TRUE(SetTimer(wnd.GetHWND(), 1011, 10));
  ASSERT_TRUE(SetTimer(wnd.GetHWND(), 1055, 10));
  ASSERT_TRUE(WaitFor([&] { return wnd.timers.size() >= 4; }));
  for (WPARAM id : wnd.timers) EXPECT_TRUE(id == 1011 || id == 1055);
  EXPECT_TRUE(KillTimer(wnd.GetHWND(), 1011));
  EXPECT_FALSE(KillTimer(wnd.GetHWND(), 1011));
  EXPECT_TRUE(KillTimer(wnd.GetHWND(), 1055));
  EXPECT_FALSE(SetTimer(nullptr, 1, 10));
  DestroyWindow(wnd.GetHWND());
}

TEST_F(WindowTest, SystemCommandsChangeTheWindowState) {
  TestWnd wnd("XML_MODAL");
  ASSERT_NE(wnd.Create(nullptr, "t", UI_WNDSTYLE_DIALOG, 0), nullptr);
  wnd.ShowWindow(true);
  EXPECT_TRUE(IsWindowVisible(wnd.GetHWND()));
  wnd.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
  EXPECT_TRUE(WaitFor([&] { return IsZoomed(wnd.GetHWND()); }));
  wnd.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
  EXPECT_TRUE(WaitFor([&] { return !IsZoomed(wnd.GetHWND()); }));
  wnd.ShowWindow(false);
  EXPECT_FALSE(IsWindowVisible(wnd.GetHWND()));
  // The close command ends the window through WM_CLOSE.
  wnd.SendMessage(WM_SYSCOMMAND, SC_CLOSE);
  EXPECT_FALSE(IsWindow(wnd.GetHWND()));
  EXPECT_TRUE(wnd.SawMessage(WM_CLOSE));
  EXPECT_TRUE(wnd.SawMessage(WM_DESTROY));
}

TEST_F(WindowTest, WorkerSendGetsTheUiThreadsAnswerAndPostsArrive) {
  TestWnd wnd("XML_MODAL");
  ASSERT_NE(wnd.Create(nullptr, "t", UI_WNDSTYLE_DIALOG, 0), nullptr);
  std::thread::id handlerThread;
  wnd.onMessage = [&](UINT m, WPARAM w, LPARAM, bool& handled) -> LRESULT {
    handled = m == kAsk;
    if (m == kAsk) handlerThread = std::this_thread::get_id();
    if (m == WM_USER + 10) PostQuitMessage(0);
    return m == kAsk ? static_cast<LRESULT>(w * 2) : 0;
  };
  const HWND h = wnd.GetHWND();
  std::thread worker;
  LRESULT answer = -1;
  wnd.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType != DUI_MSGTYPE_WINDOWINIT) return;
    worker = std::thread([h, &answer] {
      PostMessage(h, WM_USER + 9, 1, 2);
      answer = SendMessage(h, kAsk, 21, 0);
      PostMessage(h, WM_USER + 10, 0, 0);
    });
  };
  EXPECT_EQ(CPaintManagerUI::MessageLoop(), 0);
  ASSERT_TRUE(worker.joinable());
  worker.join();
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(handlerThread, std::this_thread::get_id());
  EXPECT_TRUE(wnd.SawMessage(WM_USER + 9));
  DestroyWindow(h);
  // A gone window takes nothing.
  EXPECT_FALSE(PostMessage(h, WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(h, kAsk, 1, 0), 0);
}

// The shut-down pattern: the destroy handler stops a worker that is blocked
// in a synchronous send to this very window.
TEST_F(WindowTest, AWorkerSendingDuringDestroyIsReleased) {
  for (bool destroyFromTheSentMessage : {false, true}) {
    SCOPED_TRACE(destroyFromTheSentMessage);
    TestWnd wnd("XML_MODAL");
    ASSERT_NE(wnd.Create(nullptr, "t", UI_WNDSTYLE_DIALOG, 0), nullptr);
    const HWND h = wnd.GetHWND();
    std::atomic<int> answered{0};
    std::promise<LRESULT> lastResult;
    std::future<LRESULT> workerDone = lastResult.get_future();
    std::thread worker;
    bool joinedInTime = false;
    wnd.onNotify = [&](TNotifyUI& msg) {
      if (msg.sType != DUI_MSGTYPE_WINDOWINIT) return;
      worker = std::thread([&] {
        LRESULT r = 1;
        while (r != 0) {
          r = SendMessage(h, kAsk, 1, 0);
          if (r != 0) ++answered;
        }
        lastResult.set_value(r);
      });
      SetTimer(h, 77, 1);
    };
    wnd.onMessage = [&](UINT m, WPARAM w, LPARAM, bool& handled) -> LRESULT {
      handled = false;
      if (m == kAsk) {
        handled = true;
        // Either the destroy starts inside the handler of a worker's send...
        if (destroyFromTheSentMessage && answered.load() >= 3) DestroyWindow(h);
        return 1;
      }
      // ...or from a timer while the worker waits for its next answer.
      if (m == WM_TIMER && w == 77 && !destroyFromTheSentMessage && answered.load() >= 3) DestroyWindow(h);
      if (m == WM_DESTROY) {
        // No UI events run from here on: the worker can only get out if
        // its send is released.
        joinedInTime = workerDone.wait_for(kBound) == std::future_status::ready;
      }
      return 0;
    };
    CPaintManagerUI::MessageLoop();  // ends with the window
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(joinedInTime);
    if (worker.joinable()) worker.join();
    ASSERT_EQ(workerDone.wait_for(kBound), std::future_status::ready);
    EXPECT_EQ(workerDone.get(), 0);
    EXPECT_GE(answered.load(), 3);
  }
}

TEST_F(WindowTest, MessageLoopEndsWithTheQuitMessageAndThenReleasesSenders) {
  TestWnd a("XML_MODAL");
  TestWnd b("XML_MODAL");
  ASSERT_NE(a.Create(nullptr, "a", UI_WNDSTYLE_DIALOG, 0), nullptr);
  ASSERT_NE(b.Create(nullptr, "b", UI_WNDSTYLE_DIALOG, 0), nullptr);
  a.onMessage = [&](UINT m, WPARAM, LPARAM, bool& handled) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(3);
    handled = false;
    return 0;
  };
  // A quit posted before the loop ends it at once, and only that loop.
  PostQuitMessage(4);
  EXPECT_EQ(CPaintManagerUI::MessageLoop(), 4);
  a.Close(0);
  EXPECT_EQ(CPaintManagerUI::MessageLoop(), 3);
  EXPECT_FALSE(IsWindow(a.GetHWND()));
  ASSERT_TRUE(IsWindow(b.GetHWND()));
  // The loop has ended: a worker's send to the remaining window does not wait.
  const HWND hb = b.GetHWND();
  auto r = std::async(std::launch::async, [hb] { return SendMessage(hb, kAsk, 5, 0); });
  ASSERT_EQ(r.wait_for(kBound), std::future_status::ready);
  EXPECT_EQ(r.get(), 0);
  DestroyWindow(hb);
}

TEST_F(WindowTest, MessageLoopEndsWhenTheLastWindowIsGone) {
  TestWnd a("XML_MODAL");
  ASSERT_NE(a.Create(nullptr, "a", UI_WNDSTYLE_DIALOG, 0), nullptr);
  a.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_WINDOWINIT) a.Close(0);
  };
  EXPECT_EQ(CPaintManagerUI::MessageLoop(), 0);
  EXPECT_FALSE(IsWindow(a.GetHWND()));
  EXPECT_EQ(a.finalMessages, 1);
}

TEST_F(WindowTest, OwnedWindowsGoFirstAndFindWindowSeesClassAndTitle) {
  TestWnd owner("XML_MODAL");
  ASSERT_NE(owner.Create(nullptr, "Owner Title", UI_WNDSTYLE_DIALOG, 0), nullptr);
  TestWnd child("XML_MODAL");
  ASSERT_NE(child.Create(owner.GetHWND(), "Child Title", UI_WNDSTYLE_DIALOG, 0), nullptr);
  EXPECT_EQ(FindWindow("TestWnd", "Child Title"), child.GetHWND());
  EXPECT_EQ(FindWindow("", "Owner Title"), owner.GetHWND());
  EXPECT_EQ(FindWindow("OtherWnd", ""), nullptr);
  DestroyWindow(owner.GetHWND());
  EXPECT_FALSE(IsWindow(child.GetHWND()));
  EXPECT_EQ(child.finalMessages, 1);
}

TEST_F(WindowTest, DpiScalesTheWindowAndRefusesOutOfRange) {
  TestWnd wnd("XML_MODAL");
  ASSERT_NE(wnd.Create(nullptr, "t", UI_WNDSTYLE_DIALOG, 0), nullptr);
  CPaintManagerUI& pm = wnd.GetPaintManager();
  EXPECT_TRUE(pm.SetDPI(144));
  RECT rc{};
  GetClientRect(wnd.GetHWND(), &rc);
  EXPECT_EQ(RectWidth(rc), 300);
  EXPECT_EQ(RectHeight(rc), 180);
  pm.DoLayout();
  // Fixed sizes of the skin scale with it (the button row is 32 high at 96).
  EXPECT_EQ(pm.FindControl("confirm_btn")->GetHeight(), 48);
  DebugCapture debug;
  EXPECT_FALSE(pm.SetDPI(200));
  EXPECT_FALSE(pm.SetDPI(0));
  EXPECT_EQ(pm.GetDPI(), 144);
  EXPECT_TRUE(debug.Contains("200"));
  CPaintManagerUI::SetAllDPI(96);
  EXPECT_EQ(pm.GetDPI(), 96);
  GetClientRect(wnd.GetHWND(), &rc);
  EXPECT_EQ(RectWidth(rc), 200);
  DestroyWindow(wnd.GetHWND());
}

TEST_F(WindowTest, DeletingAWindowObjectWithoutDestroyIsSafe) {
  HWND h = nullptr;
  {
    TestWnd wnd("XML_MODAL");
    h = wnd.Create(nullptr, "t", UI_WNDSTYLE_DIALOG, 0);
    ASSERT_NE(h, nullptr);
    SetTimer(h, 5, 1);
    wnd.GetPaintManager().SetTimer(wnd.FindControl("confirm_btn"), 9, 1);
  }
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(SendMessage(h, WM_USER, 0, 0), 0);
  ProcessUiEvents(20);
}

}  // namespace
}  // namespace talmi::test
