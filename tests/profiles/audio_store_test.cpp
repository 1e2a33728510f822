#include "profiles/audio_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profile_test_support.h"
#include "profiles/json_file.h"
#include "profiles/seeded_store.h"

namespace talmi {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDataFolder;
using test::WriteText;

constexpr const char* kShipped = R"({"Device": {"AudioLightInfo": {
  "nAudioStyle": 2, "nStyleName1": "第一组", "nStyleName2": "two", "nStyleName3": "three",
  "nStyleName4": "four", "nStyleR0": 255, "nStyleG0": 1, "nStyleB0": 2, "nStyleR3": 9}}})";

class AudioStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_.UserFolder());
    store_.SetFolders(dir_.UserFolder(), dir_.DefaultFolder());
  }
  std::string UserCopy() const { return dir_.UserFolder() + "AudioFile.json"; }
  std::string ShippedCopy() const { return dir_.DefaultFolder() + "AudioFile.json"; }

  TempDataFolder dir_;
  CAudioStore store_;
};

struct SeedCase {
  const char* what;
  const char* user;  // nullptr: no user copy
  bool seeded;
};

TEST(OpenSeededStore, TheUserCopyWinsWheneverItParses) {
  const SeedCase cases[] = {
      {"no user copy", nullptr, true},
      {"broken user copy", "{", true},
      {"empty user copy", "", true},
      {"user copy without the styles", R"({"Device": {}})", false},
      {"user copy of another shape", "[1]", false},
  };
  for (const SeedCase& c : cases) {
    TempDataFolder dir;
    const std::string user = dir.Root() + "/data/u.json";
    const std::string shipped = dir.DefaultFolder() + "s.json";
    WriteText(shipped, R"({"from": "shipped"})");
    if (c.user != nullptr) WriteText(user, c.user);
    const Json::Value doc = OpenSeededStore(shipped, user);
    EXPECT_EQ(doc.isObject() && doc.isMember("from"), c.seeded) << c.what;
    if (c.seeded) {
      EXPECT_EQ(ReadJsonFile(user)["from"].asString(), "shipped") << c.what;
    } else {
      EXPECT_EQ(test::ReadText(user), c.user) << c.what;
    }
  }
}

TEST_F(AudioStoreTest, FirstStartSeedsAndReadsTheShippedStyles) {
  WriteText(ShippedCopy(), kShipped);
  store_.LoadAudioStore();
  EXPECT_TRUE(fs::exists(UserCopy()));
  const AudioStyleRecord r = store_.ReadAudioStyles();
  EXPECT_EQ(r.selected, 2);
  EXPECT_EQ(r.names[0], "第一组");
  EXPECT_EQ(r.names[3], "four");
  EXPECT_EQ(r.colours[0], 255);
  EXPECT_EQ(r.colours[2], 2);
  EXPECT_EQ(r.colours[9], 9);
  EXPECT_EQ(r.colours[11], 0);  // missing key
}

TEST_F(AudioStoreTest, AUserCopyWithoutStylesIsKeptAndReadsAsZeros) {
  WriteText(ShippedCopy(), kShipped);
  WriteText(UserCopy(), R"({"Device": {"Other": 1}})");
  store_.LoadAudioStore();
  EXPECT_EQ(store_.ReadAudioStyles(), AudioStyleRecord{});
  EXPECT_EQ(ReadJsonFile(UserCopy())["Device"]["Other"].asInt(), 1);
}

TEST_F(AudioStoreTest, ValuesKeepTheirLowEightBitsAndOddTypesReadAsMissing) {
  WriteText(UserCopy(), R"({"Device": {"AudioLightInfo": {
      "nAudioStyle": 258, "nStyleR0": 300, "nStyleG0": -1, "nStyleB0": "7",
      "nStyleName1": 5, "nStyleName2": ["x"]}}})");
  store_.LoadAudioStore();
  const AudioStyleRecord r = store_.ReadAudioStyles();
  EXPECT_EQ(r.selected, 2);
  EXPECT_EQ(r.colours[0], 44);
  EXPECT_EQ(r.colours[1], 255);
  EXPECT_EQ(r.colours[2], 0);
  EXPECT_EQ(r.names[0], "");
  EXPECT_EQ(r.names[1], "");
}

TEST_F(AudioStoreTest, WriteAndSaveKeepOtherKeysAndReadBack) {
  WriteText(UserCopy(), R"({"Device": {"AudioLightInfo": {}, "Mine": 3}, "Top": true})");
  store_.LoadAudioStore();
  AudioStyleRecord r;
  r.selected = 3;
  r.names = {"Один", "Δύο", "三", "four"};
  for (size_t i = 0; i < r.colours.size(); ++i) r.colours[i] = static_cast<uint8_t>(i * 20);
  store_.WriteAudioStyles(r);
  ASSERT_EQ(store_.SaveAudioStore(), 1);
  const Json::Value saved = ReadJsonFile(UserCopy());
  EXPECT_TRUE(saved["Top"].asBool());
  EXPECT_EQ(saved["Device"]["Mine"].asInt(), 3);
  EXPECT_EQ(saved["Device"]["AudioLightInfo"].size(), 17u);
  EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleB3"].asInt(), 220);
  CAudioStore again;
  again.SetFolders(dir_.UserFolder(), dir_.DefaultFolder());
  again.LoadAudioStore();
  EXPECT_EQ(again.ReadAudioStyles(), r);
}

TEST_F(AudioStoreTest, ResetWritesTheShippedCopyButNeverANullOne) {
  WriteText(UserCopy(), R"({"Device": {"AudioLightInfo": {"nAudioStyle": 1}}, "Top": 1})");
  store_.LoadAudioStore();
  // without a shipped copy the user's styles stay
  EXPECT_EQ(store_.ResetAudioStore(), 0);
  EXPECT_EQ(store_.ReadAudioStyles().selected, 1);
  EXPECT_EQ(ReadJsonFile(UserCopy())["Top"].asInt(), 1);
  WriteText(ShippedCopy(), kShipped);
  ASSERT_EQ(store_.ResetAudioStore(), 1);
  EXPECT_EQ(store_.ReadAudioStyles().selected, 2);
  EXPECT_EQ(ReadJsonFile(UserCopy()), ReadJsonFile(ShippedCopy()));
}

TEST_F(AudioStoreTest, NeitherCopyReadableGivesBlackStyles) {
  store_.LoadAudioStore();
  EXPECT_EQ(store_.ReadAudioStyles(), AudioStyleRecord{});
  // the next start tries the shipped copy again
  WriteText(ShippedCopy(), kShipped);
  store_.LoadAudioStore();
  EXPECT_EQ(store_.ReadAudioStyles().selected, 2);
}

}  // namespace
}  // namespace talmi
