#include <gtest/gtest.h>

#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/layouts.h"

namespace talmi::test {
namespace {

// Lays a skin out in a client area of the given size (no window needed).
class LayoutTest : public ToolkitTest {
 protected:
  CControlUI* Lay(const char* xml, int dpi = 96) {
    CDialogBuilder b;
    CControlUI* root = b.Create(xml, "", nullptr, &pm);
    EXPECT_NE(root, nullptr);
    if (!root) return nullptr;
    pm.AttachDialog(root);
    pm.SetDPI(dpi);
    pm.DoLayout(true);
    return root;
  }
  RECT Pos(const char* name) {
    CControlUI* c = pm.FindControl(name);
    return c ? c->GetPos() : RECT{-1, -1, -1, -1};
  }
  CPaintManagerUI pm;
};

TEST_F(LayoutTest, HorizontalFixedStretchPaddingAndInset) {
  Lay("<Window size='200,50'><HorizontalLayout name='row' inset='10,5,10,5' childpadding='4'>"
      "<Control name='a' width='30'/>"
      "<Control name='b'/>"
      "<Control name='c' width='20' padding='6,0,0,0'/>"
      "<Control name='d'/>"
      "<Control name='hidden' width='50' visible='false'/>"
      "</HorizontalLayout></Window>");
  // 180 wide inside; fixed 30 + 20 + 6 padding + 3 gaps of 4 = 68; two stretch share 112.
  EXPECT_EQ(Pos("a"), (RECT{10, 5, 40, 45}));
  EXPECT_EQ(Pos("b"), (RECT{44, 5, 100, 45}));
  EXPECT_EQ(Pos("c"), (RECT{110, 5, 130, 45}));
  EXPECT_EQ(Pos("d"), (RECT{134, 5, 190, 45}));
}

TEST_F(LayoutTest, VerticalMinMaxAndCrossSize) {
  Lay("<Window size='100,200'><VerticalLayout name='col'>"
      "<Control name='top' height='20' width='40'/>"
      "<Control name='capped' maxheight='50'/>"
      "<Control name='rest' minheight='10'/>"
      "</VerticalLayout></Window>");
  EXPECT_EQ(Pos("top"), (RECT{0, 0, 40, 20}));
  EXPECT_EQ(Pos("capped"), (RECT{0, 20, 100, 70}));
  // The capped child takes its max; the rest of the space goes to the other.
  EXPECT_EQ(Pos("rest"), (RECT{0, 70, 100, 200}));
}

TEST_F(LayoutTest, FloatChildrenSitAtTheirPosition) {
  Lay("<Window size='300,200'><VerticalLayout name='r' inset='20,20,20,20'>"
      "<Control name='flow' height='30'/>"
      "<Control name='badge' float='true' pos='250,10,290,30'/>"
      "</VerticalLayout></Window>");
  EXPECT_EQ(Pos("flow"), (RECT{20, 20, 280, 50}));
  // Relative to the parent's rectangle, not its inset, and out of the flow.
  EXPECT_EQ(Pos("badge"), (RECT{250, 10, 290, 30}));
}

TEST_F(LayoutTest, TabLayoutShowsOnePageAtATime) {
  Lay("<Window size='100,100'><TabLayout name='tab' selectedid='1'>"
      "<Control name='p0'/><Control name='p1'/><Control name='p2'/></TabLayout></Window>");
  auto* tab = static_cast<CTabLayoutUI*>(pm.FindControl("tab"));
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_FALSE(pm.FindControl("p0")->IsVisible());
  EXPECT_TRUE(pm.FindControl("p1")->IsVisible());
  EXPECT_EQ(Pos("p1"), (RECT{0, 0, 100, 100}));
  EXPECT_TRUE(tab->SelectItem(2));
  EXPECT_TRUE(pm.FindControl("p2")->IsVisible());
  EXPECT_FALSE(pm.FindControl("p1")->IsVisible());
  EXPECT_FALSE(tab->SelectItem(3));
  EXPECT_FALSE(tab->SelectItem(-1));
  EXPECT_EQ(tab->GetCurSel(), 2);
  // Removing the shown page shows a neighbour.
  ASSERT_TRUE(tab->Remove(pm.FindControl("p2")));
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_TRUE(pm.FindControl("p1")->IsVisible());
}

TEST_F(LayoutTest, DpiScalesFixedSizesPaddingAndInset) {
  const char* skin =
      "<Window size='200,100'><HorizontalLayout name='row' inset='10,10,10,10' childpadding='4'>"
      "<Control name='a' width='40' height='20' padding='2,0,0,0'/><Control name='b'/>"
      "<Control name='f' float='true' pos='100,40,140,60'/></HorizontalLayout></Window>";
  Lay(skin, 96);
  const RECT a96 = Pos("a"), b96 = Pos("b"), f96 = Pos("f");
  Lay(skin, 144);
  auto x15 = [](RECT r) { return RECT{r.left * 3 / 2, r.top * 3 / 2, r.right * 3 / 2, r.bottom * 3 / 2}; };
  EXPECT_EQ(Pos("a"), x15(a96));
  EXPECT_EQ(Pos("b"), x15(b96));
  EXPECT_EQ(Pos("f"), x15(f96));
  EXPECT_EQ(pm.GetClientSize(), (SIZE{300, 150}));
}

TEST_F(LayoutTest, TinyAreasNeverProduceNegativeRectangles) {
  Lay("<Window size='10,10'><HorizontalLayout inset='20,20,20,20' childpadding='50'>"
      "<Control name='a' width='100'/><Control name='b'/></HorizontalLayout></Window>");
  for (const char* n : {"a", "b"}) {
    RECT r = Pos(n);
    EXPECT_GE(r.right, r.left) << n;
    EXPECT_GE(r.bottom, r.top) << n;
  }
}

}  // namespace
}  // namespace talmi::test
