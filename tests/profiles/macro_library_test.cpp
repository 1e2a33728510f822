#include "profiles/macro_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "profile_test_support.h"
#include "platform/atomic_file.h"
#include "profiles/json_file.h"
#include "profiles/macro_event.h"

namespace talmi {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDataFolder;
using test::WriteText;

class MacroLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_); }

  void WriteConfig(const std::string& text) { WriteText(folder_ + "macro.config", text); }
  Json::Value Config() { return ReadJsonFile(folder_ + "macro.config"); }
  void AddMacros(int n) {
    for (int i = 0; i < n; ++i) ASSERT_EQ(lib_.AddMacro(), 1);
  }

  TempDataFolder dir_;
  std::string folder_ = dir_.Root() + "/data/TALMI KT-380 Device/keyboard/";
  CMacroLibrary lib_{folder_};
};

TEST_F(MacroLibraryTest, MissingOrBrokenIndexFileIsAnEmptyLibrary) {
  const char* texts[] = {"", "{", "[1,2]", R"({"MacroInfo": {"a": 1}})", R"({"MacroInfo": 5})"};
  EXPECT_EQ(lib_.Load(), 0);
  for (const char* t : texts) {
    WriteConfig(t);
    EXPECT_EQ(lib_.Load(), 0) << t;
    EXPECT_EQ(lib_.Count(), 0u) << t;
  }
}

TEST_F(MacroLibraryTest, RowsKeepTheirPositionsEvenWhenOddlyShaped) {
  WriteConfig(R"({"MacroInfo": [{"MacroName": "a", "Guid": "g1"}, null, 7,
                                {"MacroName": 3, "Guid": "g4"}]})");
  ASSERT_EQ(lib_.Load(), 1);
  ASSERT_EQ(lib_.Count(), 4u);
  EXPECT_EQ(lib_.Rows()[0].name, "a");
  EXPECT_EQ(lib_.Rows()[1].guid, "");
  EXPECT_EQ(lib_.Rows()[3].name, "");
  EXPECT_EQ(lib_.MacroFilePath(3), folder_ + "g4.mac");
  EXPECT_EQ(lib_.MacroFilePath(1), "");
  EXPECT_EQ(lib_.MacroFilePath(4), "");
}

TEST_F(MacroLibraryTest, AddNamesTheFirstFreeNumberIgnoringCaseUpToFifty) {
  WriteConfig(R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "a"},
                                {"MacroName": "MACRO_2", "Guid": "b"}], "Other": 1})");
  ASSERT_EQ(lib_.AddMacro(), 1);
  EXPECT_EQ(lib_.Rows().back().name, "macro_3");
  EXPECT_TRUE(IsSafeFileIdentifier(lib_.Rows().back().guid));
  EXPECT_EQ(Config()["Other"].asInt(), 1);  // other keys survive
  AddMacros(47);
  EXPECT_EQ(lib_.Count(), 50u);
  const std::string before = ReadText(folder_ + "macro.config");
  EXPECT_EQ(lib_.AddMacro(), 0);
  EXPECT_EQ(ReadText(folder_ + "macro.config"), before);
}

TEST_F(MacroLibraryTest, MacrosAddedInOneMillisecondGetDistinctFiles) {
  AddMacros(5);
  std::set<std::string> guids;
  for (const MacroRow& r : lib_.Rows()) guids.insert(r.guid);
  EXPECT_EQ(guids.size(), 5u);
}

struct RenameCase {
  const char* name;
  int result;
};

TEST_F(MacroLibraryTest, RenameRefusesBlankAndTakenNamesItsOwnIncluded) {
  AddMacros(2);  // macro_1, macro_2
  const RenameCase cases[] = {
      {"   ", 2}, {"", 2}, {"\t\xE3\x80\x80", 2}, {"MACRO_2", 0}, {"Macro_1", 0},
      {"Sprint", 1}, {"sprint", 0},
  };
  for (const RenameCase& c : cases) {
    EXPECT_EQ(lib_.RenameMacro(0, c.name), c.result) << c.name;
  }
  EXPECT_EQ(Config()["MacroInfo"][0]["MacroName"].asString(), "Sprint");
  EXPECT_EQ(lib_.RenameMacro(2, "x"), -1);
}

TEST_F(MacroLibraryTest, Utf8NamesSurviveARoundTrip) {
  AddMacros(1);
  const std::string name = "Прыжок ΑΒΓ 連射";
  ASSERT_EQ(lib_.RenameMacro(0, name), 1);
  CMacroLibrary again(folder_);
  ASSERT_EQ(again.Load(), 1);
  EXPECT_EQ(again.Rows()[0].name, name);
  // Cyrillic and Greek compare without regard to case
  EXPECT_EQ(again.RenameMacro(0, "прыжок αβγ 連射"), 0);
}

TEST_F(MacroLibraryTest, SaveWritesTheMacroFileAndDeleteMovesLaterMacrosDown) {
  AddMacros(3);
  Json::Value events(Json::arrayValue);
  events.append(MakeMacroEvent(kMacroEventKey, 4, true, 120));
  ASSERT_EQ(lib_.SaveMacro(1, events), 1);
  const Json::Value doc = lib_.ReadMacro(1);
  EXPECT_EQ(doc["MacroName"].asString(), "macro_2");
  EXPECT_EQ(doc["Guid"].asString(), lib_.Rows()[1].guid);
  EXPECT_EQ(doc["Version"].asInt(), 64);
  EXPECT_EQ(doc["Events"][0]["Delay"].asString(), "120");

  const std::string file = lib_.MacroFilePath(1);
  const std::string third = lib_.Rows()[2].guid;
  ASSERT_EQ(lib_.DeleteMacro(1), 1);
  EXPECT_FALSE(fs::exists(file));
  ASSERT_EQ(lib_.Count(), 2u);
  EXPECT_EQ(lib_.Rows()[1].guid, third);
  EXPECT_EQ(Config()["MacroInfo"].size(), 2u);
  EXPECT_EQ(lib_.DeleteMacro(2), -1);
}

TEST_F(MacroLibraryTest, DeletingOneOfTwoRowsSharingAFileKeepsTheFile) {
  WriteConfig(R"({"MacroInfo": [{"MacroName": "a", "Guid": "same"},
                                {"MacroName": "b", "Guid": "same"}]})");
  WriteText(folder_ + "same.mac", R"({"Events": []})");
  ASSERT_EQ(lib_.DeleteMacro(0), 1);
  EXPECT_TRUE(fs::exists(folder_ + "same.mac"));
}

TEST_F(MacroLibraryTest, ExportAndImportCopyTheFileUnchanged) {
  AddMacros(1);
  const std::string text = "{ \"MacroName\" : \"orig\", \"Guid\" : \"x\", \"Events\" : [] }\n";
  WriteText(lib_.MacroFilePath(0), text);
  const std::string exported = dir_.Outside() + "out.mac";
  ASSERT_EQ(lib_.ExportMacro(0, exported), 1);
  EXPECT_EQ(ReadText(exported), text);

  ASSERT_EQ(lib_.ImportMacro(exported), 1);
  ASSERT_EQ(lib_.Count(), 2u);
  EXPECT_EQ(lib_.Rows()[1].name, "macro_2");
  EXPECT_EQ(ReadText(lib_.MacroFilePath(1)), text);
  EXPECT_NE(lib_.Rows()[1].guid, lib_.Rows()[0].guid);

  // unreadable or non-JSON files are refused and add nothing
  WriteText(dir_.Outside() + "junk.mac", "not json");
  EXPECT_EQ(lib_.ImportMacro(dir_.Outside() + "junk.mac"), 0);
  EXPECT_EQ(lib_.ImportMacro(dir_.Outside() + "missing.mac"), 0);
  EXPECT_EQ(lib_.Count(), 2u);
  // a macro never saved has no file to export
  AddMacros(1);
  EXPECT_EQ(lib_.ExportMacro(2, dir_.Outside() + "none.mac"), 0);
  EXPECT_FALSE(fs::exists(dir_.Outside() + "none.mac"));
}

TEST_F(MacroLibraryTest, ImportStopsAtFifty) {
  AddMacros(50);
  WriteText(dir_.Outside() + "a.mac", R"({"Events": []})");
  EXPECT_EQ(lib_.ImportMacro(dir_.Outside() + "a.mac"), 0);
  EXPECT_EQ(lib_.Count(), 50u);
}

TEST_F(MacroLibraryTest, TraversalThroughTheGuidTouchesNothingOutside) {
  const std::string victim = dir_.Outside() + "victim.mac";
  WriteText(victim, "keep");
  const std::string guids[] = {
      "../../../outside/victim", "/" + dir_.Outside() + "victim", "..", "a/b",
      "..\\..\\outside\\victim", std::string("vic\0tim", 7), std::string(300, 'x'),
  };
  for (const std::string& g : guids) {
    Json::Value config;
    config["MacroInfo"][0]["MacroName"] = "evil";
    config["MacroInfo"][0]["Guid"] = g;
    ASSERT_EQ(WriteJsonFile(folder_ + "macro.config", config), 1);
    ASSERT_EQ(lib_.Load(), 1);
    EXPECT_EQ(lib_.MacroFilePath(0), "");
    EXPECT_TRUE(lib_.ReadMacro(0).isNull());
    EXPECT_EQ(lib_.SaveMacro(0, Json::Value(Json::arrayValue)), -1);
    EXPECT_EQ(lib_.ExportMacro(0, dir_.Outside() + "copy.mac"), 0);
    EXPECT_EQ(lib_.DeleteMacro(0), 1);  // the row goes, no file is touched
  }
  EXPECT_EQ(ReadText(victim), "keep");
  EXPECT_FALSE(fs::exists(dir_.Outside() + "copy.mac"));
}

}  // namespace
}  // namespace talmi
