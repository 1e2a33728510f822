#include <gtest/gtest.h>

#include "toolkit/attr_parse.h"
#include "toolkit/dui_string.h"
#include "toolkit/render.h"

namespace talmi::test {
namespace {

TEST(DuiStringTest, CompareNoCaseFoldsLatinGreekAndCyrillic) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case cases[] = {
      {"CloseBtn", "closebtn", true},     {"KEY_12", "key_12", true},   {"Äpfel", "äPFEL", true},
      {"ΣΟΦΙΑ", "σοφια", true},            {"Ключ", "кЛЮЧ", true},       {"closebtn", "closebtn2", false},
      {"key_1", "key_l", false},          {"", "", true},               {"a", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(CDuiString(c.a).CompareNoCase(c.b) == 0, c.equal);
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal);
  }
  EXPECT_LT(CDuiString("abc").CompareNoCase("ABD"), 0);
  EXPECT_GT(CDuiString("b").CompareNoCase("A"), 0);
}

TEST(DuiStringTest, FormattingAndPieces) {
  CDuiString s;
  EXPECT_EQ(s.Format("%d%s", 75, "%"), 3);
  EXPECT_EQ(s, CDuiString("75%"));
  s.Format("R %d", 255);
  EXPECT_EQ(s, CDuiString("R 255"));
  std::string big(1000, 'x');
  s.Format("%s!", big.c_str());
  EXPECT_EQ(s.GetLength(), 1001);
  CDuiString name("DPI_slider_12");
  EXPECT_EQ(name.Left(4), CDuiString("DPI_"));
  EXPECT_EQ(name.Mid(11), CDuiString("12"));
  EXPECT_EQ(name.Mid(50), CDuiString(""));
  EXPECT_EQ(name.Right(2), CDuiString("12"));
  EXPECT_EQ(name.Right(99), name);
  EXPECT_EQ(name.Find('_'), 3);
  EXPECT_EQ(name.ReverseFind('_'), 10);
  EXPECT_EQ(name.GetAt(99), '\0');
  CDuiString mixed("ÄBC Σ");
  mixed.MakeLower();
  EXPECT_EQ(mixed, CDuiString("äbc σ"));
  CDuiString r("a.b.c");
  EXPECT_EQ(r.Replace(".", "::"), 2);
  EXPECT_EQ(r, CDuiString("a::b::c"));
}

TEST(AttrParseTest, ValuesAndBadInput) {
  DWORD c = 0;
  EXPECT_TRUE(ParseColor("#FF2F9BFF", c));
  EXPECT_EQ(c, 0xFF2F9BFFu);
  EXPECT_TRUE(ParseColor("#2F9BFF", c));
  EXPECT_EQ(c, 0xFF2F9BFFu);  // six digits are opaque
  EXPECT_TRUE(ParseColor("0x80112233", c));
  EXPECT_EQ(c, 0x80112233u);
  for (const char* bad : {"", "#", "#GG0000", "#123456789", "red"}) EXPECT_FALSE(ParseColor(bad, c)) << bad;
  RECT rc{};
  EXPECT_TRUE(ParseRect("1,2,3,4", rc));
  EXPECT_EQ(rc, (RECT{1, 2, 3, 4}));
  EXPECT_TRUE(ParseRect("5", rc));
  EXPECT_EQ(rc, (RECT{5, 5, 5, 5}));
  for (const char* bad : {"1,2", "1,2,3,x", "", "1,,2,3"}) EXPECT_FALSE(ParseRect(bad, rc)) << bad;
  int v = 0;
  EXPECT_FALSE(ParseInt("99999999999999", v));
  EXPECT_FALSE(ParseInt("12px", v));
  EXPECT_TRUE(ParseInt(" -7 ", v));
  EXPECT_EQ(v, -7);

  std::vector<std::pair<std::string, std::string>> pairs;
  auto collect = [&](std::string_view n, std::string_view val) { pairs.emplace_back(n, val); };
  EXPECT_EQ(ForEachAttribute("height=\"32\" text='a b' empty=\"\"", collect), 3);
  EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{{"height", "32"}, {"text", "a b"}, {"empty", ""}}));
  pairs.clear();
  EXPECT_EQ(ForEachAttribute("a=\"1\" b=\"unterminated", collect), 1);
  EXPECT_EQ(ForEachAttribute("=\"x\"", collect), 0);
  EXPECT_EQ(ForEachAttribute("noequals", collect), 0);

  EXPECT_EQ(NormalizePath("XML\\CustomControlXML\\DeviceOption.xml"), "XML/CustomControlXML/DeviceOption.xml");
  EXPECT_EQ(JoinPath("/skin", "XML\\a.xml"), "/skin/XML/a.xml");
  EXPECT_EQ(JoinPath("/skin/", "/abs/b.png"), "/abs/b.png");
}

TEST(DrawInfoTest, ImageDescriptions) {
  TDrawInfo d;
  d.Parse("common/background.png");
  EXPECT_EQ(d.sImageName, CDuiString("common/background.png"));
  EXPECT_FALSE(d.bHasDest);
  d.Parse("file='power/powered.png' source='0,0,16,16' dest='2,2,18,18' corner='4,4,4,4' fade='128' hole='true' "
          "xtiled='true' mask='#FF00FF'");
  EXPECT_EQ(d.sImageName, CDuiString("power/powered.png"));
  EXPECT_TRUE(d.bHasSource);
  EXPECT_EQ(d.rcSource, (RECT{0, 0, 16, 16}));
  EXPECT_TRUE(d.bHasDest);
  EXPECT_EQ(d.rcDest, (RECT{2, 2, 18, 18}));
  EXPECT_EQ(d.rcCorner, (RECT{4, 4, 4, 4}));
  EXPECT_EQ(d.uFade, 128);
  EXPECT_TRUE(d.bHole);
  EXPECT_TRUE(d.bTiledX);
  EXPECT_FALSE(d.bTiledY);
  EXPECT_EQ(d.dwMask, 0xFFFF00FFu);
  d.Parse("res='x.png' fade='999' source='bad'");
  EXPECT_EQ(d.sImageName, CDuiString("x.png"));
  EXPECT_EQ(d.uFade, 255);
  EXPECT_FALSE(d.bHasSource);
}

}  // namespace
}  // namespace talmi::test
