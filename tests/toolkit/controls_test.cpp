#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/button.h"
#include "toolkit/color_palette.h"
#include "toolkit/combo.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/edit.h"
#include "toolkit/layouts.h"
#include "toolkit/list.h"
#include "toolkit/progress.h"

namespace talmi::test {
namespace {

class Recorder : public INotifyUI {
 public:
  void Notify(TNotifyUI& msg) override {
    got.push_back(msg.sType.str() + ":" + msg.pSender->GetName().str() + ":" + std::to_string(msg.wParam));
  }
  std::vector<std::string> got;
};

class ControlsTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    CDialogBuilder b;
    CControlUI* root = b.Create("XML_ALL", "", nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);
    pm.AddNotifier(&rec);
  }
  template <typename T>
  T* Get(const char* name) {
    return static_cast<T*>(pm.FindControl(name));
  }
  CPaintManagerUI pm;
  Recorder rec;
};

TEST_F(ControlsTest, EditFiltersTypedTextAndClampsOnFocusLoss) {
  auto* edit = Get<CEditUI>("DPI_edit_1");
  EXPECT_TRUE(edit->IsNumberOnly());
  EXPECT_EQ(edit->GetMaxChar(), 5);
  struct Case {
    const char* typed;
    const char* kept;
  };
  const Case cases[] = {{"1200", "1200"}, {"12a3", "123"}, {"1234567", "12345"}, {"-50", "50"}, {"", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    edit->SetUserText(c.typed);
    EXPECT_EQ(edit->GetText(), CDuiString(c.kept));
  }
  // Range on focus loss: 50 -> 100, 99999 -> 16000 (cut to 5 characters first).
  for (auto [typed, after] : {std::pair{"50", "100"}, std::pair{"99999", "16000"}, std::pair{"4000", "4000"}}) {
    edit->SetUserText(typed);
    static_cast<CTabLayoutUI*>(pm.FindControl("main_tab"))->SelectItem(1);
    edit->SetFocus();
    pm.SetFocus(nullptr);
    EXPECT_EQ(edit->GetText(), CDuiString(after)) << typed;
  }
  EXPECT_FALSE(rec.got.empty());
  EXPECT_EQ(rec.got.front(), "textchanged:DPI_edit_1:0");
  // Limits hold for code as well, counted in characters.
  CEditUI plain;
  plain.SetMaxChar(3);
  plain.SetText("Ключи");
  EXPECT_EQ(plain.GetText(), CDuiString("Клю"));
  plain.SetReadOnly(true);
  plain.SetUserText("x");
  EXPECT_EQ(plain.GetText(), CDuiString("Клю"));
}

TEST_F(ControlsTest, ComboSelectsWithOrWithoutNotificationAndSkipsHiddenItems) {
  auto* combo = Get<CComboUI>("device_profile_combo");
  ASSERT_EQ(combo->GetCount(), 3);
  EXPECT_EQ(combo->GetVisibleCount(), 2);
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_TRUE(combo->SelectItem(2, false, false));
  EXPECT_TRUE(rec.got.empty());
  EXPECT_EQ(combo->GetText(), CDuiString("Third"));
  EXPECT_TRUE(combo->SelectItem(0));
  EXPECT_EQ(rec.got, (std::vector<std::string>{"itemselect:device_profile_combo:0"}));
  EXPECT_FALSE(combo->SelectItem(1));  // hidden
  EXPECT_FALSE(combo->SelectItem(9));
  EXPECT_EQ(combo->GetCurSel(), 0);
  // Hiding the selected row clears the selection.
  combo->SetItemVisible(0, false);
  EXPECT_EQ(combo->GetCurSel(), -1);
  combo->SetItemVisible(1, true);
  EXPECT_TRUE(combo->SelectItem(1, false, false));
  EXPECT_EQ(combo->GetText(), CDuiString("Second"));
  auto* row = static_cast<IListItemUI*>(combo->GetItemAt(1)->GetInterface(DUI_CTR_LISTITEM));
  ASSERT_NE(row, nullptr);
  EXPECT_TRUE(row->IsSelected());
  EXPECT_EQ(row->GetIndex(), 1);
  // Removing a row before the selection keeps the same row selected.
  ASSERT_TRUE(combo->RemoveAt(0));
  EXPECT_EQ(combo->GetCurSel(), 0);
  EXPECT_EQ(combo->GetText(), CDuiString("Second"));
}

TEST_F(ControlsTest, ListRowsSkipTheHeaderAndReportClicks) {
  auto* list = Get<CListUI>("macro_name_list");
  EXPECT_NE(list->GetHeader(), nullptr);
  ASSERT_EQ(list->GetCount(), 2);
  EXPECT_EQ(list->GetItemAt(0)->GetName(), CDuiString("macro_row_0"));
  EXPECT_TRUE(list->SelectItem(1));
  EXPECT_EQ(rec.got.back(), "itemselect:macro_name_list:1");
  // A press on a row selects it and reports the click.
  pm.DoLayout(true);
  CControlUI* row0 = list->GetItemAt(0);
  TEventUI e;
  e.Type = UIEVENT_BUTTONDOWN;
  e.ptMouse = POINT{row0->GetPos().left + 1, row0->GetPos().top + 1};
  row0->Event(e);
  EXPECT_EQ(list->GetCurSel(), 0);
  EXPECT_EQ(rec.got.back(), "itemclick:macro_row_0:0");
  ASSERT_TRUE(list->RemoveAt(0));
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_EQ(static_cast<IListItemUI*>(list->GetItemAt(0)->GetInterface(DUI_CTR_LISTITEM))->GetIndex(), 0);
}

TEST_F(ControlsTest, OptionGroupsKeepOneSelectedAndBindTabs) {
  auto* a = Get<COptionUI>("tab_a");
  auto* b = Get<COptionUI>("tab_b");
  auto* check = Get<COptionUI>("check_c");
  EXPECT_TRUE(a->IsSelected());
  b->Selected(true);
  EXPECT_TRUE(b->IsSelected());
  EXPECT_FALSE(a->IsSelected());
  // Only the option that changed reports it.
  EXPECT_EQ(rec.got, (std::vector<std::string>{"selectchanged:tab_b:0"}));
  b->Selected(true);
  EXPECT_EQ(rec.got.size(), 1u);
  check->Activate();
  check->Activate();
  EXPECT_FALSE(check->IsSelected());
  EXPECT_EQ(rec.got.back(), "selectchanged:check_c:0");
  // A bound option picks the tab page.
  b->BindTabLayoutName("main_tab");
  b->BindTabIndex(0);
  a->Selected(true, false);
  b->Selected(true, false);
  EXPECT_EQ(Get<CTabLayoutUI>("main_tab")->GetCurSel(), 0);
}

TEST_F(ControlsTest, SliderAndProgressStayInRange) {
  auto* slider = Get<CSliderUI>("DPI_slider_1");
  auto* progress = Get<CProgressUI>("device_Power_progress");
  struct Case {
    int set;
    int got;
  };
  for (Case c : {Case{50, 100}, Case{800, 800}, Case{99999, 16000}}) {
    slider->SetValue(c.set);
    EXPECT_EQ(slider->GetValue(), c.got) << c.set;
  }
  progress->SetValue(100 - 75);
  EXPECT_EQ(progress->GetValue(), 25);
  progress->SetValue(-3);
  EXPECT_EQ(progress->GetValue(), 0);
  // Picking along the track, snapped to the step.
  static_cast<CTabLayoutUI*>(pm.FindControl("main_tab"))->SelectItem(1);
  pm.DoLayout(true);
  RECT r = slider->GetPos();
  const int y = (r.top + r.bottom) / 2;
  EXPECT_EQ(slider->ValueAt(POINT{r.left - 50, y}), 100);
  EXPECT_EQ(slider->ValueAt(POINT{r.right + 50, y}), 16000);
  EXPECT_EQ(slider->ValueAt(POINT{(r.left + r.right) / 2, y}) % 100, 0);
  // A drag reports the moves (when asked) and the final value.
  slider->SetCanSendMove(true);
  TEventUI e;
  e.ptMouse = POINT{r.left + 1, y};
  e.Type = UIEVENT_BUTTONDOWN;
  slider->Event(e);
  e.ptMouse = POINT{r.right - 1, y};
  e.Type = UIEVENT_MOUSEMOVE;
  slider->Event(e);
  e.Type = UIEVENT_BUTTONUP;
  slider->Event(e);
  ASSERT_GE(rec.got.size(), 2u);
  EXPECT_EQ(rec.got[rec.got.size() - 2], "movevaluechanged:DPI_slider_1:0");
  EXPECT_EQ(rec.got.back(), "valuechanged:DPI_slider_1:0");
}

TEST_F(ControlsTest, ColorPaletteKeepsTheColourSetAndPicksNewOnes) {
  auto* pal = Get<CColorPaletteUI>("deng_Color_Pallet");
  for (DWORD c : {0xFF2F9BFFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF30A46Cu}) {
    pal->SetSelectColor(c);
    EXPECT_EQ(pal->GetSelectColor(), c);
  }
  pal->SetSelectColor(0x00FF0000);  // alpha is always opaque
  EXPECT_EQ(pal->GetSelectColor(), 0xFFFF0000u);
  EXPECT_EQ(pal->GetHue(), 0);
  EXPECT_EQ(pal->GetSaturation(), 100);
  // HSB round trips within one step per channel.
  for (DWORD c : {0xFF123456u, 0xFFE5484Du, 0xFFF5A524u}) {
    int h, s, b;
    CColorPaletteUI::ArgbToHsb(c, h, s, b);
    DWORD back = CColorPaletteUI::HsbToArgb(h, s, b);
    EXPECT_NEAR(ColorRed(back), ColorRed(c), 4);
    EXPECT_NEAR(ColorGreen(back), ColorGreen(c), 4);
    EXPECT_NEAR(ColorBlue(back), ColorBlue(c), 4);
  }
  pm.DoLayout(true);
  RECT sq = pal->GetPaletteRect();
  ASSERT_FALSE(IsRectEmpty(sq));
  // Top-right of the square: full saturation and brightness of the hue.
  EXPECT_TRUE(pal->PickAt(POINT{sq.right - 1, sq.top}));
  EXPECT_EQ(pal->GetSelectColor(), 0xFFFF0000u);
  EXPECT_TRUE(pal->PickAt(POINT{sq.left, sq.bottom - 1}));  // bottom: black
  EXPECT_EQ(pal->GetSelectColor(), 0xFF000000u);
  EXPECT_EQ(rec.got.back(), "colorchanged:deng_Color_Pallet:0");
  EXPECT_FALSE(pal->PickAt(POINT{-10, -10}));
}

TEST_F(ControlsTest, ButtonsClickOnReleaseInsideOnly) {
  pm.DoLayout(true);
  auto* btn = Get<CButtonUI>("closebtn");
  RECT r = btn->GetPos();
  TEventUI e;
  e.ptMouse = POINT{r.left + 2, r.top + 2};
  e.Type = UIEVENT_BUTTONDOWN;
  btn->Event(e);
  e.Type = UIEVENT_BUTTONUP;
  btn->Event(e);
  EXPECT_EQ(rec.got, (std::vector<std::string>{"click:closebtn:0"}));
  e.Type = UIEVENT_BUTTONDOWN;
  btn->Event(e);
  e.ptMouse = POINT{r.right + 20, r.bottom + 20};
  e.Type = UIEVENT_BUTTONUP;
  btn->Event(e);
  EXPECT_EQ(rec.got.size(), 1u);
  btn->SetEnabled(false);
  EXPECT_FALSE(btn->Activate());
  EXPECT_EQ(rec.got.size(), 1u);
}

TEST_F(ControlsTest, RichEditClearsAndKeepsLongText) {
  auto* re = Get<CRichEditUI>("repeat_input_richedit");
  EXPECT_EQ(re->GetText(), CDuiString("typed"));
  re->SetText("");
  EXPECT_TRUE(re->GetText().IsEmpty());
  std::string longText(2000, 'k');
  re->SetText(longText.c_str());
  EXPECT_EQ(re->GetText().GetLength(), 2000);
  EXPECT_TRUE(re->GetControlFlags() & UIFLAG_WANTRETURN);
}

}  // namespace
}  // namespace talmi::test
