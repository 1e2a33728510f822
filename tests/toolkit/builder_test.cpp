#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/button.h"
#include "toolkit/color_palette.h"
#include "toolkit/combo.h"
#include "toolkit/control_factory.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/layouts.h"
#include "toolkit/list.h"
#include "toolkit/progress.h"

namespace talmi::test {
namespace {

class SelfDrawnUI : public CControlUI {
 public:
  CDuiString GetClass() const override { return "SelfDrawnUI"; }
};

// Answers the one class name the stock factory does not know.
class Callback : public IDialogBuilderCallback {
 public:
  CControlUI* CreateControl(const CDuiString& cls) override {
    asked.push_back(cls.str());
    if (cls.CompareNoCase("SelfDrawn") == 0) return new SelfDrawnUI;
    return nullptr;
  }
  std::vector<std::string> asked;
};

class BuilderTest : public ToolkitTest {
 protected:
  CControlUI* Build(const char* skin, IDialogBuilderCallback* cb = nullptr) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(skin, "", cb, &pm);
    if (root) pm.AttachDialog(root);
    return root;
  }
  CPaintManagerUI pm;
};

TEST_F(BuilderTest, EveryControlKindIsBuiltWithItsClassAndInterface) {
  Callback cb;
  ASSERT_NE(Build("XML_ALL", &cb), nullptr);
  struct Case {
    const char* name;
    const char* cls;
    const char* iface;
  };
  const Case cases[] = {
      {"root", "VerticalLayoutUI", DUI_CTR_VERTICALLAYOUT},
      {"title_bar", "HorizontalLayoutUI", DUI_CTR_HORIZONTALLAYOUT},
      {"title_spacer", "ControlUI", DUI_CTR_CONTROL},
      {"Title_Label", "LabelUI", DUI_CTR_LABEL},
      {"closebtn", "ButtonUI", DUI_CTR_BUTTON},
      {"main_tab", "TabLayoutUI", DUI_CTR_TABLAYOUT},
      {"page1", "ContainerUI", DUI_CTR_CONTAINER},
      {"tab_a", "OptionUI", DUI_CTR_OPTION},
      {"DPI_edit_1", "EditUI", DUI_CTR_EDIT},
      {"device_profile_combo", "ComboUI", DUI_CTR_COMBO},
      {"combo_item_0", "ListLabelElementUI", DUI_CTR_LISTLABELELEMENT},
      {"DPI_slider_1", "SliderUI", DUI_CTR_SLIDER},
      {"device_Power_progress", "ProgressUI", DUI_CTR_PROGRESS},
      {"macro_name_list", "ListUI", DUI_CTR_LIST},
      {"macro_header", "ListHeaderUI", DUI_CTR_LISTHEADER},
      {"macro_row_1", "ListContainerElementUI", DUI_CTR_LISTCONTAINERELEMENT},
      {"deng_Color_Pallet", "ColorPaletteUI", DUI_CTR_COLORPALETTE},
      {"repeat_input_richedit", "RichEditUI", DUI_CTR_RICHEDIT},
      {"self_drawn", "SelfDrawnUI", DUI_CTR_CONTROL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CControlUI* ctl = pm.FindControl(c.name);
    ASSERT_NE(ctl, nullptr);
    EXPECT_EQ(ctl->GetClass(), CDuiString(c.cls));
    EXPECT_EQ(ctl->GetInterface(c.iface), static_cast<void*>(ctl)) << c.iface;
    // Interfaces of unrelated kinds are refused.
    EXPECT_EQ(ctl->GetInterface("NoSuchInterface"), nullptr);
  }
  // Derived kinds answer for their bases as well.
  EXPECT_NE(pm.FindControl("tab_a")->GetInterface(DUI_CTR_BUTTON), nullptr);
  EXPECT_NE(pm.FindControl("DPI_slider_1")->GetInterface(DUI_CTR_PROGRESS), nullptr);
  EXPECT_EQ(pm.FindControl("closebtn")->GetInterface(DUI_CTR_OPTION), nullptr);
  EXPECT_NE(pm.FindControl("page1")->GetInterface(DUI_CTR_ICONTAINER), nullptr);
}

TEST_F(BuilderTest, NamesAreFoundWithoutRegardToCase) {
  ASSERT_NE(Build("XML_ALL", nullptr), nullptr);
  CControlUI* label = pm.FindControl("Title_Label");
  ASSERT_NE(label, nullptr);
  for (const char* spelling : {"title_label", "TITLE_LABEL", "tItLe_LaBeL"}) EXPECT_EQ(pm.FindControl(spelling), label);
  EXPECT_EQ(pm.FindControl("title_label_x"), nullptr);
  EXPECT_EQ(pm.FindControl(""), nullptr);
  // Inside a subtree only.
  CControlUI* page1 = pm.FindControl("page1");
  EXPECT_NE(pm.FindSubControlByName(page1, "dpi_EDIT_1"), nullptr);
  EXPECT_EQ(pm.FindSubControlByName(page1, "closebtn"), nullptr);
  // Renaming and removing keep the index right.
  label->SetName("Renamed");
  EXPECT_EQ(pm.FindControl("title_label"), nullptr);
  EXPECT_EQ(pm.FindControl("renamed"), label);
  auto* bar = static_cast<CContainerUI*>(pm.FindControl("title_bar"));
  ASSERT_TRUE(bar->Remove(label));
  EXPECT_EQ(pm.FindControl("renamed"), nullptr);
}

TEST_F(BuilderTest, NonAsciiNamesFoldCase) {
  CDialogBuilder builder;
  CControlUI* root = builder.Create(
      "<Window><VerticalLayout name='r'><Label name='Ключ_Σ'/><Label name='Äpfel'/></VerticalLayout></Window>", "",
      nullptr, &pm);
  ASSERT_NE(root, nullptr);
  pm.AttachDialog(root);
  EXPECT_NE(pm.FindControl("ключ_σ"), nullptr);
  EXPECT_NE(pm.FindControl("äPFEL"), nullptr);
}

TEST_F(BuilderTest, WindowAttributesFontsAndDefaultListsReachTheManager) {
  ASSERT_NE(Build("XML_ALL", nullptr), nullptr);
  EXPECT_EQ(pm.GetInitSize(), (SIZE{400, 300}));
  EXPECT_EQ(pm.GetMinInfo(), (SIZE{320, 240}));
  EXPECT_EQ(pm.GetMaxInfo(), (SIZE{800, 600}));
  EXPECT_EQ(pm.GetCaptionRect(), (RECT{0, 0, 0, 32}));
  EXPECT_EQ(pm.GetFontInfo(5).iSize, 20);
  EXPECT_TRUE(pm.GetFontInfo(5).bBold);
  EXPECT_TRUE(pm.GetFontInfo(1).bUnderline);
  EXPECT_EQ(pm.GetFontInfo(-1).iSize, 15);  // the default font
  EXPECT_EQ(pm.GetFontInfo(77).iSize, 15);  // unknown ids fall back to it
  // The Button default list gives every button its height...
  EXPECT_EQ(pm.FindControl("closebtn")->GetFixedHeight(), 32);
  // ...but an element's own attributes win over the default list.
  CDialogBuilder b2;
  CControlUI* c = b2.Create("<Button height='40'/>", "", nullptr, &pm);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetFixedHeight(), 40);
  delete c;
}

TEST_F(BuilderTest, UnknownClassesAreSkippedAndUnknownAttributesIgnored) {
  DebugCapture debug;
  Callback cb;
  ASSERT_NE(Build("XML_ALL", &cb), nullptr);
  EXPECT_EQ(pm.FindControl("ghost"), nullptr);
  EXPECT_EQ(pm.FindControl("ghost_child"), nullptr);
  EXPECT_TRUE(debug.Contains("NoSuchThing"));
  // The callback was asked for both names the factory does not know, and
  // for nothing else.
  EXPECT_EQ(cb.asked, (std::vector<std::string>{"NoSuchThing", "SelfDrawn"}));
  // The label with the unknown attribute is otherwise intact.
  EXPECT_EQ(pm.FindControl("Title_Label")->GetFixedWidth(), 200);
}

TEST_F(BuilderTest, MissingOrMalformedSkinsGiveNullAndADebugLine) {
  const char* cases[] = {"XML_MISSING", "XML_BROKEN", "not_there.xml", "<Window><VerticalLayout>", "<Window/>",
                         "   "};
  for (const char* skin : cases) {
    SCOPED_TRACE(skin);
    DebugCapture debug;
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(skin, "", nullptr, &pm), nullptr);
    EXPECT_FALSE(builder.GetLastError().IsEmpty());
    EXPECT_FALSE(debug.lines.empty());
  }
}

TEST_F(BuilderTest, FileNamesAcceptBothSeparators) {
  for (const char* skin : {"XML\\modal.xml", "XML/modal.xml", "XML_MODAL"}) {
    SCOPED_TRACE(skin);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(skin, "", nullptr, &pm);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), CDuiString("root"));
    delete root;
  }
}

TEST_F(BuilderTest, RegisteredClassesAreCreatedWithoutACallback) {
  class KeyButtonUI : public CButtonUI {
   public:
    CDuiString GetClass() const override { return "KeyButtonUI"; }
  };
  RegistControlClass<KeyButtonUI>("CKeyButtonUI");
  EXPECT_TRUE(CControlFactory::GetInstance()->IsRegistered("ckeybuttonui"));
  CDialogBuilder builder;
  CControlUI* root = builder.Create(
      "<VerticalLayout><CKeyButtonUI name='k' text='Q'/><ckeybuttonui name='k2'/></VerticalLayout>", "", nullptr, &pm);
  ASSERT_NE(root, nullptr);
  auto* box = static_cast<CContainerUI*>(root);
  ASSERT_EQ(box->GetCount(), 2);
  EXPECT_EQ(box->GetItemAt(0)->GetClass(), CDuiString("KeyButtonUI"));
  EXPECT_EQ(box->GetItemAt(0)->GetText(), CDuiString("Q"));
  EXPECT_EQ(box->GetItemAt(1)->GetClass(), CDuiString("KeyButtonUI"));
  delete root;
}

TEST_F(BuilderTest, ChildrenGoIntoAGivenParentAndIncludesNest) {
  CDialogBuilder outer;
  CControlUI* root = outer.Create("<VerticalLayout name='host'/>", "", nullptr, &pm);
  ASSERT_NE(root, nullptr);
  pm.AttachDialog(root);
  CDialogBuilder inner;
  CControlUI* first = inner.Create("XML_MODAL", "", nullptr, &pm, root);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetParent(), root);
  EXPECT_NE(pm.FindControl("confirm_btn"), nullptr);

  CDialogBuilder inc;
  CControlUI* tree = inc.Create("<HorizontalLayout name='row'><Include source='XML\\modal.xml' count='2'/></HorizontalLayout>",
                                "", nullptr, &pm);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(static_cast<CContainerUI*>(tree)->GetCount(), 2);
  delete tree;
}

TEST_F(BuilderTest, AnIncludeOfItselfStops) {
  DebugCapture debug;
  const std::string self = std::string(TALMI_BINARY_DIR) + "/self_include.xml";
  FILE* f = std::fopen(self.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fprintf(f, "<HorizontalLayout><Include source='%s'/></HorizontalLayout>", self.c_str());
  std::fclose(f);
  CDialogBuilder builder;
  CControlUI* tree = builder.Create(self.c_str(), "", nullptr, &pm);
  ASSERT_NE(tree, nullptr);
  EXPECT_TRUE(debug.Contains("nested too deep"));
  delete tree;
}

}  // namespace
}  // namespace talmi::test
