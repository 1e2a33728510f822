// Every stock control in each of its states, drawn into PNGs at 96 and 144
// DPI (toolkit_gallery_96.png, toolkit_gallery_144.png in the build folder),
// with the state faces checked where the default drawing puts them.
#include <gtest/gtest.h>

#include <QImage>

#include "tests/toolkit/input_helpers.h"
#include "toolkit/button.h"
#include "toolkit/combo.h"
#include "toolkit/list.h"
#include "toolkit/palette.h"

namespace talmi::test {
namespace {

constexpr const char* kGallery = R"(<Window size="640,600">
 <VerticalLayout name="root" inset="16,16,16,16" childpadding="12" bkcolor="#FF16181D">
  <Label text="Buttons" height="20" textcolor="#FF9AA3B2"/>
  <HorizontalLayout height="32" childpadding="8">
   <Button name="b_normal" text="Normal" width="90"/>
   <Button name="b_hot" text="Hot" width="90"/>
   <Button name="b_pushed" text="Pushed" width="90"/>
   <Button name="b_focus" text="Focused" width="90"/>
   <Button name="b_off" text="Disabled" width="90" enabled="false"/>
   <Button name="b_primary" text="Save" width="90" primary="true"/>
  </HorizontalLayout>
  <Label text="Options" height="20" textcolor="#FF9AA3B2"/>
  <HorizontalLayout height="32" childpadding="8">
   <Option name="t1" text="Lighting" width="80" group="tabs" look="tab" selected="true"/>
   <Option name="t2" text="Keys" width="80" group="tabs" look="tab"/>
   <Option name="c_on" text="Check on" width="100" look="check" selected="true"/>
   <Option name="c_off" text="Check off" width="100" look="check"/>
   <Option name="r_on" text="Radio" width="80" look="radio" group="r" selected="true"/>
   <Option name="r_off" text="Radio" width="80" look="radio" group="r" enabled="false"/>
  </HorizontalLayout>
  <Label text="Labels" height="20" textcolor="#FF9AA3B2"/>
  <HorizontalLayout height="40" childpadding="8">
   <Label text="A long single line that does not fit and ends in an ellipsis" width="200" endellipsis="true"/>
   <Label text="Two lines of text that wrap inside the label's own width." width="220" multiline="true" wordbreak="true"/>
   <Label text="Disabled label" width="140" enabled="false"/>
  </HorizontalLayout>
  <Label text="Progress and sliders" height="20" textcolor="#FF9AA3B2"/>
  <HorizontalLayout height="24" childpadding="16">
   <Progress name="p" width="120" height="8" value="30" padding="0,8,0,0"/>
   <Slider name="s_normal" width="130" value="60"/>
   <Slider name="s_hot" width="130" value="20"/>
   <Slider name="s_off" width="130" value="80" enabled="false"/>
  </HorizontalLayout>
  <Label text="Edits and combos" height="20" textcolor="#FF9AA3B2"/>
  <HorizontalLayout height="28" childpadding="8">
   <Edit name="e_tip" width="104" tipvalue="Profile name"/>
   <Edit name="e_text" width="80" text="1600" numberonly="true"/>
   <Edit name="e_focus" width="92" text="Focused"/>
   <Edit name="e_off" width="90" text="Disabled" enabled="false"/>
   <Combo name="cb" width="110" selectedid="1"><ListLabelElement text="125 Hz"/><ListLabelElement text="1000 Hz"/></Combo>
   <Combo name="cb_off" width="80" enabled="false" selectedid="0"><ListLabelElement text="Off"/></Combo>
  </HorizontalLayout>
  <Label text="List" height="20" textcolor="#FF9AA3B2"/>
  <List name="list" height="150" bkcolor="#FF1F2229"/>
 </VerticalLayout></Window>)";

DWORD Pixel(const QImage& img, POINT p) { return static_cast<DWORD>(img.pixel(p.x, p.y)); }

// A point on a control's face, off its text.
POINT FacePoint(CControlUI* c) { return POINT{c->GetPos().left + c->Scale(6), c->GetPos().top + c->Scale(6)}; }

void PutInStates(InputWindow& w) {
  auto send = [](CControlUI* c, int type) {
    TEventUI e;
    e.Type = type;
    e.pSender = c;
    e.ptMouse = InputWindow::Center(c);
    c->Event(e);
  };
  send(w.Find("b_hot"), UIEVENT_MOUSEENTER);
  send(w.Find("b_pushed"), UIEVENT_BUTTONDOWN);
  send(w.Find("s_hot"), UIEVENT_MOUSEENTER);
  // The focus ring is drawn from the control's own flag; the window's focus
  // goes to the edit below.
  send(w.Find("b_focus"), UIEVENT_SETFOCUS);
  auto* list = w.Find<CListUI>("list");
  if (list->GetCount() == 0) {
    for (int i = 0; i < 12; ++i) {
      auto* row = new CListLabelElementUI;
      CDuiString t;
      t.Format("Macro %d", i + 1);
      row->SetText(t);
      list->Add(row);
    }
    list->SelectItem(1, false, false);
  }
  w.wnd.GetPaintManager().DoLayout(true);
  send(list->GetItemAt(3), UIEVENT_MOUSEENTER);
  w.wnd.GetPaintManager().SetFocus(w.Find("e_focus"));
}

class GalleryTest : public ToolkitTest {};

TEST_F(GalleryTest, EveryControlInEveryStateAt96And144Dpi) {
  InputWindow w(kGallery);
  ASSERT_TRUE(w.Open());
  for (int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    ASSERT_TRUE(w.wnd.GetPaintManager().SetDPI(dpi));
    ProcessUiEvents();
    PutInStates(w);
    const std::string path = std::string(TALMI_BINARY_DIR) + "/toolkit_gallery_" + std::to_string(dpi) + ".png";
    ASSERT_TRUE(w.wnd.SaveAsPng(path.c_str()));
    QImage img(QString::fromStdString(path));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.width(), 640 * dpi / 96);
    struct Face {
      const char* name;
      DWORD color;
    };
    const Face faces[] = {
        {"b_normal", kColorRaised}, {"b_hot", kColorBorder},      {"b_pushed", kColorBorder},
        {"b_off", kColorSurface},   {"b_primary", kColorAccent},
    };
    for (const Face& f : faces) EXPECT_EQ(Pixel(img, FacePoint(w.Find(f.name))), f.color) << f.name;
    CControlUI* ring = w.Find("b_focus");
    EXPECT_EQ(Pixel(img, POINT{(ring->GetPos().left + ring->GetPos().right) / 2, ring->GetPos().top}), kColorAccent);
    // The focused edit's border is accent, an unfocused one's is not.
    for (auto [name, color] : {std::pair{"e_focus", kColorAccent}, std::pair{"e_text", kColorBorder}}) {
      CControlUI* e = w.Find(name);
      EXPECT_EQ(Pixel(img, POINT{(e->GetPos().left + e->GetPos().right) / 2, e->GetPos().top}), color) << name;
    }
    auto* list = w.Find<CListUI>("list");
    EXPECT_TRUE(list->IsScrollBarShown());
    EXPECT_EQ(Pixel(img, FacePoint(list->GetItemAt(3))), kColorRaised) << "hot row";
    const DWORD selected = Pixel(img, FacePoint(list->GetItemAt(1)));
    EXPECT_NE(selected, kColorSurface) << "selected row tinted";
    EXPECT_GT(ColorBlue(selected), ColorRed(selected));
  }
  w.wnd.GetPaintManager().SetFocus(nullptr);
}

}  // namespace
}  // namespace talmi::test
