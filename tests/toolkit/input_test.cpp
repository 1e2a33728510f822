// Real Qt mouse, wheel and key events into toolkit windows, and the
// notifications they must (and must not) produce.
#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "tests/toolkit/input_helpers.h"
#include "toolkit/button.h"
#include "toolkit/combo.h"
#include "toolkit/edit.h"
#include "toolkit/list.h"
#include "toolkit/progress.h"

namespace talmi::test {
namespace {

class InputTest : public ToolkitTest {};

constexpr const char* kButtons = R"(<Window size="300,200"><VerticalLayout name="root" inset="10,10,10,10">
  <Button name="ok" text="OK" height="32" width="100"/>
  <Button name="off" text="Off" height="32" width="100" enabled="false"/>
  <Button name="ctx" text="Menu" height="32" width="100" menu="true"/>
  <Control/></VerticalLayout></Window>)";

TEST_F(InputTest, ButtonClicksOnlyWhenPressAndReleaseAreOnIt) {
  struct Case {
    const char* name;
    const char* button;
    int releaseDx;  // release this far right of the centre
    int clicks;
  };
  const Case cases[] = {
      {"press and release on it", "ok", 0, 1},
      {"release dragged off it", "ok", 200, 0},
      {"disabled", "off", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InputWindow w(kButtons);
    ASSERT_TRUE(w.Open());
    CControlUI* b = w.Find(c.button);
    ASSERT_NE(b, nullptr);
    POINT p = InputWindow::Center(b);
    w.Move(p);
    w.Press(p);
    POINT r{p.x + c.releaseDx, p.y};
    w.Move(r, Qt::LeftButton);
    w.Release(r);
    EXPECT_EQ(static_cast<int>(w.Seen(DUI_MSGTYPE_CLICK, c.button).size()), c.clicks);
  }
}

TEST_F(InputTest, ButtonStatesFollowThePointer) {
  InputWindow w(kButtons);
  ASSERT_TRUE(w.Open());
  auto* b = w.Find<CButtonUI>("ok");
  const POINT p = InputWindow::Center(b);
  w.Move(p);
  EXPECT_TRUE(b->GetButtonState() & UISTATE_HOT);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_MOUSEENTER, "ok").size(), 1u);
  w.Press(p);
  EXPECT_TRUE(b->GetButtonState() & UISTATE_PUSHED);
  w.Release(p);
  EXPECT_FALSE(b->GetButtonState() & UISTATE_PUSHED);
  w.Move(POINT{280, 190});
  EXPECT_FALSE(b->GetButtonState() & UISTATE_HOT);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_MOUSELEAVE, "ok").size(), 1u);
}

TEST_F(InputTest, KeyboardFocusAndActivation) {
  InputWindow w(kButtons);
  ASSERT_TRUE(w.Open());
  CPaintManagerUI& pm = w.wnd.GetPaintManager();
  // The disabled button is no tab stop; the order wraps both ways.
  w.Key(Qt::Key_Tab);
  EXPECT_EQ(pm.GetFocus(), w.Find("ok"));
  w.Key(Qt::Key_Tab);
  EXPECT_EQ(pm.GetFocus(), w.Find("ctx"));
  w.Key(Qt::Key_Tab);
  EXPECT_EQ(pm.GetFocus(), w.Find("ok"));
  w.Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(pm.GetFocus(), w.Find("ctx"));
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_KILLFOCUS, "ok").size(), 2u);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_SETFOCUS, "ctx").size(), 2u);
  for (int key : {Qt::Key_Space, Qt::Key_Return}) w.Key(key);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_CLICK, "ctx").size(), 2u);
  // Right click on a control that asks for it.
  w.Click(InputWindow::Center(w.Find("ctx")), Qt::RightButton);
  w.Click(InputWindow::Center(w.Find("ok")), Qt::RightButton);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_MENU).size(), 1u);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_MENU).front().sender, "ctx");
}

constexpr const char* kOptions = R"(<Window size="300,200"><VerticalLayout name="root">
  <Option name="a" text="A" group="g" height="28" selected="true"/>
  <Option name="b" text="B" group="g" height="28"/>
  <Option name="c" text="C" group="g" height="28"/>
  <Option name="chk" text="Check" look="check" height="28"/>
  <Control/></VerticalLayout></Window>)";

TEST_F(InputTest, OptionsOfOneGroupSelectOneAtATime) {
  InputWindow w(kOptions);
  ASSERT_TRUE(w.Open());
  struct Step {
    const char* click;
    const char* selected;  // the group's one selection afterwards
    size_t changes;        // "selectchanged" so far
  };
  // Clicking the selected one again changes nothing.
  const Step steps[] = {{"b", "b", 1}, {"c", "c", 2}, {"c", "c", 2}, {"a", "a", 3}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.click);
    w.Click(InputWindow::Center(w.Find(s.click)));
    for (const char* n : {"a", "b", "c"})
      EXPECT_EQ(w.Find<COptionUI>(n)->IsSelected(), std::string(n) == s.selected) << n;
    EXPECT_EQ(w.Seen(DUI_MSGTYPE_SELECTCHANGED).size(), s.changes);
  }
  auto* chk = w.Find<COptionUI>("chk");
  for (bool expect : {true, false, true}) {
    w.Click(InputWindow::Center(chk));
    EXPECT_EQ(chk->IsSelected(), expect);
  }
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_SELECTCHANGED, "chk").size(), 3u);
}

constexpr const char* kSlider = R"(<Window size="300,100"><VerticalLayout name="root" inset="20,20,20,20">
  <Slider name="s" height="24" min="0" max="100" value="0" sendmove="true"/>
  <Control/></VerticalLayout></Window>)";

TEST_F(InputTest, SliderDragSendsMovesThenOneValueChanged) {
  InputWindow w(kSlider);
  ASSERT_TRUE(w.Open());
  auto* s = w.Find<CSliderUI>("s");
  const RECT thumb = s->GetThumbRect();
  const int y = (thumb.top + thumb.bottom) / 2;
  POINT p{(thumb.left + thumb.right) / 2, y};
  w.Move(p);
  w.Press(p);
  for (int dx : {40, 80, 120}) w.Move(POINT{p.x + dx, y}, Qt::LeftButton);
  const int moving = s->GetValue();
  EXPECT_GT(moving, 0);
  EXPECT_GE(w.Seen(DUI_MSGTYPE_MOVEVALUECHANGED, "s").size(), 3u);
  EXPECT_TRUE(w.Seen(DUI_MSGTYPE_VALUECHANGED, "s").empty()) << "no final value while the thumb is held";
  w.Release(POINT{p.x + 120, y});
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_VALUECHANGED, "s").size(), 1u);
  EXPECT_EQ(s->GetValue(), moving);
  // A press off the thumb's centre but on it keeps the value: it is grabbed, not moved.
  {
    const RECT t = s->GetThumbRect();
    const int before = s->GetValue();
    const POINT off{t.right - 2, (t.top + t.bottom) / 2};
    w.Press(off);
    w.Release(off);
    EXPECT_EQ(s->GetValue(), before);
    ASSERT_EQ(w.Seen(DUI_MSGTYPE_VALUECHANGED, "s").size(), 2u);
  }
  // Beyond the end of the track the value stops at the maximum.
  w.Press(POINT{s->GetPos().right - 2, y});
  w.Move(POINT{s->GetPos().right + 100, y}, Qt::LeftButton);
  w.Release(POINT{s->GetPos().right + 100, y});
  EXPECT_EQ(s->GetValue(), 100);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_VALUECHANGED, "s").size(), 3u);
}

TEST_F(InputTest, SliderTrackClickAndKeys) {
  InputWindow w(kSlider);
  ASSERT_TRUE(w.Open());
  auto* s = w.Find<CSliderUI>("s");
  const RECT r = s->GetPos();
  w.Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  EXPECT_NEAR(s->GetValue(), 50, 3);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_VALUECHANGED, "s").size(), 1u);
  const int mid = s->GetValue();
  struct K {
    int key;
    int expect;
  };
  for (K k : {K{Qt::Key_Right, mid + 1}, K{Qt::Key_Left, mid}, K{Qt::Key_Down, mid - 1}, K{Qt::Key_End, 100},
              K{Qt::Key_Home, 0}}) {
    w.Key(k.key);
    EXPECT_EQ(s->GetValue(), k.expect) << k.key;
  }
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_VALUECHANGED, "s").size(), 6u);
  w.Key(Qt::Key_Left);  // already at the minimum: nothing to report
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_VALUECHANGED, "s").size(), 6u);
}

constexpr const char* kEdits = R"(<Window size="300,160"><VerticalLayout name="root" inset="10,10,10,10">
  <Edit name="num" height="30" numberonly="true" minvalue="1" maxvalue="500" maxchar="4"/>
  <Edit name="name" height="30"/>
  <Control/></VerticalLayout></Window>)";

TEST_F(InputTest, NumberOnlyEditTakesDigitsThroughTheNativeField) {
  struct Case {
    const char* typed;
    const char* shown;  // while focused
    size_t changes;
    const char* kept;  // after tabbing away
  };
  const Case cases[] = {
      {"1a2b3", "123", 3, "123"},
      {"99999", "9999", 4, "500"},  // four characters at most, then the range
      {"0", "0", 1, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    InputWindow w(kEdits);
    ASSERT_TRUE(w.Open());
    auto* num = w.Find<CEditUI>("num");
    w.Key(Qt::Key_Tab);
    ASSERT_EQ(w.wnd.GetPaintManager().GetFocus(), num);
    ASSERT_TRUE(num->HasNativeField());
    QLineEdit* field = w.Field();
    ASSERT_NE(field, nullptr);
    const RECT r = num->GetPos();
    EXPECT_TRUE(field->geometry().intersects(QRect(r.left, r.top, RectWidth(r), RectHeight(r))));
    w.Type(c.typed);
    EXPECT_EQ(num->GetText().str(), c.shown);
    EXPECT_EQ(field->text().toStdString(), c.shown);
    EXPECT_EQ(w.Seen(DUI_MSGTYPE_TEXTCHANGED, "num").size(), c.changes);
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.wnd.GetPaintManager().GetFocus(), w.Find("name"));
    EXPECT_EQ(w.Seen(DUI_MSGTYPE_KILLFOCUS, "num").size(), 1u);
    EXPECT_FALSE(num->HasNativeField());
    EXPECT_EQ(num->GetText().str(), c.kept);
  }
}

TEST_F(InputTest, ReturnInAnEditIsReportedOnce) {
  InputWindow w(kEdits);
  ASSERT_TRUE(w.Open());
  w.Click(InputWindow::Center(w.Find("name")));
  ASSERT_NE(w.Field(), nullptr);
  w.Type("ab");
  w.Key(Qt::Key_Return);
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_RETURN, "name").size(), 1u);
  EXPECT_EQ(w.Find("name")->GetText().str(), "ab");
}

constexpr const char* kRich = R"(<Window size="300,200"><VerticalLayout name="root">
  <RichEdit name="notes" height="80"/><Button name="after" height="30"/></VerticalLayout></Window>)";

TEST_F(InputTest, RichEditTakesLinesAndLetsTabMoveOn) {
  InputWindow w(kRich);
  ASSERT_TRUE(w.Open());
  w.Key(Qt::Key_Tab);
  QPlainTextEdit* field = nullptr;
  for (QPlainTextEdit* e : w.host->findChildren<QPlainTextEdit*>())
    if (e->isVisible()) field = e;
  ASSERT_NE(field, nullptr);
  for (auto [key, text] : {std::pair{Qt::Key_A, "a"}, std::pair{Qt::Key_Return, "\r"}, std::pair{Qt::Key_B, "b"}}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &down);
  }
  EXPECT_EQ(w.Find("notes")->GetText().str(), "a\nb");
  EXPECT_TRUE(w.Seen(DUI_MSGTYPE_RETURN).empty()) << "Return is a new line here";
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(field, &tab);
  EXPECT_EQ(w.wnd.GetPaintManager().GetFocus(), w.Find("after"));
  EXPECT_EQ(w.Find("notes")->GetText().str(), "a\nb");
}

constexpr const char* kCombo = R"(<Window size="300,300"><VerticalLayout name="root" inset="10,10,10,10">
  <Combo name="top" height="30" dropboxsize="0,200">
    <ListLabelElement text="zero"/><ListLabelElement text="one"/>
    <ListLabelElement name="hidden" text="two" visible="false"/><ListLabelElement text="three"/>
  </Combo>
  <Control/>
  <Combo name="bottom" height="30"><ListLabelElement text="x"/><ListLabelElement text="y"/></Combo>
  </VerticalLayout></Window>)";

TEST_F(InputTest, ComboKeyboardSelectionSkipsHiddenRows) {
  InputWindow w(kCombo);
  ASSERT_TRUE(w.Open());
  auto* combo = w.Find<CComboUI>("top");
  w.Click(InputWindow::Center(combo));
  ASSERT_TRUE(combo->IsDropped());
  EXPECT_EQ(w.host->findChildren<QWidget*>().size(), 1) << "the drop-down is a native child";
  struct Step {
    int key;
    int sel;
  };
  for (Step s : {Step{Qt::Key_Down, 0}, Step{Qt::Key_Down, 1}, Step{Qt::Key_Down, 3}, Step{Qt::Key_Down, 3},
                 Step{Qt::Key_Up, 1}, Step{Qt::Key_End, 3}, Step{Qt::Key_Home, 0}}) {
    w.Key(s.key);
    EXPECT_EQ(combo->GetCurSel(), s.sel);
  }
  const auto sel = w.Seen(DUI_MSGTYPE_ITEMSELECT, "top");
  ASSERT_EQ(sel.size(), 6u);  // one per change; the stop at the end sends nothing
  EXPECT_EQ(sel[2].wParam, 3u);
  EXPECT_EQ(combo->GetText().str(), "zero");
  w.Key(Qt::Key_Return);
  EXPECT_FALSE(combo->IsDropped());
  // From code, with and without the notification.
  EXPECT_TRUE(combo->SelectItem(1, false, false));
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_ITEMSELECT, "top").size(), 6u);
  EXPECT_TRUE(combo->SelectItem(3, false, true));
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_ITEMSELECT, "top").size(), 7u);
  EXPECT_FALSE(combo->SelectItem(2)) << "a hidden row is no choice";
}

TEST_F(InputTest, ComboDropsDownBelowOrAboveAndAClickChooses) {
  InputWindow w(kCombo);
  ASSERT_TRUE(w.Open());
  auto* top = w.Find<CComboUI>("top");
  auto* bottom = w.Find<CComboUI>("bottom");
  EXPECT_EQ(top->GetDropBoxRect().top, top->GetPos().bottom);
  EXPECT_EQ(bottom->GetDropBoxRect().bottom, bottom->GetPos().top) << "no room below: above";
  w.Click(InputWindow::Center(bottom));
  ASSERT_TRUE(bottom->IsDropped());
  CControlUI* y = bottom->GetItemAt(1);
  QWidget* popup = w.host->findChildren<QWidget*>().value(0);
  ASSERT_NE(popup, nullptr);
  const POINT c = InputWindow::Center(y);
  w.Mouse(QEvent::MouseButtonPress, c, Qt::LeftButton, Qt::LeftButton, popup);
  w.Mouse(QEvent::MouseButtonRelease, c, Qt::LeftButton, Qt::NoButton, popup);
  EXPECT_FALSE(bottom->IsDropped());
  EXPECT_EQ(bottom->GetCurSel(), 1);
  ASSERT_EQ(w.Seen(DUI_MSGTYPE_ITEMSELECT, "bottom").size(), 1u);
  // A press elsewhere in the window closes an open drop-down.
  w.Click(InputWindow::Center(top));
  ASSERT_TRUE(top->IsDropped());
  w.Click(POINT{150, 150});
  EXPECT_FALSE(top->IsDropped());
}

constexpr int kRows = 4000;

class LongListTest : public InputTest {
 protected:
  void Build(InputWindow& w) {
    auto* list = w.Find<CListUI>("list");
    for (int i = 0; i < kRows; ++i) {
      auto* row = new CListContainerElementUI;
      row->SetFixedHeight(30);
      auto* name = new CLabelUI;
      CDuiString text;
      text.Format("Row %d", i);
      name->SetText(text);
      auto* value = new CLabelUI;
      value->SetText("value");
      auto* button = new CButtonUI;
      button->SetText("Edit");
      button->SetFixedWidth(60);
      row->Add(name);
      row->Add(value);
      row->Add(button);
      ASSERT_TRUE(list->Add(row));
    }
    w.wnd.GetPaintManager().DoLayout(true);
  }
};

constexpr const char* kList = R"(<Window size="400,330"><VerticalLayout name="root" inset="10,10,10,10">
  <List name="list" itemheight="30"/></VerticalLayout></Window>)";

TEST_F(LongListTest, WheelScrollsFourThousandRowsToTheEnd) {
  InputWindow w(kList);
  ASSERT_TRUE(w.Open());
  Build(w);
  auto* list = w.Find<CListUI>("list");
  ASSERT_TRUE(list->IsScrollBarShown());
  const POINT shown = list->GetVisibleRange();
  EXPECT_EQ(shown.x, 0);
  EXPECT_LE(shown.y - shown.x, 12) << "only the rows in view are laid out";
  const int range = list->GetScrollRange().cy;
  EXPECT_EQ(range, kRows * 30 - RectHeight(list->GetPos()));
  const POINT inside = InputWindow::Center(list);
  int turns = 0;
  while (list->GetScrollPos().cy < range && turns < 2 * kRows) {
    w.Wheel(inside, -120);
    ++turns;
  }
  EXPECT_EQ(list->GetScrollPos().cy, range);
  EXPECT_EQ(list->GetVisibleRange().y, kRows - 1);
  // The last row is where it is drawn: a click on it selects it.
  CControlUI* last = list->GetItemAt(kRows - 1);
  EXPECT_EQ(last->GetPos().bottom, list->GetPos().bottom);
  w.Click(POINT{last->GetPos().left + 20, last->GetPos().bottom - 5});
  EXPECT_EQ(list->GetCurSel(), kRows - 1);
  // Rows scrolled away are not hit: the point over the first shown row
  // finds that row's controls, never row 0.
  CControlUI* hit = w.wnd.GetPaintManager().FindControl(POINT{inside.x, list->GetPos().top + 5});
  ASSERT_NE(hit, nullptr);
  EXPECT_NE(hit->GetParent(), list->GetItemAt(0));
  // Fast wheels send big steps; the position stops at the top.
  for (int i = 0; i < 10; ++i) w.Wheel(inside, 120 * 200);
  EXPECT_EQ(list->GetScrollPos().cy, 0);
}

TEST_F(LongListTest, KeysThumbDragAndEnsureVisible) {
  InputWindow w(kList);
  ASSERT_TRUE(w.Open());
  Build(w);
  auto* list = w.Find<CListUI>("list");
  list->EnsureVisible(2000);
  const int top = list->GetItemAt(2000)->GetPos().top;
  EXPECT_GE(top, list->GetPos().top);
  EXPECT_LE(list->GetItemAt(2000)->GetPos().bottom, list->GetPos().bottom);
  // A click on a row gives it the keys.
  const POINT first = InputWindow::Center(list->GetItemAt(list->GetVisibleRange().x + 1));
  w.Click(POINT{first.x - 100, first.y});
  const int start = list->GetCurSel();
  ASSERT_GE(start, 0);
  w.Key(Qt::Key_Down);
  EXPECT_EQ(list->GetCurSel(), start + 1);
  w.Key(Qt::Key_End);
  EXPECT_EQ(list->GetCurSel(), kRows - 1);
  EXPECT_EQ(list->GetScrollPos().cy, list->GetScrollRange().cy);
  w.Key(Qt::Key_Home);
  EXPECT_EQ(list->GetCurSel(), 0);
  EXPECT_EQ(list->GetScrollPos().cy, 0);
  // Dragging the thumb to the bottom of the bar.
  const RECT thumb = list->GetScrollThumbRect();
  POINT p{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  w.Move(p);
  w.Press(p);
  w.Move(POINT{p.x, list->GetPos().bottom + 50}, Qt::LeftButton);
  w.Release(POINT{p.x, list->GetPos().bottom + 50});
  EXPECT_EQ(list->GetScrollPos().cy, list->GetScrollRange().cy);
  // Rows going while the list is scrolled to the end: nothing stale is hit
  // or drawn, and a row added is measured when it must be shown.
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(list->RemoveAt(list->GetCount() - 1));
  EXPECT_EQ(w.wnd.GetPaintManager().FindControl(InputWindow::Center(list)), list);
  EXPECT_TRUE(w.wnd.SaveAsPng((std::string(TALMI_BINARY_DIR) + "/toolkit_list_scratch.png").c_str()));
  auto* extra = new CListLabelElementUI;
  extra->SetText("added");
  ASSERT_TRUE(list->Add(extra));
  list->EnsureVisible(list->GetCount() - 1);
  EXPECT_EQ(list->GetScrollPos().cy, list->GetScrollRange().cy);
  EXPECT_EQ(list->GetVisibleRange().y, list->GetCount() - 1);
  // A double click on a row activates it.
  CControlUI* row = list->GetItemAt(list->GetVisibleRange().x + 2);
  w.DoubleClick(POINT{row->GetPos().left + 20, (row->GetPos().top + row->GetPos().bottom) / 2});
  EXPECT_EQ(w.Seen(DUI_MSGTYPE_ITEMACTIVATE).size(), 1u);
}

}  // namespace
}  // namespace talmi::test
