// The shipped DefaultData files are loaded the way the program loads them
// and checked for the shape every reader relies on.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "profile_test_support.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "profiles/profile_folders.h"

namespace talmi {
namespace {

std::string Shipped(const std::string& name) {
  return std::string(TALMI_SOURCE_DIR) + "/DefaultData/" + name;
}

Json::Value LoadShipped(const std::string& name) {
  Json::Value v = ReadJsonFile(Shipped(name));
  EXPECT_FALSE(v.isNull()) << name << " does not parse";
  return v;
}

TEST(DefaultData, EveryShippedFileParses) {
  int files = 0;
  for (const auto& e : test::fs::directory_iterator(std::string(TALMI_SOURCE_DIR) + "/DefaultData")) {
    if (!e.is_regular_file()) continue;
    ++files;
    EXPECT_TRUE(ReadJsonFile(e.path().string()).isObject()) << e.path();
  }
  EXPECT_GT(files, 0);
}

// A fresh profile of each kind is made from the shipped template.
class ShippedProfile : public ::testing::Test {
 protected:
  template <typename T>
  void Fresh(T& object, const char* kind) {
    dir_.InstallShipped(std::string(kind) + ".Json");
    object.SetDefaultProfilePath(DefaultProfilePath(kind));
    ASSERT_EQ(object.SelectProfileFile(DataFolderPath(kind), MakeTimestampId()), 1);
    ASSERT_TRUE(object.LoadDeviceEntry(object.GetProfilePath()).isObject()) << kind;
  }
  test::TempDataFolder dir_;
};

TEST_F(ShippedProfile, KeyboardCarriesTheWholeDefaultKeyTable) {
  CKeyboardProfiledata kb;
  Fresh(kb, kKindKeyboard);
  std::vector<KeyAssignment> keys = kb.GetKeyList();
  ASSERT_EQ(keys.size(), 170u);
  for (const KeyAssignment& k : keys) EXPECT_EQ(k.current, k.defaultCode) << k.index;
  struct Spot {
    int index;
    AssignmentCode code;
  };
  const Spot spots[] = {
      {0, {0x20, 0x00, 0x29}},   {1, {0x20, 0x00, 0x3A}},   {12, {0x20, 0x00, 0x45}},
      {16, {0xA0, 0x1B, 0x00}},  {17, {0xA0, 0x24, 0x00}},  {19, {0x20, 0x00, 0x00}},
      {30, {0x20, 0x00, 0x26}},  {55, {0x20, 0x00, 0x31}},  {64, {0x20, 0x00, 0x04}},
      {79, {0x20, 0x00, 0x8A}},  {84, {0x20, 0x02, 0x00}},  {95, {0x20, 0x20, 0x00}},
      {104, {0x20, 0x00, 0x00}}, {108, {0x20, 0x00, 0x2C}}, {110, {0xA0, 0x01, 0x00}},
      {112, {0x20, 0x10, 0x00}}, {119, {0x20, 0x00, 0x57}}, {120, {0xD0, 0xA2, 0x01}},
      {124, {0xD0, 0xA2, 0x05}}, {125, {0x20, 0x80, 0x00}},
  };
  for (const Spot& s : spots) EXPECT_EQ(keys[s.index].defaultCode, s.code) << s.index;
  for (int i = 126; i < 170; ++i) EXPECT_EQ(keys[i].defaultCode, (AssignmentCode{0x20, 0, 0})) << i;
  EXPECT_TRUE(kb.DeviceEntry().isMember("SystemStages"));
  EXPECT_TRUE(kb.DeviceEntry().isMember("AudioLightInfo"));
  EXPECT_TRUE(kb.DeviceEntry()["CustomLightMode"]["LightColorInfo"].isArray());
}

TEST_F(ShippedProfile, MouseHasElevenButtonsFiveStagesAndOneCorrectionChoice) {
  CMouseProfiledata ms;
  Fresh(ms, kKindMouse);
  const AssignmentCode buttons[] = {{0x10, 0x01, 0}, {0x10, 0x02, 0}, {0x10, 0x04, 0}, {0x10, 0x10, 0},
                                    {0x10, 0x08, 0}, {0x13, 0x01, 0}, {0x13, 0x02, 0}, {0x13, 0x03, 0},
                                    {0xA0, 0x1B, 0}, {0x16, 0x90, 1}, {0x14, 0x78, 2}};
  std::vector<KeyAssignment> keys = ms.GetKeyList();
  ASSERT_EQ(keys.size(), 11u);
  for (size_t i = 0; i < 11; ++i) {
    EXPECT_EQ(keys[i].defaultCode, buttons[i]) << i;
    EXPECT_EQ(keys[i].current, buttons[i]) << i;
  }
  std::vector<DpiStageRecord> stages = ms.GetDpiStages();
  ASSERT_EQ(stages.size(), 5u);
  for (size_t i = 0; i < stages.size(); ++i) {
    EXPECT_EQ(stages[i].active, 1) << i;
    EXPECT_GT(stages[i].dpiX, 0) << i;
    if (i > 0) {
      EXPECT_GT(stages[i].dpiX, stages[i - 1].dpiX) << "stages rise";
    }
  }
  EXPECT_GE(ms.GetActiveDpiStage(), 0);
  EXPECT_LT(ms.GetActiveDpiStage(), 5);
  std::vector<CorrectInfoEntry> corr = ms.GetCorrectInfo();
  ASSERT_FALSE(corr.empty());
  int chosen = 0;
  for (const CorrectInfoEntry& c : corr) {
    EXPECT_FALSE(c.name.empty());
    chosen += c.select != 0;
  }
  EXPECT_EQ(chosen, 1);
  EXPECT_LE(ms.GetMouseSystemStages().w2 >> 16, 4u) << "polling-rate index 0-4";
}

TEST_F(ShippedProfile, PadHasLightingOnly) {
  CBasicProfiledata pad;
  Fresh(pad, kKindMousePad);
  EXPECT_TRUE(pad.DeviceEntry().isMember("LightInfo"));
  EXPECT_TRUE(pad.DeviceEntry()["LightList"].isArray());
  EXPECT_FALSE(pad.DeviceEntry().isMember("KeyList"));
}

TEST_F(ShippedProfile, HeadsetSlotsHoldTheBuiltInPresets) {
  CHs6533Profiledata hs;
  Fresh(hs, kKindHeadset);
  const int32_t presets[12][10] = {
      {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},      {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
      {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},          {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
      {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},     {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
      {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},     {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
      {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},     {2, 1, -2, -4, -8, 4, 12, 16, 18, 15}};
  for (int t = 1; t <= 12; ++t) {
    std::vector<int32_t> want(presets[t - 1], presets[t - 1] + 10);
    EXPECT_EQ(hs.GetEqValues(t), want) << t;
  }
  HeadsetStages st = hs.GetSystemSetStages();
  EXPECT_GE(st.eqType, 1);
  EXPECT_LE(st.eqType, 13);
  EXPECT_GE(st.magicType, 1);
  EXPECT_LE(st.magicType, 4);
  EXPECT_LE(st.micInValue, 100);
  EXPECT_LE(st.micMonitorValue, 100);
  const Json::Value& sys = hs.DeviceEntry()["SystemSetStages"];
  for (const char* key : {"MagicEnable", "MagicType", "EqType", "CustomEqSeletIndex", "MicInSelect",
                          "MicInValue", "MicMoniterSelect", "MicMoniterValue"}) {
    EXPECT_TRUE(sys[key].isInt()) << key;
  }
  EXPECT_TRUE(hs.DeviceEntry()["CustomEQNameInfo"].isArray());
  EXPECT_TRUE(hs.DeviceEntry()["CustomEQHzValueInfo"].isArray());
}

// Mode codes the pages and the same-lighting action rely on, per view.
TEST(DefaultData, ModeIndexEqualsDeviceCodeOnEveryKind) {
  Json::Value doc = LoadShipped("default_light.json");
  const Json::Value& modes = doc["DefaultLightName"];
  ASSERT_TRUE(modes.isArray());
  ASSERT_EQ(modes.size(), 4u);
  ASSERT_EQ(doc["AreaLightName"].size(), 4u);
  for (Json::ArrayIndex v = 0; v < 4; ++v) {
    ASSERT_TRUE(modes[v].isArray()) << v;
    for (Json::ArrayIndex i = 0; i < modes[v].size(); ++i) {
      const Json::Value& m = modes[v][i];
      EXPECT_EQ(JsonInt(m, "value", -1), static_cast<int>(i)) << v << "/" << i;
      EXPECT_FALSE(JsonString(m, "LightName").empty()) << v << "/" << i;
      EXPECT_TRUE(m["visible"].isBool()) << v << "/" << i;
    }
    for (const Json::Value& a : doc["AreaLightName"][v]) EXPECT_FALSE(JsonString(a, "LightName").empty());
  }
  EXPECT_EQ(modes[1].size(), 10u) << "mouse modes 0-9";
  // breathing, static, blink, spectrum, off
  const int common[4][5] = {{6, 5, 23, 40, 28}, {2, 3, 4, 1, 9}, {2, 3, 4, 1, 8}, {2, 3, 4, 1, 8}};
  for (int v = 0; v < 4; ++v) {
    for (int code : common[v]) {
      ASSERT_LT(static_cast<Json::ArrayIndex>(code), modes[v].size()) << v;
      EXPECT_TRUE(JsonBool(modes[v][code], "visible")) << v << "/" << code;
    }
  }
  const int keyboardVisible[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 14, 15, 16, 17, 18, 19, 20,
                                 21, 22, 23, 24, 26, 27, 28, 29, 30, 40, 45};
  for (int m : keyboardVisible) EXPECT_TRUE(JsonBool(modes[0][m], "visible")) << m;
}

TEST(DefaultData, EachTemplateSelectsAVisibleModeOfItsKind) {
  Json::Value modes = LoadShipped("default_light.json")["DefaultLightName"];
  struct Kind {
    const char* file;
    int view;
  };
  for (Kind k : {Kind{"mouse.Json", 1}, Kind{"keyboard.Json", 0}, Kind{"MousePad.Json", 2},
                 Kind{"HD.Json", 3}}) {
    Json::Value entry = LoadShipped(k.file)["Device"][0];
    int sel = JsonInt(entry["LightInfo"], "SelectItem", -1);
    ASSERT_GE(sel, 0) << k.file;
    ASSERT_LT(static_cast<Json::ArrayIndex>(sel), modes[k.view].size()) << k.file;
    EXPECT_TRUE(JsonBool(modes[k.view][sel], "visible")) << k.file;
    EXPECT_LE(JsonInt(entry["LightInfo"], "Light"), 4) << k.file;
    EXPECT_LE(JsonInt(entry["LightInfo"], "Speed"), 4) << k.file;
  }
}

TEST(DefaultData, AudioStylesHaveAllSeventeenKeys) {
  const Json::Value doc = LoadShipped("AudioFile.json");
  const Json::Value& s = doc["Device"]["AudioLightInfo"];
  ASSERT_TRUE(s.isObject());
  int style = JsonInt(s, "nAudioStyle", -1);
  EXPECT_GE(style, 0);
  EXPECT_LE(style, 3);
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(JsonString(s, ("nStyleName" + std::to_string(i)).c_str()).empty());
  for (int i = 0; i < 4; ++i) {
    for (const char* c : {"R", "G", "B"}) {
      std::string key = std::string("nStyle") + c + std::to_string(i);
      int v = JsonInt(s, key.c_str(), -1);
      EXPECT_GE(v, 0) << key;
      EXPECT_LE(v, 255) << key;
    }
  }
}

TEST(DefaultData, ColourPresetsAreTwentyHexColours) {
  const Json::Value doc = LoadShipped("color_option_info.config");
  const Json::Value& c = doc["coloroptioninfo"];
  const std::regex hex("^#[0-9A-F]{8}$");
  ASSERT_EQ(c["palletDialogcoloroption"].size(), 20u);
  for (const Json::Value& p : c["palletDialogcoloroption"]) {
    EXPECT_TRUE(std::regex_match(JsonString(p, "color"), hex)) << JsonString(p, "color");
  }
  for (const Json::Value& p : c["palletDialogcollectcoloroption"]) {
    EXPECT_TRUE(std::regex_match(JsonString(p, "color"), hex));
    EXPECT_TRUE(p["UserData"].isString());
  }
  EXPECT_TRUE(c["palletDialogcoloroption_selectitem"].isInt());
  EXPECT_TRUE(c["palletDialogcollectcoloroption_selectitem"].isInt());
}

TEST(DefaultData, LanguageListPutsTheScriptLanguagesWhereTheFontsExpectThem) {
  const Json::Value doc = LoadShipped("Language.config");
  const Json::Value& list = doc["Language"];
  ASSERT_TRUE(list.isArray());
  ASSERT_GE(list.size(), 16u);
  std::set<int> ids;
  std::set<std::string> files;
  bool english = false;
  for (const Json::Value& l : list) {
    ids.insert(JsonInt(l, "Language_ID"));
    files.insert(JsonString(l, "Language_file"));
    EXPECT_FALSE(JsonString(l, "Language_name").empty());
    EXPECT_FALSE(JsonString(l, "Language_text").empty());
    english = english || JsonInt(l, "Language_ID") == 1033;
  }
  EXPECT_EQ(ids.size(), list.size()) << "ids are unique";
  EXPECT_EQ(files.size(), list.size()) << "files are unique";
  EXPECT_TRUE(english);
  EXPECT_EQ(JsonInt(list[0], "Language_ID"), 2052) << "Simplified Chinese";
  EXPECT_EQ(JsonInt(list[2], "Language_ID"), 1028) << "Traditional Chinese";
  EXPECT_EQ(JsonInt(list[15], "Language_ID"), 1054) << "Thai";
  EXPECT_EQ(JsonString(list[0], "Language_file"), "lan_cn.xml");
}

TEST(DefaultData, ShootingPatternsAreFourCompleteGuns) {
  size_t totalEvents = 0;
  for (int g = 0; g < 4; ++g) {
    std::string name = "ShootData_" + std::to_string(g);
    Json::Value doc = LoadShipped(name + ".Shoot");
    EXPECT_EQ(JsonInt(doc, "Version"), 64);
    EXPECT_EQ(JsonString(doc, "Guid"), name);
    const Json::Value& ev = doc["Events"];
    ASSERT_EQ(ev.size(), 180u) << name;
    for (Json::ArrayIndex b = 0; b < 30; ++b) {
      const Json::Value* e = &ev[6 * b];
      EXPECT_EQ(JsonInt(e[0], "Type"), 1);
      EXPECT_EQ(JsonString(e[0], "Action"), "down");
      EXPECT_EQ(JsonInt(e[0], "Button"), 1);
      EXPECT_EQ(JsonInt(e[0], "Delay"), 10);
      EXPECT_EQ(JsonString(ev[6 * b + 1], "Action"), "up");
      EXPECT_EQ(JsonInt(ev[6 * b + 2], "Type"), 4);
      EXPECT_EQ(JsonInt(ev[6 * b + 2], "Delay"), 5);
      EXPECT_EQ(JsonInt(ev[6 * b + 3], "Type"), 5);
      EXPECT_GT(JsonInt(ev[6 * b + 3], "Delay"), 0) << "bullet delay";
      EXPECT_LE(JsonInt(ev[6 * b + 3], "Button"), 255) << "one byte on the device";
      EXPECT_EQ(JsonInt(ev[6 * b + 4], "Type"), 4);
      EXPECT_EQ(JsonInt(ev[6 * b + 4], "Button"), 0);
      EXPECT_EQ(JsonInt(ev[6 * b + 5], "Type"), 5);
      EXPECT_EQ(JsonInt(ev[6 * b + 5], "Button"), 0);
    }
    totalEvents += ev.size();
  }
  EXPECT_EQ(16 + 24 + 4 * totalEvents, 2920u) << "the four-gun image length";
}

}  // namespace
}  // namespace talmi
