#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <string>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/palette.h"

namespace talmi::test {
namespace {

std::string OutPath(const char* name) { return std::string(TALMI_BINARY_DIR) + "/" + name; }

DWORD Pixel(const QImage& img, int x, int y) { return static_cast<DWORD>(img.pixel(x, y)); }

class RenderTest : public ToolkitTest {
 protected:
  // Renders an inline skin without a window and reads the PNG back.
  QImage Draw(const char* xml, const char* file) {
    CPaintManagerUI pm;
    CDialogBuilder b;
    CControlUI* root = b.Create(xml, "", nullptr, &pm);
    EXPECT_NE(root, nullptr);
    if (!root) return {};
    pm.AttachDialog(root);
    const std::string path = OutPath(file);
    EXPECT_TRUE(pm.SaveToPng(path.c_str()));
    return QImage(QString::fromStdString(path));
  }
};

TEST_F(RenderTest, SmallWindowAt96And144Dpi) {
  ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lang_en.xml"));
  TestWnd wnd("XML_SMALL");
  ASSERT_NE(wnd.Create(nullptr, "small", UI_WNDSTYLE_DIALOG, 0), nullptr);
  const std::string at96 = OutPath("toolkit_small_96.png");
  const std::string at144 = OutPath("toolkit_small_144.png");
  ASSERT_TRUE(wnd.SaveAsPng(at96.c_str()));
  ASSERT_TRUE(wnd.GetPaintManager().SetDPI(144));
  ASSERT_TRUE(wnd.SaveAsPng(at144.c_str()));
  QImage a(QString::fromStdString(at96));
  QImage b(QString::fromStdString(at144));
  ASSERT_FALSE(a.isNull());
  ASSERT_FALSE(b.isNull());
  EXPECT_EQ(a.size(), QSize(360, 240));
  EXPECT_EQ(b.size(), QSize(540, 360));
  // Title bar surface, window background, the primary button's accent face,
  // each where the skin puts it at either scale.
  for (auto [img, s] : {std::pair{&a, 2}, std::pair{&b, 3}}) {
    SCOPED_TRACE(s);
    EXPECT_EQ(Pixel(*img, 100 * s / 2, 2 * s / 2), kColorSurface);
    EXPECT_EQ(Pixel(*img, 2 * s / 2, 230 * s / 2), kColorWindow);
    // "Save": the last 80-wide button of the panel's bottom row.
    EXPECT_EQ(Pixel(*img, 300 * s / 2, 210 * s / 2), kColorAccent);
  }
  DestroyWindow(wnd.GetHWND());
}

TEST_F(RenderTest, ImageDescriptionsSourceFadeAndMissingFiles) {
  QImage img = Draw(
      "<Window size='40,10'><HorizontalLayout bkcolor='#FF000000'>"
      "<Control width='10' bkimage=\"file='images/swatch.png' source='1,1,3,7'\"/>"
      "<Control width='10' bkimage=\"file='images/swatch.png' source='5,1,7,7'\"/>"
      "<Control width='10' bkimage=\"file='images/swatch.png' fade='0'\"/>"
      "<Control width='10' bkimage='images/no_such.png'/>"
      "</HorizontalLayout></Window>",
      "toolkit_images.png");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(Pixel(img, 5, 5), 0xFF2F9BFFu);   // the blue half of the swatch, stretched
  EXPECT_EQ(Pixel(img, 15, 5), 0xFF30A46Cu);  // the green half
  EXPECT_EQ(Pixel(img, 25, 5), 0xFF000000u);  // fully faded: nothing drawn
  EXPECT_EQ(Pixel(img, 35, 5), 0xFF000000u);  // missing file: nothing drawn
}

TEST_F(RenderTest, NineSliceCornersKeepTheFrame) {
  // The swatch's 1-pixel white frame stays 1 pixel wide when stretched with corners.
  QImage img = Draw(
      "<Window size='40,40'><Control bkimage=\"file='images/swatch.png' corner='1,1,1,1'\"/></Window>",
      "toolkit_corner.png");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(Pixel(img, 0, 20), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(img, 20, 0), 0xFFFFFFFFu);
  EXPECT_NE(Pixel(img, 2, 20), 0xFFFFFFFFu);
}

TEST_F(RenderTest, BordersAndColours) {
  QImage img = Draw(
      "<Window size='30,30'><VerticalLayout bkcolor='#FF1F2229' bordersize='2' bordercolor='#FFE5484D'/></Window>",
      "toolkit_border.png");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(Pixel(img, 0, 15), kColorDanger);
  EXPECT_EQ(Pixel(img, 1, 15), kColorDanger);
  EXPECT_EQ(Pixel(img, 15, 15), kColorSurface);
}

TEST_F(RenderTest, SavingNeedsATreeAndAWritablePath) {
  DebugCapture debug;
  CPaintManagerUI empty;
  EXPECT_FALSE(empty.SaveToPng(OutPath("never.png").c_str()));
  CPaintManagerUI pm;
  CDialogBuilder b;
  pm.AttachDialog(b.Create("<Window size='10,10'><Control/></Window>", "", nullptr, &pm));
  EXPECT_FALSE(pm.SaveToPng("/no/such/folder/x.png"));
  EXPECT_TRUE(debug.Contains("/no/such/folder/x.png"));
}

}  // namespace
}  // namespace talmi::test
