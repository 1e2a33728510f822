// The colour palette picked with real mouse events: the colour it reports
// is the colour drawn under the mouse.
#include <QImage>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "tests/toolkit/window_events.h"
#include "toolkit/color_palette.h"

namespace talmi::test {
namespace {

constexpr const char* kSkin =
    "<Window size=\"240,200\"><VerticalLayout inset=\"10,10,10,10\">"
    "<ColorPalette name=\"pal\" palletheight=\"140\" barheight=\"16\" selectcolor=\"#FFFF0000\"/>"
    "</VerticalLayout></Window>";

class PaletteTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    wnd = std::make_unique<TestWnd>(kSkin);
    ASSERT_TRUE(wnd->Create(nullptr, "palette", UI_WNDSTYLE_DIALOG, 0));
    wnd->ShowWindow(true, true);
    ASSERT_TRUE(WaitFor([&] { return wnd->Count(DUI_MSGTYPE_WINDOWINIT) == 1; }));
    pal = static_cast<CColorPaletteUI*>(wnd->FindControl("pal"));
    ASSERT_NE(pal, nullptr);
    wnd->onNotify = [this](TNotifyUI& msg) {
      if (msg.sType == DUI_MSGTYPE_COLORCHANGED && msg.pSender == pal) reported.push_back(pal->GetSelectColor());
    };
  }
  void TearDown() override {
    if (IsWindow(wnd->GetHWND())) DestroyWindow(wnd->GetHWND());
    wnd.reset();
    ToolkitTest::TearDown();
  }
  QImage Snapshot() {
    const std::string path = std::string(TALMI_BINARY_DIR) + "/toolkit_palette.png";
    EXPECT_TRUE(wnd->SaveAsPng(path));
    return QImage(QString::fromStdString(path));
  }
  static bool Near(DWORD a, QRgb b, int tolerance = 10) {
    return std::abs(static_cast<int>(ColorRed(a)) - qRed(b)) <= tolerance &&
           std::abs(static_cast<int>(ColorGreen(a)) - qGreen(b)) <= tolerance &&
           std::abs(static_cast<int>(ColorBlue(a)) - qBlue(b)) <= tolerance;
  }
  HWND H() const { return wnd->GetHWND(); }

  std::unique_ptr<TestWnd> wnd;
  CColorPaletteUI* pal = nullptr;
  std::vector<DWORD> reported;
};

TEST_F(PaletteTest, ClickInTheFieldReportsTheColourUnderTheMouse) {
  const RECT f = pal->GetPaletteRect();
  const int w = RectWidth(f), h = RectHeight(f);
  const POINT points[] = {{f.left + w / 4, f.top + h / 4}, {f.left + w * 3 / 4, f.top + h / 2},
                          {f.left + w / 2, f.top + h - 5}, {f.left + 3, f.top + 3}};
  pal->SetSelectColor(0xFF2080FF);  // a blue hue, so the field is not red
  for (const POINT& p : points) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    const QImage before = Snapshot();
    ASSERT_FALSE(before.isNull());
    reported.clear();
    ClickAt(H(), p);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], pal->GetSelectColor());
    EXPECT_TRUE(Near(reported[0], before.pixel(p.x, p.y)))
        << std::hex << reported[0] << " drawn " << before.pixel(p.x, p.y);
  }
}

TEST_F(PaletteTest, ClickOnTheHueBarTakesItsHue) {
  const RECT bar = pal->GetHueBarRect();
  const int y = (bar.top + bar.bottom) / 2;
  for (int x : {bar.left + RectWidth(bar) / 6, bar.left + RectWidth(bar) / 2, bar.right - 20}) {
    SCOPED_TRACE(x);
    pal->SetSelectColor(0xFFFF0000);  // full saturation and brightness: the colour is the hue itself
    const QImage before = Snapshot();
    reported.clear();
    ClickAt(H(), POINT{x, y});
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_TRUE(Near(reported[0], before.pixel(x, y), 14)) << std::hex << reported[0];
  }
}

TEST_F(PaletteTest, DragFollowsTheMouseAndStaysOnItsArea) {
  const RECT f = pal->GetPaletteRect();
  pal->SetSelectColor(0xFF00FF00);
  const POINT start{f.left + 10, f.bottom - 10};
  MoveTo(H(), start);
  SendMouse(H(), QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  MoveTo(H(), POINT{f.left + RectWidth(f) / 2, f.top + RectHeight(f) / 2}, Qt::LeftButton);
  const size_t afterInside = reported.size();
  EXPECT_GE(afterInside, 2u);
  // Far to the right of and above the field: full saturation and brightness
  // of the green hue, not a hue change from the bar below.
  MoveTo(H(), POINT{f.right + 200, f.top - 200}, Qt::LeftButton);
  EXPECT_EQ(pal->GetHue(), 120);
  EXPECT_EQ(pal->GetSaturation(), 100);
  EXPECT_EQ(pal->GetBrightness(), 100);
  EXPECT_EQ(pal->GetSelectColor(), 0xFF00FF00u);
  SendMouse(H(), QEvent::MouseButtonRelease, POINT{f.right + 200, f.top - 200}, Qt::LeftButton, Qt::NoButton);
  // After the release, moving changes nothing.
  const DWORD held = pal->GetSelectColor();
  const size_t count = reported.size();
  MoveTo(H(), POINT{f.left + 5, f.bottom - 5});
  EXPECT_EQ(pal->GetSelectColor(), held);
  EXPECT_EQ(reported.size(), count);
}

TEST_F(PaletteTest, SetColourReadsBackAndSendsNothing) {
  const struct {
    DWORD in, out;
  } cases[] = {{0xFF123456, 0xFF123456}, {0x00ABCDEF, 0xFFABCDEF}, {0xFF000000, 0xFF000000}, {0xFFFFFFFF, 0xFFFFFFFF}};
  for (const auto& c : cases) {
    pal->SetSelectColor(c.in);
    EXPECT_EQ(pal->GetSelectColor(), c.out);
  }
  ProcessUiEvents();
  EXPECT_TRUE(reported.empty());
}

TEST_F(PaletteTest, ClicksOutsideOrOnADisabledPaletteChangeNothing) {
  pal->SetSelectColor(0xFF336699);
  const RECT f = pal->GetPaletteRect();
  const RECT bar = pal->GetHueBarRect();
  ClickAt(H(), POINT{f.left + 5, (f.bottom + bar.top) / 2});  // the gap between field and bar
  pal->SetEnabled(false);
  ClickAt(H(), POINT{f.left + 20, f.top + 20});
  EXPECT_EQ(pal->GetSelectColor(), 0xFF336699u);
  EXPECT_TRUE(reported.empty());
  pal->SetEnabled(true);
  Snapshot();  // leaves the palette picture in the build folder
}

}  // namespace
}  // namespace talmi::test
