#include "profiles/macro_delete.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profile_test_support.h"
#include "profiles/basic_profiledata.h"
#include "profiles/json_file.h"
#include "profiles/profile_list.h"

namespace talmi {
namespace {

namespace fs = std::filesystem;
using test::TempDataFolder;
using test::WriteText;

constexpr int32_t kDefault = 0x200004;  // key A
constexpr int32_t Macro(int index) { return (0x70 << 16) | (index << 8) | 1; }

TEST(MacroDelete, OtherProfilesAreRemappedOnDiskTheShownOneIsNot) {
  TempDataFolder dir;
  const std::string folder = dir.UserFolder() + "keyboard/";
  fs::create_directories(folder);
  const std::string templatePath = dir.DefaultFolder() + "keyboard.Json";
  WriteText(templatePath, R"({"Device": [{}]})");
  // profile i assigns macros 2 and 5 to keys 0 and 1, key 2 is a plain key
  Json::Value listDoc;
  for (int i = 0; i < 3; ++i) {
    const std::string id = "p" + std::to_string(i);
    listDoc["profilelist"][i]["profilename"] = id;
    listDoc["profilelist"][i]["profileUUID"] = id;
    Json::Value profile;
    const int32_t codes[] = {Macro(2), Macro(5), 0x200005};
    for (int k = 0; k < 3; ++k) {
      profile["Device"][0]["KeyList"][k]["Assignment"] = codes[k];
      profile["Device"][0]["KeyList"][k]["DefaultAssignment"] = kDefault;
    }
    profile["Device"][0]["Other"] = i;
    ASSERT_EQ(WriteJsonFile(folder + id + ".Json", profile), 1);
  }
  listDoc["profileselect"] = 1;
  ASSERT_EQ(WriteJsonFile(folder + "ProfileList.ini", listDoc), 1);
  CProfileList list;
  list.SetFolders(folder, templatePath);
  ASSERT_EQ(list.InitProfiles(), 1);

  CBasicProfiledata data;
  data.SetDefaultProfilePath(templatePath);
  EXPECT_EQ(RemapMacrosInOtherProfiles(list, data, 2), 2);
  for (int i = 0; i < 3; ++i) {
    const Json::Value doc = ReadJsonFile(folder + "p" + std::to_string(i) + ".Json");
    const Json::Value& keys = doc["Device"][0]["KeyList"];
    const bool shown = i == 1;
    EXPECT_EQ(keys[0]["Assignment"].asInt(), shown ? Macro(2) : kDefault) << i;
    EXPECT_EQ(keys[1]["Assignment"].asInt(), shown ? Macro(5) : Macro(4)) << i;
    EXPECT_EQ(keys[2]["Assignment"].asInt(), 0x200005) << i;
    EXPECT_EQ(keys[0]["DefaultAssignment"].asInt(), kDefault) << i;
    EXPECT_EQ(doc["Device"][0]["Other"].asInt(), i) << i;
  }
  // deleting a macro nobody uses saves nothing
  EXPECT_EQ(RemapMacrosInOtherProfiles(list, data, 9), 0);

  std::vector<KeyAssignment> keys = {{0, UnpackAssignmentCode(Macro(3)), 0, {}}};
  EXPECT_TRUE(UsesMacro(keys, 3));
  EXPECT_FALSE(UsesMacro(keys, 2));
}

}  // namespace
}  // namespace talmi
