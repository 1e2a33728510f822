#include "profiles/name_lists.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profile_test_support.h"
#include "profiles/ini_file.h"

namespace talmi {
namespace {

using test::ReadText;
using test::TempDataFolder;
using test::WriteText;

constexpr const char* kDefaultLight = R"({
  "DefaultLightName": [
    [{"LightName": "mode_off", "visible": false, "value": 28},
     {"LightName": "mode_static", "visible": 1, "value": 5},
     {"LightName": "mode_breath", "visible": true, "value": 6}],
    null,
    [{"LightName": "pad_static", "visible": true, "value": 1}]
  ],
  "AreaLightName": [[{"LightName": "area_all"}, {"LightName": "area_logo"}]]
})";

class NameListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(dir_.DefaultFolder() + "default_light.json", kDefaultLight);
    WriteText(data_ + "macro.config",
              R"({"MacroInfo": [{"MacroName": "Прыжок", "Guid": "a"}, {"MacroName": "b"}]})");
    WriteText(data_ + "kelma_light.config",
              R"({"LightInfo": [[{"LightName": "wave", "Guid": "g"}], [{"LightName": "m"}]]})");
  }
  PageNameLists Load(int view, const char* config = "macro.config") {
    PageNameLists lists;
    LoadPageNameLists({data_, dir_.DefaultFolder(), config, view}, lists);
    return lists;
  }

  TempDataFolder dir_;
  std::string data_ = dir_.UserFolder() + "keyboard/";
};

TEST_F(NameListsTest, KeyboardViewReadsAlignedModesAreasAndNames) {
  const PageNameLists l = Load(0);
  EXPECT_EQ(l.macroNames, (std::vector<std::string>{"Прыжок", "b"}));
  EXPECT_EQ(l.modeNames, (std::vector<std::string>{"mode_off", "mode_static", "mode_breath"}));
  // a hidden mode still holds its index
  EXPECT_EQ(l.modeVisible, (std::vector<uint8_t>{0, 1, 1}));
  EXPECT_EQ(l.modeCodes, (std::vector<int32_t>{28, 5, 6}));
  EXPECT_EQ(l.areaNames, (std::vector<std::string>{"area_all", "area_logo"}));
  EXPECT_EQ(l.lightEffectNames, std::vector<std::string>{"wave"});
}

struct ViewCase {
  int view;
  size_t modes;
  size_t areas;
  size_t effects;
};

TEST_F(NameListsTest, ViewsWithoutAListStayEmptyWithoutHarmingOthers) {
  const ViewCase cases[] = {{1, 0, 0, 1}, {2, 1, 0, 0}, {3, 0, 0, 0}, {-1, 0, 0, 0}, {99, 0, 0, 0}};
  for (const ViewCase& c : cases) {
    const PageNameLists l = Load(c.view);
    EXPECT_EQ(l.modeNames.size(), c.modes) << c.view;
    EXPECT_EQ(l.modeCodes.size(), c.modes) << c.view;
    EXPECT_EQ(l.areaNames.size(), c.areas) << c.view;
    EXPECT_EQ(l.lightEffectNames.size(), c.effects) << c.view;
  }
}

TEST_F(NameListsTest, MissingFilesLeaveListsAsTheyWereAndListsAreAppended) {
  PageNameLists lists;
  lists.macroNames = {"earlier"};
  LoadPageNameLists({data_, dir_.DefaultFolder(), "kelma_macro.config", 0}, lists);
  EXPECT_EQ(lists.macroNames, std::vector<std::string>{"earlier"});
  EXPECT_EQ(lists.modeNames.size(), 3u);
  LoadPageNameLists({data_, dir_.Root() + "/nowhere/", "macro.config", 0}, lists);
  EXPECT_EQ(lists.macroNames.size(), 3u);
  EXPECT_EQ(lists.modeNames.size(), 3u);  // no default_light.json there
}

TEST(IniFile, SkinChoiceAndResetKeepOtherLines) {
  TempDataFolder dir;
  const std::string folder = dir.UserFolder();
  const std::string path = folder + "main.ini";
  WriteText(path, "; note\r\n[Other]\r\nA=1\r\n\r\n[skinimage]\r\nflags=0\r\nX=y\r\n\r\n[Last]\r\nB=2\r\n");
  ASSERT_EQ(WriteSkinImageChoice(folder, "skin/bg 2.png"), 1);
  EXPECT_EQ(ReadIniValue(path, "SKINIMAGE", "FLAGS"), "1");
  EXPECT_EQ(ReadIniValue(path, "SKINIMAGE", "IMAGE"), "skin/bg 2.png");
  EXPECT_EQ(ReadIniValue(path, "SKINIMAGE", "X"), "y");
  EXPECT_EQ(ReadIniValue(path, "Other", "A"), "1");
  EXPECT_EQ(ReadIniValue(path, "Last", "B"), "2");
  EXPECT_NE(ReadText(path).find("; note"), std::string::npos);
  ASSERT_EQ(WriteSkinImageReset(folder), 1);
  EXPECT_EQ(ReadIniValue(path, "SKINIMAGE", "FLAGS"), "0");
  EXPECT_EQ(ReadIniValue(path, "SKINIMAGE", "IMAGE"), "common/background.png");
  EXPECT_EQ(ReadIniValue(path, "Last", "IMAGE", "none"), "none");
}

TEST(IniFile, ANewFileAndAValueWithLineBreaks) {
  TempDataFolder dir;
  const std::string folder = dir.UserFolder();
  std::filesystem::create_directories(folder);
  ASSERT_EQ(WriteSkinImageChoice(folder, "a.png\n[SKINIMAGE]\nFLAGS=9"), 1);
  const std::string path = folder + "main.ini";
  EXPECT_EQ(ReadText(path), "[SKINIMAGE]\nFLAGS=1\nIMAGE=a.png[SKINIMAGE]FLAGS=9\n");
  EXPECT_EQ(ReadIniValue(path, "SKINIMAGE", "FLAGS"), "1");
}

}  // namespace
}  // namespace talmi
