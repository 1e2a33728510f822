#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "profile_test_support.h"
#include "profiles/basic_profiledata.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "profiles/profile_folders.h"

namespace talmi {
namespace {

using test::fs::exists;
using test::ReadText;
using test::TempDataFolder;
using test::WriteText;

constexpr const char* kTemplate = R"({"Device": [{
  "LightInfo": {"SelectItem": 6, "Light": 4, "Speed": 2, "MultiColor": 1, "Red": 10},
  "KeyList": [{"Assignment": 2097193, "DefaultAssignment": 2097193},
              {"Assignment": 2097210, "DefaultAssignment": 2097210}]
}]})";

class ProfileFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(dir_.DefaultFolder() + "keyboard.Json", kTemplate);
    data_ = DataFolderPath(kKindKeyboard);
    object_.SetDefaultProfilePath(DefaultProfilePath(kKindKeyboard));
  }
  std::string ProfilePath(const std::string& id) const { return data_ + id + ".Json"; }

  TempDataFolder dir_;
  std::string data_;
  CKeyboardProfiledata object_;
};

TEST_F(ProfileFixture, FirstStartCreatesTheProfileFromTheTemplate) {
  ASSERT_EQ(data_, dir_.UserFolder() + "keyboard/");
  ASSERT_TRUE(exists(data_)) << "data folder made on first use";
  ASSERT_EQ(object_.SelectProfileFile(data_, "2026_01_02_03_04_05_006"), 1);
  ASSERT_FALSE(exists(object_.GetProfilePath()));

  Json::Value entry = object_.LoadDeviceEntry(object_.GetProfilePath());
  EXPECT_EQ(entry, test::Parse(kTemplate)["Device"][0]);
  Json::Value written = ReadJsonFile(object_.GetProfilePath());
  EXPECT_EQ(written, test::Parse(kTemplate)) << "the new file holds only Device";
  EXPECT_EQ(object_.GetKeyList().size(), 2u);
  EXPECT_EQ(object_.GetLightInfo().selectItem, 6);
}

struct RepairCase {
  const char* name;
  const char* text;
  bool repaired;
  bool keepsName;
};

TEST_F(ProfileFixture, RepairsMissingOrBrokenEntriesAndLeavesGoodOnesAlone) {
  const RepairCase cases[] = {
      {"empty file", "", true, false},
      {"malformed", "{\"Device\": [", true, false},
      {"document is an array", "[1, 2]", true, false},
      {"no Device", R"({"profilename": "Mine"})", true, true},
      {"Device is an object", R"({"profilename": "Mine", "Device": {"x": 1}})", true, true},
      {"Device is empty", R"({"profilename": "Mine", "Device": []})", true, true},
      {"entry is null", R"({"profilename": "Mine", "Device": [null]})", true, true},
      {"entry is a number", R"({"profilename": "Mine", "Device": [5]})", true, true},
      {"good entry", R"({"profilename": "Mine", "Device": [{"LightInfo": {"SelectItem": 9}}]})",
       false, true},
  };
  for (const RepairCase& c : cases) {
    std::string path = ProfilePath("p");
    WriteText(path, c.text);
    Json::Value entry = object_.LoadDeviceEntry(path);
    Json::Value doc = ReadJsonFile(path);
    if (c.repaired) {
      EXPECT_EQ(entry, test::Parse(kTemplate)["Device"][0]) << c.name;
      EXPECT_EQ(doc["Device"][0], entry) << c.name;
    } else {
      EXPECT_EQ(object_.GetLightInfo().selectItem, 9) << c.name;
      EXPECT_EQ(ReadText(path), c.text) << c.name << ": a good file is not rewritten";
    }
    EXPECT_EQ(doc.isObject() && doc.isMember("profilename"), c.keepsName) << c.name;
  }
}

TEST_F(ProfileFixture, WithoutAnyTemplateNothingIsWrittenAndGettersGiveDefaults) {
  test::fs::remove(dir_.DefaultFolder() + "keyboard.Json");
  std::string broken = ProfilePath("broken");
  WriteText(broken, "{oops");
  EXPECT_TRUE(object_.LoadDeviceEntry(broken).isNull());
  EXPECT_EQ(ReadText(broken), "{oops") << "nothing to repair with: the file stays";
  EXPECT_TRUE(object_.LoadDeviceEntry(ProfilePath("absent")).isNull());
  EXPECT_FALSE(exists(ProfilePath("absent")));
  EXPECT_EQ(object_.GetLightInfo(), LightInfo{});
  EXPECT_TRUE(object_.GetKeyList().empty());
  EXPECT_EQ(object_.GetSystemStages(), SystemWords{});
  EXPECT_EQ(object_.GetCustomLightGroup(), 0);
}

TEST_F(ProfileFixture, SaveKeepsNameAndIdAndWritesOnlyAssignments) {
  std::string path = ProfilePath("named");
  WriteText(path, R"({"profilename": "Jeu été", "profileUUID": "named", "Device": [{
      "KeyList": [{"Assignment": 1, "DefaultAssignment": 2097193}]}]})");
  ASSERT_EQ(object_.SelectProfileFile(data_, "named"), 1);
  object_.LoadDeviceEntry(path);
  std::vector<KeyAssignment> keys = object_.GetKeyList();
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].defaultCode, (AssignmentCode{0x20, 0x00, 0x29}));
  keys[0].current = AssignmentCode{0x70, 3, 1};
  keys[0].defaultCode = AssignmentCode{1, 1, 1};  // never written
  object_.SetKeyList(keys);
  ASSERT_EQ(object_.Save(), 1);

  Json::Value doc = ReadJsonFile(path);
  EXPECT_EQ(doc["profilename"].asString(), "Jeu été");
  EXPECT_EQ(doc["profileUUID"].asString(), "named");
  EXPECT_EQ(doc["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x700301);
  EXPECT_EQ(doc["Device"][0]["KeyList"][0]["DefaultAssignment"].asInt(), 2097193);
}

TEST_F(ProfileFixture, OtherEntryIsEditedWithoutTouchingTheCurrentOne) {
  ASSERT_EQ(object_.SelectProfileFile(data_, "current"), 1);
  object_.LoadDeviceEntry(object_.GetProfilePath());
  std::string other = ProfilePath("other");
  object_.LoadOtherDeviceEntry(other);
  std::vector<KeyAssignment> keys = object_.GetOtherKeyList();
  ASSERT_EQ(keys.size(), 2u);
  keys[1].current = AssignmentCode{0x10, 1, 0};
  object_.SetOtherKeyList(keys);
  ASSERT_EQ(object_.SaveOtherTo(other), 1);

  EXPECT_EQ(ReadJsonFile(other)["Device"][0]["KeyList"][1]["Assignment"].asInt(), 0x100100);
  EXPECT_EQ(object_.GetKeyList()[1].current, (AssignmentCode{0x20, 0, 0x3A}));
  EXPECT_EQ(ReadJsonFile(object_.GetProfilePath())["Device"][0]["KeyList"][1]["Assignment"].asInt(),
            0x20003A);
}

struct LightCase {
  const char* json;
  LightInfo expected;
};

TEST_F(ProfileFixture, LightInfoReadsFlagsBothWaysAndKeepsLowBits) {
  LightInfo multi{};
  multi.multiColor = 1;
  LightInfo wide{};
  wide.red = 44;
  wide.selectItem = 255;
  wide.customGroup = 1;
  const LightCase cases[] = {
      {R"({"MultiColor": true})", multi},
      {R"({"MultiColor": 1})", multi},
      {R"({"MultiColor": 7})", multi},
      {R"({"MultiColor": "1"})", LightInfo{}},
      {R"({"Red": 300, "SelectItem": -1, "CustomGroup": 257})", wide},
      {R"({"Red": "12", "Light": [3], "Speed": {"v": 1}})", LightInfo{}},
  };
  for (const LightCase& c : cases) {
    std::string path = ProfilePath("light");
    WriteText(path, std::string(R"({"Device": [{"LightInfo": )") + c.json + "}]}");
    object_.LoadDeviceEntry(path);
    EXPECT_EQ(object_.GetLightInfo(), c.expected) << c.json;
    EXPECT_EQ(object_.CachedLightInfo(), c.expected) << c.json;
  }
  WriteText(ProfilePath("none"), R"({"Device": [{"KeyList": []}]})");
  object_.LoadDeviceEntry(ProfilePath("none"));
  EXPECT_EQ(object_.GetLightInfo(), LightInfo{});
}

TEST_F(ProfileFixture, SettersRoundTripThroughTheFile) {
  ASSERT_EQ(object_.SelectProfileFile(data_, "rt"), 1);
  object_.LoadDeviceEntry(object_.GetProfilePath());
  LightInfo li{7, 3, 1, 1, 1, 250, 128, 5, {0, 0, 0}, 2, 3, 40};
  AudioLightInfo ai{3, 1, 2, 3, 4, 5, 6, 1, 0};
  object_.SetLightInfo(li);
  object_.SetAudioLightInfo(ai);
  object_.SetSystemStages(0x00030002, 0x00010001, 0x00000001);
  object_.SetCustomLightGroup(2);
  object_.SetCustomLight(2, {{1, 2, 3, 4, 1}, {5, 6, 7, 8, 0}});
  ASSERT_EQ(object_.Save(), 1);

  CKeyboardProfiledata fresh;
  fresh.LoadDeviceEntry(object_.GetProfilePath());
  EXPECT_EQ(fresh.GetLightInfo(), li);
  EXPECT_EQ(fresh.GetAudioLightInfo(), ai);
  EXPECT_EQ(fresh.GetSystemStages(), (SystemWords{0x00030002, 0x00010001, 0x00000001}));
  EXPECT_EQ(fresh.GetCustomLightGroup(), 2);
  std::vector<CustomLightRecord> lights = fresh.GetCustomLight(2, 3);
  ASSERT_EQ(lights.size(), 3u);
  EXPECT_EQ(lights[0], (CustomLightRecord{1, 2, 3, 4, 1}));
  EXPECT_EQ(lights[1], (CustomLightRecord{5, 6, 7, 8, 0}));
  EXPECT_EQ(lights[2], CustomLightRecord{}) << "a missing light is created as zeros";
  EXPECT_TRUE(fresh.DeviceEntry()["CustomLightMode"]["LightColorInfo"][2][2].isObject());
  EXPECT_TRUE(fresh.GetCustomLight(-1, 3).empty());
  EXPECT_TRUE(fresh.GetCustomLight(0, kMaxCustomLights + 1).empty());
}

TEST_F(ProfileFixture, LightListMarksPresentElements) {
  WriteText(ProfilePath("ll"), R"({"Device": [{"LightList": [
      null, {"LEDREGMode": 2, "LEDDirection": true, "LEDMultiColor": 1, "red": 258}, 5]}]})");
  object_.LoadDeviceEntry(ProfilePath("ll"));
  std::vector<LightListRecord> list = object_.GetLightList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], LightListRecord{});
  EXPECT_EQ(list[1].mode, 2);
  EXPECT_EQ(list[1].direction, 1);
  EXPECT_EQ(list[1].multiColor, 1);
  EXPECT_EQ(list[1].red, 2);
  EXPECT_EQ(list[1].present, 1);
  EXPECT_EQ(list[2], LightListRecord{}) << "a number reads like null";
}

class HeadsetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = DataFolderPath(kKindHeadset);
    path_ = data_ + "hs.Json";
  }
  void Load(const std::string& text) {
    WriteText(path_, text);
    object_.SetProfilePath(path_);
    object_.LoadDeviceEntry(path_);
  }
  TempDataFolder dir_;
  std::string data_;
  std::string path_;
  CHs6533Profiledata object_;
};

TEST_F(HeadsetFixture, EqTypesMapToSlots) {
  std::string slots = R"({"Device": [{"EQHzValueInfo": [)";
  for (int s = 0; s <= 12; ++s) {
    slots += s ? "," : "";
    slots += "[";
    for (int b = 0; b < 10; ++b) slots += (b ? "," : "") + ("{\"value\": " + std::to_string(s * 100 + b) + "}");
    slots += "]";
  }
  slots += "]}]}";
  Load(slots);
  struct Case {
    int type;
    int slot;
  };
  const Case cases[] = {{0, 1}, {1, 1}, {2, 2}, {12, 12}, {14, 1}, {99, 1}, {-4, 1}};
  for (const Case& c : cases) {
    std::vector<int32_t> v = object_.GetEqValues(c.type);
    ASSERT_EQ(v.size(), 10u) << c.type;
    EXPECT_EQ(v[0], c.slot * 100) << c.type;
    EXPECT_EQ(v[9], c.slot * 100 + 9) << c.type;
  }
  EXPECT_TRUE(object_.GetEqValues(13).empty());
  EXPECT_EQ(EqSlotForType(13), -1);
}

TEST_F(HeadsetFixture, CustomTypeIsNeverWrittenAndMissingSlotsReadAsZero) {
  Load(R"({"Device": [{"EQHzValueInfo": [[], [{"value": 4}]]}]})");
  std::vector<int32_t> five = object_.GetEqValues(5);
  EXPECT_EQ(five, std::vector<int32_t>(10, 0));
  EXPECT_EQ(object_.DeviceEntry()["EQHzValueInfo"][5][9]["value"].asInt(), 0)
      << "missing slot created in the tree";
  std::vector<int32_t> one = object_.GetEqValues(1);
  EXPECT_EQ(one[0], 4);
  EXPECT_EQ(one[1], 0);

  ASSERT_EQ(object_.Save(), 1);
  std::string before = ReadText(path_);
  object_.SetEqValues(13, std::vector<int32_t>(10, 9));
  ASSERT_EQ(object_.Save(), 1);
  EXPECT_EQ(ReadText(path_), before);

  object_.SetEqValues(3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  object_.Save();
  CHs6533Profiledata fresh;
  fresh.LoadDeviceEntry(path_);
  EXPECT_EQ(fresh.GetEqValues(3), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(HeadsetFixture, CustomPresetsKeepUtf8NamesAndMoveUpOnRemoval) {
  Load(R"({"profilename": "x", "Device": [{}]})");
  const std::vector<std::string> names = {"低音", "Ñandú", "เสียง"};
  object_.SetCustomEqNames(names);
  for (int n = 0; n < 3; ++n) object_.SetCustomEqValues(n, std::vector<int32_t>(10, n + 1));
  HeadsetStages st{1, 2, 13, 1, 1, 80, 0, 50};
  object_.SetSystemSetStages(st);
  ASSERT_EQ(object_.Save(), 1);

  CHs6533Profiledata fresh;
  fresh.LoadDeviceEntry(path_);
  EXPECT_EQ(fresh.GetCustomEqNames(), names);
  EXPECT_EQ(fresh.GetSystemSetStages(), st);
  fresh.RemoveCustomEqPreset(1);
  EXPECT_EQ(fresh.GetCustomEqNames(), (std::vector<std::string>{"低音", "เสียง"}));
  EXPECT_EQ(fresh.GetCustomEqValues(1), std::vector<int32_t>(10, 3));
  EXPECT_EQ(fresh.GetCustomEqValues(-1), std::vector<int32_t>(10, 0));
}

TEST_F(HeadsetFixture, BrokenUtf8NamesAreRepairedOnRead) {
  Load("{\"Device\": [{\"CustomEQNameInfo\": [{\"Name\": \"a\xC0\xAF\"}, {\"Name\": 5}]}]}");
  std::vector<std::string> names = object_.GetCustomEqNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "a\xEF\xBF\xBD");
  EXPECT_EQ(names[1], "");
}

class MouseFixture : public ::testing::Test {
 protected:
  std::string Write(const std::string& id, const std::string& entry) {
    std::string path = DataFolderPath(kKindMouse) + id + ".Json";
    WriteText(path, "{\"Device\": [" + entry + "]}");
    return path;
  }
  static std::string Stages(int count, int base) {
    std::string s = R"({"DPIStages": {"StageActive": )" + std::to_string(count - 1) +
                    R"(, "StageDPIs": [)";
    for (int i = 0; i < count; ++i) {
      s += i ? "," : "";
      s += R"({"StageActive": 1, "StageDPIX": )" + std::to_string(base + i) +
           R"(, "StageDPIY": )" + std::to_string(base + i) + "}";
    }
    return s + "]}}";
  }
  TempDataFolder dir_;
  CMouseProfiledata object_;
};

TEST_F(MouseFixture, DpiStagesMergeIntoTheCachedList) {
  object_.LoadDeviceEntry(Write("five", Stages(5, 100)));
  ASSERT_EQ(object_.GetDpiStages().size(), 5u);
  EXPECT_EQ(object_.GetActiveDpiStage(), 4);

  object_.LoadDeviceEntry(Write("three", Stages(3, 500)));
  std::vector<DpiStageRecord> merged = object_.GetDpiStages();
  ASSERT_EQ(merged.size(), 5u);
  const uint16_t expected[] = {500, 501, 502, 103, 104};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(merged[i].dpiX, expected[i]) << i;
  EXPECT_EQ(object_.GetActiveDpiStage(), 2);

  object_.LoadDeviceEntry(Write("none", "{}"));
  EXPECT_EQ(object_.GetDpiStages().size(), 5u) << "a profile without stages keeps the cache";
  EXPECT_EQ(object_.GetActiveDpiStage(), 0);
}

TEST_F(MouseFixture, DpiStagesAndSystemWordsRoundTrip) {
  std::string path = Write("rt", "{}");
  object_.SetProfilePath(path);
  object_.LoadDeviceEntry(path);
  std::vector<DpiStageRecord> stages = {{1, 0, 300, 300, 255, 0, 0}, {1, 1, 0x1234, 0x0102, 0, 9, 8}};
  object_.SetDpiStages(stages);
  object_.SetActiveDpiStage(1);
  object_.SetMouseSystemStages(0x000A0005, 0x00000001, 0x00030002);
  ASSERT_EQ(object_.Save(), 1);

  CMouseProfiledata fresh;
  fresh.LoadDeviceEntry(path);
  EXPECT_EQ(fresh.GetDpiStages(), stages);
  EXPECT_EQ(fresh.GetActiveDpiStage(), 1);
  EXPECT_EQ(fresh.GetMouseSystemStages(), (SystemWords{0x000A0005, 0x00000001, 0x00030002}));
  std::array<uint8_t, 9> wire = stages[1].Encode();
  EXPECT_EQ(wire, (std::array<uint8_t, 9>{1, 1, 0x34, 0x12, 0x02, 0x01, 0, 9, 8}));
  EXPECT_EQ(DpiStageRecord::Decode(wire), stages[1]);
}

TEST_F(MouseFixture, MissingReportStagesLeavesTheUpperHalfZero) {
  object_.LoadDeviceEntry(Write("sys", R"({"SystemStages": {"DoubleClickTime": 5, "MouseSpeed": 10,
      "PointerPrecision": 1, "ScorllPage": true, "WheelScorlllinse": 3}})"));
  EXPECT_EQ(object_.GetMouseSystemStages(), (SystemWords{0x000A0005, 0x00000001, 0x00000003}));
  object_.LoadDeviceEntry(Write("rep", R"({"ReportStages": {"StageActive": 4}})"));
  EXPECT_EQ(object_.GetMouseSystemStages(), (SystemWords{0, 0, 0x00040000}));
}

TEST_F(MouseFixture, CorrectInfoReadsBytesAndNames) {
  object_.LoadDeviceEntry(Write("c", R"({"CorrectInfo": [
      {"CorrectPixThresh": 4, "CorrectMinSq": 258, "CorrectSelect": 1, "CorrectName": "Niedrig"},
      "junk", {"CorrectName": 3}]})"));
  std::vector<CorrectInfoEntry> list = object_.GetCorrectInfo();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], (CorrectInfoEntry{4, 2, 1, "Niedrig"}));
  EXPECT_EQ(list[1], CorrectInfoEntry{});
  EXPECT_EQ(list[2], CorrectInfoEntry{});
}

// Values of unexpected types read as missing; nothing throws or aborts.
TEST(ProfileRobustness, UnexpectedTypesReadAsMissing) {
  TempDataFolder dir;
  const char* entries[] = {
      R"({"LightInfo": [1, 2], "KeyList": {"0": 1}, "LightList": "x", "AudioLightInfo": 3})",
      R"({"KeyList": ["a", null, 5, {"Assignment": "1"}], "SystemStages": []})",
      R"({"DPIStages": {"StageActive": "2", "StageDPIs": {"0": {}}}, "CorrectInfo": {}})",
      R"({"DPIStages": {"StageDPIs": [{"StageDPIX": "400", "StageColorR": [1]}, 7]}})",
      R"({"EQHzValueInfo": {"1": []}, "CustomEQNameInfo": 4, "CustomEQHzValueInfo": "z"})",
      R"({"EQHzValueInfo": [1, [2, "x", {"value": "3"}]], "SystemSetStages": [8]})",
      R"({"CustomLightMode": {"LightColorInfo": {"a": 1}, "CustomLightModeGroupIndex": "1"}})",
      R"({"CustomLightMode": {"LightColorInfo": [7, [1, "x"]]}})",
      R"({"CustomLightMode": 5, "ReportStages": "fast"})",
  };
  for (const char* e : entries) {
    std::string path = dir.Root() + "/t.Json";
    WriteText(path, std::string("{\"Device\": [") + e + "]}");
    CKeyboardProfiledata kb;
    kb.LoadDeviceEntry(path);
    EXPECT_EQ(kb.GetLightInfo(), LightInfo{}) << e;
    EXPECT_EQ(kb.GetAudioLightInfo(), AudioLightInfo{}) << e;
    for (const KeyAssignment& k : kb.GetKeyList()) EXPECT_EQ(k.current, AssignmentCode{}) << e;
    for (const LightListRecord& r : kb.GetLightList()) EXPECT_EQ(r, LightListRecord{}) << e;
    EXPECT_EQ(kb.GetSystemStages(), SystemWords{}) << e;
    EXPECT_EQ(kb.GetCustomLightGroup(), 0) << e;
    for (const CustomLightRecord& r : kb.GetCustomLight(1, 2)) EXPECT_EQ(r, CustomLightRecord{}) << e;
    kb.SetCustomLight(0, {{1, 1, 1, 1, 1}});
    EXPECT_EQ(kb.Save(), 0) << "no profile path set";

    CMouseProfiledata ms;
    ms.LoadDeviceEntry(path);
    for (const DpiStageRecord& r : ms.GetDpiStages()) {
      EXPECT_EQ(r.dpiX, 0) << e;
      EXPECT_EQ(r.red, 0) << e;
    }
    EXPECT_EQ(ms.GetMouseSystemStages(), SystemWords{}) << e;
    for (const CorrectInfoEntry& c : ms.GetCorrectInfo()) EXPECT_EQ(c, CorrectInfoEntry{}) << e;

    CHs6533Profiledata hs;
    hs.LoadDeviceEntry(path);
    EXPECT_EQ(hs.GetSystemSetStages(), HeadsetStages{}) << e;
    for (int32_t v : hs.GetEqValues(1)) EXPECT_EQ(v, 0) << e;
    for (const std::string& n : hs.GetCustomEqNames()) EXPECT_EQ(n, "") << e;
    hs.SetEqValues(1, std::vector<int32_t>(10, 1));
    hs.SetCustomEqValues(0, std::vector<int32_t>(10, 1));
    EXPECT_EQ(hs.GetEqValues(1), std::vector<int32_t>(10, 1)) << e;
  }
}

TEST(ProfileRobustness, HugeArraysAreReadOnlyUpToTheirBound) {
  TempDataFolder dir;
  std::string keys = R"({"Device": [{"KeyList": [)";
  std::string lights = R"(], "LightList": [)";
  std::string stages = R"(], "DPIStages": {"StageDPIs": [)";
  for (int i = 0; i < 20000; ++i) {
    keys += i ? ",{\"Assignment\": 1}" : "{\"Assignment\": 1}";
    lights += i ? ",{}" : "{}";
    stages += i ? ",{}" : "{}";
  }
  std::string path = dir.Root() + "/huge.Json";
  WriteText(path, keys + lights + stages + "]}}]}");
  CMouseProfiledata ms;
  ms.LoadDeviceEntry(path);
  EXPECT_EQ(ms.GetKeyList().size(), kMaxKeyListEntries);
  EXPECT_EQ(ms.GetLightList().size(), kMaxLightListEntries);
  EXPECT_EQ(ms.GetDpiStages().size(), kMaxDpiStages);
}

// Light library and effect files live in the data folder, whatever the
// working directory is.
TEST(LightEffects, StepsComeFromTheFileBesideTheLibrary) {
  TempDataFolder dir;
  std::string data = DataFolderPath(kKindMousePad);
  WriteText(data + "kelma_light.config", R"({"LightInfo": [[
      {"LightName": "Mine", "Guid": "2026_01_01_00_00_00_001"},
      {"LightName": "Evil", "Guid": "../../../outside/evil"},
      {"LightName": "Gone", "Guid": "2026_01_01_00_00_00_404"}]]})");
  WriteText(data + "2026_01_01_00_00_00_001.light", R"({"LEDEffectList": [
      {"LEDREGMode": 1, "LEDBrightness": 4, "LEDSpeed": 2, "red": 511, "Time": 1500, "Cyle": 3},
      {"LEDREGMode": 2, "Time": "x"}]})");
  WriteText(dir.Outside() + "evil.light", R"({"LEDEffectList": [{"LEDREGMode": 9}]})");
  std::string cwd = test::fs::current_path();
  test::fs::current_path(dir.Outside());

  CBasicProfiledata pad;
  std::string profile = data + "p.Json";
  WriteText(profile, R"({"Device": [{"LightInfo": {"SelectItem": 0}}]})");
  pad.LoadDeviceEntry(profile);
  pad.SetLightLibraryPath(LightLibraryPath(kKindMousePad));
  pad.ReadLightLibrary(pad.GetLightLibraryPath());
  pad.GetLightInfo();
  std::vector<LightEffectStep> steps = pad.GetLightEffectSteps();
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].mode, 1);
  EXPECT_EQ(steps[0].brightness, 4);
  EXPECT_EQ(steps[0].red, 255);
  EXPECT_EQ(steps[0].time, 1500);
  EXPECT_EQ(steps[0].cycle, 3);
  EXPECT_EQ(steps[1].time, 0);

  LightInfo li{};
  li.selectItem = 1;
  pad.SetLightInfo(li);
  EXPECT_TRUE(pad.GetLightEffectSteps().empty()) << "an id with a path is refused";
  li.selectItem = 2;
  pad.SetLightInfo(li);
  EXPECT_TRUE(pad.GetLightEffectSteps().empty());
  EXPECT_TRUE(pad.CachedLightEffectSteps().empty());
  li.selectItem = 9;
  pad.SetLightInfo(li);
  EXPECT_TRUE(pad.GetLightEffectSteps().empty());

  pad.ReadLightLibrary(data + "absent.config");
  li.selectItem = 0;
  pad.SetLightInfo(li);
  EXPECT_TRUE(pad.GetLightEffectSteps().empty());
  test::fs::current_path(cwd);
}

}  // namespace
}  // namespace talmi
