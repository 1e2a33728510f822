#include "profiles/profile_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "profile_test_support.h"
#include "profiles/json_file.h"

namespace talmi {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDataFolder;
using test::WriteText;

constexpr const char* kTemplate = R"({
  "Device": [{"LightInfo": {"Light": 3, "Speed": 2},
              "CustomEQNameInfo": [{"Name": "template eq"}],
              "CustomEQHzValueInfo": [[{"value": 0}]]}],
  "profilename": "", "profileUUID": ""})";

class ProfileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_);
    WriteText(templatePath_, kTemplate);
    list_.SetDeviceKind(1);
    list_.SetFolders(folder_, templatePath_);
  }

  Json::Value ListFile() { return ReadJsonFile(folder_ + "ProfileList.ini"); }
  Json::Value ProfileFile(int i) { return ReadJsonFile(list_.GetProfileFilePath(i)); }
  int StoredSelection() { return ListFile()["profileselect"].asInt(); }

  // A list of named profiles, each with its own file, shown entry selected.
  void MakeList(const std::vector<std::string>& names, int selected = 0) {
    Json::Value doc;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string id = "id" + std::to_string(i);
      Json::Value e;
      e["profilename"] = names[i];
      e["profileUUID"] = id;
      e["profileislink"] = 0;
      e["profilelinkmame"] = "";
      doc["profilelist"].append(e);
      Json::Value profile = test::Parse(kTemplate);
      profile["profilename"] = names[i];
      profile["profileUUID"] = id;
      profile["Device"][0]["LightInfo"]["Light"] = static_cast<int>(i) + 10;
      ASSERT_EQ(WriteJsonFile(folder_ + id + ".Json", profile), 1);
    }
    doc["profileselect"] = selected;
    ASSERT_EQ(WriteJsonFile(folder_ + "ProfileList.ini", doc), 1);
    ASSERT_EQ(list_.InitProfiles(), 1);
  }

  TempDataFolder dir_;
  std::string folder_ = dir_.UserFolder() + "keyboard/";
  std::string templatePath_ = dir_.DefaultFolder() + "keyboard.Json";
  CProfileList list_;
};

TEST_F(ProfileListTest, FirstStartCreatesProfile1FromTheTemplate) {
  ASSERT_EQ(list_.InitProfiles(), 1);
  ASSERT_EQ(list_.Names(), std::vector<std::string>{"profile1"});
  EXPECT_EQ(list_.SelectedIndex(), 0);
  const Json::Value list = ListFile();
  EXPECT_EQ(list["profileselect"].asInt(), 0);
  const Json::Value& e = list["profilelist"][0];
  EXPECT_EQ(e["profilename"].asString(), "profile1");
  EXPECT_EQ(e["profileislink"].asInt(), 0);
  EXPECT_EQ(e["profilelinkmame"].asString(), "");
  const std::string id = e["profileUUID"].asString();
  EXPECT_TRUE(std::regex_match(id, std::regex(R"(\d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d{3})"))) << id;
  EXPECT_EQ(list_.CurrentUUID(), id);
  const Json::Value profile = ReadJsonFile(folder_ + id + ".Json");
  EXPECT_EQ(profile["profilename"].asString(), "profile1");
  EXPECT_EQ(profile["profileUUID"].asString(), id);
  EXPECT_EQ(profile["Device"][0]["LightInfo"]["Light"].asInt(), 3);
}

TEST_F(ProfileListTest, BrokenOrEmptyListsAreRebuiltWithOneProfile) {
  const char* texts[] = {"", "{", "[]", R"({"profilelist": []})", R"({"profilelist": 5})",
                         R"({"profilelist": {"a": 1}, "profileselect": 3})"};
  for (const char* t : texts) {
    WriteText(folder_ + "ProfileList.ini", t);
    CProfileList list;
    list.SetFolders(folder_, templatePath_);
    ASSERT_EQ(list.InitProfiles(), 1) << t;
    EXPECT_EQ(list.Names(), std::vector<std::string>{"profile1"}) << t;
    EXPECT_EQ(ListFile()["profilelist"].size(), 1u) << t;
    EXPECT_EQ(StoredSelection(), 0) << t;
  }
}

struct SelectionCase {
  const char* stored;
  int shown;
};

TEST_F(ProfileListTest, StoredSelectionOutsideTheListSelectsTheFirst) {
  const SelectionCase cases[] = {{"1", 1}, {"2", 2}, {"3", 0}, {"-1", 0}, {"\"2\"", 0},
                                 {"null", 0}};
  MakeList({"a", "b", "c"});
  for (const SelectionCase& c : cases) {
    Json::Value doc = ListFile();
    doc["profileselect"] = test::Parse(std::string("[") + c.stored + "]")[0];
    ASSERT_EQ(WriteJsonFile(folder_ + "ProfileList.ini", doc), 1);
    CProfileList list;
    list.SetFolders(folder_, templatePath_);
    ASSERT_EQ(list.InitProfiles(), 1);
    EXPECT_EQ(list.SelectedIndex(), c.shown) << c.stored;
    EXPECT_EQ(list.CurrentUUID(), "id" + std::to_string(c.shown)) << c.stored;
    EXPECT_EQ(StoredSelection(), c.shown) << c.stored;
  }
}

TEST_F(ProfileListTest, AddTakesTheFirstFreeNumberIgnoringCase) {
  MakeList({"profile1", "Profile2"});
  ASSERT_EQ(list_.AddProfile(), 1);
  EXPECT_EQ(list_.Names().back(), "profile3");
  // the page stays on the profile it shows; the file names the new one
  EXPECT_EQ(list_.SelectedIndex(), 0);
  EXPECT_EQ(StoredSelection(), 2);
  const Json::Value added = ProfileFile(2);
  EXPECT_EQ(added["profilename"].asString(), "profile3");
  EXPECT_EQ(added["Device"][0]["LightInfo"]["Light"].asInt(), 3);
}

TEST_F(ProfileListTest, FiftyProfilesStopAddButNotCopyOrImport) {
  ASSERT_EQ(list_.InitProfiles(), 1);
  for (int i = 1; i < 50; ++i) ASSERT_EQ(list_.AddProfile(), 1) << i;
  ASSERT_EQ(list_.Names().size(), 50u);
  EXPECT_EQ(list_.Names().back(), "profile50");
  const std::string before = ReadText(folder_ + "ProfileList.ini");
  EXPECT_EQ(list_.AddProfile(), 0);
  EXPECT_EQ(ReadText(folder_ + "ProfileList.ini"), before);
  EXPECT_EQ(list_.CopyProfile(), 1);
  WriteText(dir_.Outside() + "x.json", R"({"profilename": "x", "profileUUID": "y"})");
  EXPECT_EQ(list_.ImportProfile(dir_.Outside() + "x.json"), 1);
  EXPECT_EQ(list_.GetProfileCount(), 52);
  // ids made within one millisecond still name distinct files
  std::set<std::string> ids;
  const Json::Value list = ListFile();
  for (const Json::Value& e : list["profilelist"]) ids.insert(e["profileUUID"].asString());
  EXPECT_EQ(ids.size(), 52u);
}

struct DeleteCase {
  int selected;
  int storedAfter;
  std::vector<std::string> namesAfter;
};

TEST_F(ProfileListTest, DeleteSelectsThePreviousAndNeverTheLast) {
  const DeleteCase cases[] = {
      {0, 0, {"b", "c"}},
      {1, 0, {"a", "c"}},
      {2, 1, {"a", "b"}},
  };
  for (const DeleteCase& c : cases) {
    MakeList({"a", "b", "c"}, c.selected);
    const std::string removedFile = list_.GetProfileFilePath(c.selected);
    ASSERT_EQ(list_.DeleteProfile(), 1);
    EXPECT_EQ(list_.Names(), c.namesAfter);
    EXPECT_EQ(StoredSelection(), c.storedAfter);
    EXPECT_EQ(list_.SelectedIndex(), c.storedAfter);
    EXPECT_FALSE(fs::exists(removedFile));
    EXPECT_EQ(ListFile()["profilelist"].size(), 2u);
  }
  MakeList({"only"});
  EXPECT_EQ(list_.DeleteProfile(), 0);
  EXPECT_TRUE(fs::exists(list_.GetProfileFilePath(0)));
}

TEST_F(ProfileListTest, CopyAppendsCopySuffixesAndKeepsTheSettings) {
  MakeList({"A", "a COPY", "b"}, 0);
  ASSERT_EQ(list_.CopyProfile(), 1);
  EXPECT_EQ(list_.Names().back(), "A copy copy");
  ASSERT_EQ(list_.CopyProfile(), 1);
  EXPECT_EQ(list_.Names().back(), "A copy copy copy");
  EXPECT_EQ(StoredSelection(), 0);
  const Json::Value copy = ProfileFile(3);
  EXPECT_EQ(copy["profilename"].asString(), "A copy copy");
  EXPECT_EQ(copy["profileUUID"].asString(), ListFile()["profilelist"][3]["profileUUID"].asString());
  EXPECT_EQ(copy["Device"][0]["LightInfo"]["Light"].asInt(), 10);  // the source's own value
}

TEST_F(ProfileListTest, ImportNamesAfterTheFileWithAccumulatingSuffixes) {
  MakeList({"fast", "other"}, 1);
  const std::string source = dir_.Outside() + "Fast.json";
  const std::string text = R"({"profilename": "ignored", "profileUUID": "foreign",
                               "Device": [{"LightInfo": {"Light": 77}}]})";
  WriteText(source, text);
  ASSERT_EQ(list_.ImportProfile(source), 1);
  ASSERT_EQ(list_.ImportProfile(source), 1);
  EXPECT_EQ(list_.Names()[2], "Fast(1)");
  EXPECT_EQ(list_.Names()[3], "Fast(1)(2)");
  EXPECT_EQ(StoredSelection(), 1);
  EXPECT_EQ(ReadText(source), text);  // the imported file is not changed
  const Json::Value imported = ProfileFile(3);
  EXPECT_EQ(imported["profilename"].asString(), "Fast(1)(2)");
  EXPECT_NE(imported["profileUUID"].asString(), "foreign");
  EXPECT_EQ(imported["Device"][0]["LightInfo"]["Light"].asInt(), 77);

  const char* refused[] = {R"({"profilename": "x"})", R"({"profileUUID": "x"})",
                           R"({"profilename": null, "profileUUID": "x"})", "[1]", "{"};
  for (const char* t : refused) {
    WriteText(dir_.Outside() + "bad.json", t);
    EXPECT_EQ(list_.ImportProfile(dir_.Outside() + "bad.json"), 0) << t;
  }
  EXPECT_EQ(list_.ImportProfile(dir_.Outside() + "missing.json"), 0);
  EXPECT_EQ(list_.GetProfileCount(), 4);
}

struct RenameCase {
  const char* name;
  int result;
  const char* stored;
};

TEST_F(ProfileListTest, RenameResults) {
  const RenameCase cases[] = {
      {"   ", kRenameBlank, "Mine"},
      {"", kRenameBlank, "Mine"},
      {"OTHER", kRenameTaken, "Mine"},
      {"mINE", kRenameDone, "mINE"},  // its own name in another spelling
      {"Новый профиль", kRenameDone, "Новый профиль"},
      {"НОВЫЙ ПРОФИЛЬ", kRenameDone, "НОВЫЙ ПРОФИЛЬ"},
  };
  MakeList({"Mine", "other"}, 0);
  for (const RenameCase& c : cases) {
    EXPECT_EQ(list_.RenameProfile(c.name), c.result) << c.name;
    EXPECT_EQ(list_.Names()[0], c.stored) << c.name;
    EXPECT_EQ(ListFile()["profilelist"][0]["profilename"].asString(), c.stored) << c.name;
    EXPECT_EQ(ProfileFile(0)["profilename"].asString(), c.stored) << c.name;
  }
  EXPECT_EQ(ListFile()["profilelist"][1]["profilename"].asString(), "other");
  // a Cyrillic name taken by another profile in other letter case
  ASSERT_EQ(list_.SelectProfile(1), 1);
  EXPECT_EQ(list_.RenameProfile("новый профиль"), kRenameTaken);
}

TEST_F(ProfileListTest, Utf8NamesSurviveAReload) {
  const std::string name = "Λειτουργία 游戏 ÆØÅ";
  MakeList({"a"});
  ASSERT_EQ(list_.RenameProfile(name), kRenameDone);
  CProfileList again;
  again.SetFolders(folder_, templatePath_);
  ASSERT_EQ(again.InitProfiles(), 1);
  EXPECT_EQ(again.Names()[0], name);
  ASSERT_EQ(again.CopyProfile(), 1);
  EXPECT_EQ(again.Names()[1], name + " copy");
}

TEST_F(ProfileListTest, ResetRestoresTheTemplateAndTheHeadsetKeepsItsCustomEq) {
  for (int kind : {1, kProfileKindHeadset}) {
    MakeList({"a", "b"}, 1);
    list_.SetDeviceKind(kind);
    Json::Value mine = ProfileFile(1);
    mine["Device"][0]["CustomEQNameInfo"][0]["Name"] = "my eq";
    mine["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 9;
    ASSERT_EQ(WriteJsonFile(list_.GetProfileFilePath(1), mine), 1);
    ASSERT_EQ(list_.ResetProfile(), 1);
    const Json::Value reset = ProfileFile(1);
    EXPECT_EQ(reset["profilename"].asString(), "b");
    EXPECT_EQ(reset["profileUUID"].asString(), "id1");
    EXPECT_EQ(reset["Device"][0]["LightInfo"]["Light"].asInt(), 3);
    const bool kept = kind == kProfileKindHeadset;
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(),
              kept ? "my eq" : "template eq");
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"].asInt(), kept ? 9 : 0);
    EXPECT_EQ(ProfileFile(0)["Device"][0]["LightInfo"]["Light"].asInt(), 10);  // untouched
  }
}

TEST_F(ProfileListTest, ResetWithoutATemplateLeavesTheProfileAlone) {
  MakeList({"a"});
  fs::remove(templatePath_);
  const std::string before = ReadText(list_.GetProfileFilePath(0));
  EXPECT_EQ(list_.ResetProfile(), 0);
  EXPECT_EQ(ReadText(list_.GetProfileFilePath(0)), before);
}

TEST_F(ProfileListTest, ExportWritesTheShownProfile) {
  MakeList({"a", "b"}, 1);
  ASSERT_EQ(list_.AddProfile(), 1);  // stored selection moves to the new profile
  const std::string out = dir_.Outside() + "out.json";
  ASSERT_EQ(list_.ExportProfile(out), 1);
  EXPECT_EQ(ReadJsonFile(out), ProfileFile(1));
  fs::remove(list_.GetProfileFilePath(1));
  EXPECT_EQ(list_.ExportProfile(dir_.Outside() + "none.json"), 0);
  EXPECT_FALSE(fs::exists(dir_.Outside() + "none.json"));
}

TEST_F(ProfileListTest, AListFileBrokenBetweenOperationsIsRestoredWhole) {
  MakeList({"a", "b"});
  WriteText(folder_ + "ProfileList.ini", "{ broken");
  ASSERT_EQ(list_.AddProfile(), 1);
  const Json::Value list = ListFile();
  ASSERT_EQ(list["profilelist"].size(), 3u);
  for (const Json::Value& e : list["profilelist"]) EXPECT_TRUE(e.isObject());
  EXPECT_EQ(list["profilelist"][2]["profilename"].asString(), "profile1");
}

TEST_F(ProfileListTest, TraversalThroughProfileIdsTouchesNothingOutside) {
  const std::string victim = dir_.Outside() + "victim.Json";
  const std::string victimText = R"({"profilename": "victim"})";
  WriteText(victim, victimText);
  const std::string ids[] = {"../../../outside/victim", "..", "/" + dir_.Outside() + "victim",
                             "..\\..\\..\\outside\\victim", std::string(200, 'a'),
                             std::string("a\0b", 3)};
  for (const std::string& id : ids) {
    Json::Value doc;
    for (const std::string& entryId : {id, std::string("good")}) {
      Json::Value e;
      e["profilename"] = entryId == "good" ? "good" : "evil";
      e["profileUUID"] = entryId;
      doc["profilelist"].append(e);
    }
    doc["profileselect"] = 0;
    ASSERT_EQ(WriteJsonFile(folder_ + "ProfileList.ini", doc), 1);
    CProfileList list;
    list.SetDeviceKind(kProfileKindHeadset);
    list.SetFolders(folder_, templatePath_);
    ASSERT_EQ(list.InitProfiles(), 1);
    EXPECT_EQ(list.GetProfileFilePath(0), "");
    EXPECT_EQ(list.ResetProfile(), 0);
    EXPECT_EQ(list.ExportProfile(dir_.Outside() + "export.json"), 0);
    EXPECT_EQ(list.RenameProfile("renamed"), kRenameDone);
    EXPECT_EQ(list.CopyProfile(), 1);
    EXPECT_EQ(list.DeleteProfile(), 1);
  }
  EXPECT_EQ(ReadText(victim), victimText);
  EXPECT_FALSE(fs::exists(dir_.Outside() + "export.json"));
  size_t outsideFiles = 0;
  for (const auto& f : fs::directory_iterator(dir_.Outside())) outsideFiles += f.is_regular_file();
  EXPECT_EQ(outsideFiles, 1u);
}

}  // namespace
}  // namespace talmi
