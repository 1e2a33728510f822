#include <gtest/gtest.h>

#include "tests/toolkit/test_window.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/label.h"
#include "toolkit/resource_manager.h"

namespace talmi::test {
namespace {

class Query : public IQueryControlText {
 public:
  CDuiString QueryControlText(const CDuiString& id, const CDuiString&) override {
    return id == "only_in_code" ? CDuiString("from the window") : CDuiString();
  }
};

class LanguageTest : public ToolkitTest {
 protected:
  CResourceManager* rm = CResourceManager::GetInstance();
};

TEST_F(LanguageTest, KeysTranslateBySkinFormOrByTheResourceTextFlag) {
  ASSERT_TRUE(rm->LoadLanguage("lang_en.xml"));
  CLabelUI label;
  struct Case {
    const char* text;
    bool flag;
    const char* shown;
  };
  const Case cases[] = {
      {"%[title_text]", false, "TALMI KT-380 Device"},
      {"title_text", true, "TALMI KT-380 Device"},
      {"title_text", false, "title_text"},  // plain text stays as written
      {"%[no_such_key]", false, "no_such_key"},
      {"no_such_key", true, "no_such_key"},
      {"%[]", false, "%[]"},
      {"%[title_text", false, "%[title_text"},
      {"", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    label.SetResourceText(c.flag);
    label.SetText(c.text);
    EXPECT_EQ(label.GetText(), CDuiString(c.shown));
    EXPECT_EQ(label.GetRawText(), CDuiString(c.text));
  }
  EXPECT_EQ(CResourceManager::MakeKeyForm("k"), CDuiString("%[k]"));
}

TEST_F(LanguageTest, TheQueryInterfaceAnswersKeysTheFileLacks) {
  ASSERT_TRUE(rm->LoadLanguage("lang_en.xml"));
  Query q;
  rm->SetTextQueryInterface(&q);
  EXPECT_EQ(rm->GetText("only_in_code"), CDuiString("from the window"));
  EXPECT_EQ(rm->GetText("title_text"), CDuiString("TALMI KT-380 Device"));  // the file comes first
  EXPECT_EQ(rm->GetText("unknown"), CDuiString("unknown"));
  rm->SetTextQueryInterface(nullptr);
  EXPECT_EQ(rm->GetText("only_in_code"), CDuiString("only_in_code"));
}

TEST_F(LanguageTest, ABadLanguageFileKeepsTheCurrentTexts) {
  ASSERT_TRUE(rm->LoadLanguage("lang_en.xml"));
  DebugCapture debug;
  for (const char* bad : {"lang_broken.xml", "no_such_language.xml", "res.xml", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(rm->LoadLanguage(bad));
    EXPECT_EQ(rm->GetText("title_text"), CDuiString("TALMI KT-380 Device"));
  }
  EXPECT_FALSE(debug.lines.empty());
}

TEST_F(LanguageTest, SwitchingWithReloadTextShowsTheNewTextsLive) {
  rm->SetLanguage("English");
  ASSERT_TRUE(rm->LoadLanguage("lang_en.xml"));
  TestWnd wnd("XML_MODAL");
  ASSERT_NE(wnd.Create(nullptr, "t", UI_WNDSTYLE_DIALOG, 0), nullptr);
  CPaintManagerUI& pm = wnd.GetPaintManager();
  auto* text = static_cast<CLabelUI*>(wnd.FindControl("MessageText"));
  ASSERT_NE(text, nullptr);
  text->SetAutoCalcWidth(true);
  pm.DoLayout();
  ASSERT_EQ(text->GetText(), CDuiString("Restore the default settings?"));
  const int widthEn = text->GetWidth();

  rm->SetLanguage("Deutsch");
  ASSERT_TRUE(rm->LoadLanguage("lang_de.xml"));
  rm->ReloadText();
  EXPECT_EQ(rm->GetLanguage(), CDuiString("Deutsch"));
  EXPECT_TRUE(pm.IsUpdateNeeded());  // every window lays out and repaints
  EXPECT_EQ(text->GetText(), CDuiString("Standardeinstellungen wiederherstellen?"));
  pm.DoLayout();
  EXPECT_GT(text->GetWidth(), widthEn);  // the longer translation got room
  DestroyWindow(wnd.GetHWND());
}

}  // namespace
}  // namespace talmi::test
