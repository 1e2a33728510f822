#include "profiles/colour_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profile_test_support.h"
#include "profiles/json_file.h"

namespace talmi {
namespace {

using test::TempDataFolder;
using test::WriteText;

struct ParseCase {
  const char* text;
  bool ok;
  uint32_t argb;
};

TEST(StoredColour, ParsesOneRepresentationAndTheOldDecimalText) {
  const ParseCase cases[] = {
      {"#FF112233", true, 0xFF112233}, {"#ff112233", true, 0xFF112233},
      {"#112233", true, 0xFF112233},   {"0x80ABCDEF", true, 0x80ABCDEF},
      {"4278190335", true, 0xFF0000FF}, {"16711680", true, 16711680},
      {"0", true, 0},                  {"#", false, 0},
      {"#12345", false, 0},            {"#GG112233", false, 0},
      {"4294967296", false, 0},        {"-1", false, 0},
      {"", false, 0},                  {"red", false, 0},
      {"#FF11223344", false, 0},
  };
  for (const ParseCase& c : cases) {
    uint32_t v = 0;
    EXPECT_EQ(ParseStoredColour(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.argb) << c.text;
    }
  }
}

TEST(StoredColour, EveryWrittenColourReadsBackUnchanged) {
  for (uint32_t c : {0u, 1u, 0xFF000000u, 0x00FFFFFFu, 0xFFFFFFFFu, 0x12345678u, 16711680u}) {
    uint32_t back = 0;
    ASSERT_TRUE(ParseStoredColour(FormatStoredColour(c), back)) << c;
    EXPECT_EQ(back, c);
  }
  EXPECT_EQ(FormatStoredColour(0xFF00FF80), "#FF00FF80");
}

TEST(ColourStore, SeedsFromTheShippedCopyAndSavesWhatItReads) {
  TempDataFolder dir;
  dir.InstallShipped("color_option_info.config");
  std::filesystem::create_directories(dir.UserFolder());
  CColourStore store;
  store.SetFolders(dir.UserFolder(), dir.DefaultFolder());
  const ColourStoreState shipped = store.Load();
  EXPECT_TRUE(std::filesystem::exists(store.UserPath()));
  EXPECT_EQ(shipped.presets[0], 0xFFFF0000u);
  EXPECT_FALSE(shipped.collected.empty());

  ColourStoreState changed = shipped;
  changed.presets[3] = 0xFF123456;
  changed.presetSelect = 3;
  changed.collected = {{0xFF00FF00, true}, {0, false}};
  changed.collectSelect = 1;
  ASSERT_EQ(store.Save(changed), 1);
  EXPECT_EQ(store.Load(), changed);
}

TEST(ColourStore, OddEntriesReadAsMissingAndOtherKeysSurviveASave) {
  TempDataFolder dir;
  CColourStore store;
  store.SetFolders(dir.UserFolder(), dir.DefaultFolder());
  WriteText(store.UserPath(), R"({"coloroptioninfo": {
      "palletDialogcoloroption": [{"color": 16711680}, null, {"color": "#FF0000FF"}, 5],
      "palletDialogcollectcoloroption": {"a": 1}, "Extra": "kept"}, "Top": 1})");
  ColourStoreState s = store.Load();
  EXPECT_EQ(s.presets[0], 0u);  // a number, not text
  EXPECT_EQ(s.presets[2], 0xFF0000FFu);
  EXPECT_TRUE(s.collected.empty());
  ASSERT_EQ(store.Save(s), 1);
  const Json::Value saved = ReadJsonFile(store.UserPath());
  EXPECT_EQ(saved["Top"].asInt(), 1);
  EXPECT_EQ(saved["coloroptioninfo"]["Extra"].asString(), "kept");
  EXPECT_EQ(saved["coloroptioninfo"]["palletDialogcoloroption"].size(), 20u);
}

}  // namespace
}  // namespace talmi
