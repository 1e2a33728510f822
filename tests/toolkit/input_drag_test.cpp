// Rubber-band drag selection and the dialog's default button.
#include <gtest/gtest.h>

#include "tests/toolkit/input_helpers.h"
#include "toolkit/control_factory.h"
#include "toolkit/rubber_band.h"

namespace talmi::test {
namespace {

// A custom container as a page would write one: it records the bands.
class BandRecorderUI : public CRubberBandLayoutUI {
 public:
  std::vector<RECT> moving;
  std::vector<RECT> done;

 protected:
  void OnRubberBand(const RECT& band, bool finished) override { (finished ? done : moving).push_back(band); }
};

class DragInputTest : public ToolkitTest {};

constexpr const char* kCanvas = R"(<Window size="300,200"><VerticalLayout name="root">
  <BandRecorder name="canvas">
    <Button name="k1" float="true" pos="20,20,60,60" text="A"/>
    <Button name="k2" float="true" pos="100,20,140,60" text="B"/>
    <Button name="k3" float="true" pos="200,120,240,160" text="C"/>
  </BandRecorder></VerticalLayout></Window>)";

TEST_F(DragInputTest, RubberBandReportsWhileMovingAndOnceAtTheEnd) {
  RegistControlClass<BandRecorderUI>("BandRecorder");
  InputWindow w(kCanvas);
  ASSERT_TRUE(w.Open());
  auto* canvas = w.Find<BandRecorderUI>("canvas");
  ASSERT_NE(canvas, nullptr);
  // From the empty corner at the top left, over A and B, leaving C out.
  w.Move(POINT{5, 5});
  w.Press(POINT{5, 5});
  w.Move(POINT{6, 6}, Qt::LeftButton);
  EXPECT_FALSE(canvas->IsDragging()) << "a twitch is no drag";
  w.Move(POINT{80, 40}, Qt::LeftButton);
  w.Move(POINT{150, 70}, Qt::LeftButton);
  ASSERT_TRUE(canvas->IsDragging());
  const auto inBand = canvas->ChildrenInBand();
  ASSERT_EQ(inBand.size(), 2u);
  EXPECT_EQ(inBand[0]->GetName().str(), "k1");
  EXPECT_EQ(inBand[1]->GetName().str(), "k2");
  w.Release(POINT{150, 70});
  EXPECT_FALSE(canvas->IsDragging());
  EXPECT_EQ(canvas->moving.size(), 2u);
  ASSERT_EQ(canvas->done.size(), 1u);
  const RECT b = canvas->done.front();
  EXPECT_EQ(b.left, 5);
  EXPECT_EQ(b.top, 5);
  EXPECT_EQ(b.right, 150);
  EXPECT_EQ(b.bottom, 70);
  // A drag that starts on a child is the child's (a button press), no band.
  w.Press(InputWindow::Center(w.Find("k3")));
  w.Move(POINT{290, 190}, Qt::LeftButton);
  w.Release(POINT{290, 190});
  EXPECT_EQ(canvas->done.size(), 1u);
}

constexpr const char* kDialog = R"(<Window size="300,160"><VerticalLayout name="root">
  <Slider name="s" height="24"/>
  <Button name="other" text="Other" height="32"/>
  <Button name="save" text="Save" height="32" primary="true"/>
  </VerticalLayout></Window>)";

TEST_F(DragInputTest, ReturnGoesToTheDefaultButtonUnlessAButtonHasTheFocus) {
  InputWindow w(kDialog);
  ASSERT_TRUE(w.Open());
  w.Key(Qt::Key_Return);  // nothing focused
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_CLICK, "save").size(), 1u);
  w.wnd.GetPaintManager().SetFocus(w.Find("s"));
  w.Key(Qt::Key_Return);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_CLICK, "save").size(), 2u);
  w.wnd.GetPaintManager().SetFocus(w.Find("other"));
  w.Key(Qt::Key_Return);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_CLICK, "save").size(), 2u);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_CLICK, "other").size(), 1u);
  w.Find("save")->SetEnabled(false);
  w.wnd.GetPaintManager().SetFocus(w.Find("s"));
  w.Key(Qt::Key_Return);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_CLICK, "save").size(), 2u);
}

}  // namespace
}  // namespace talmi::test
