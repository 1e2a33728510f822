#include "platform/settings_store.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "tests/platform/temp_env.h"

namespace talmi {
namespace {

class SettingsStore : public test::TempUserFolders {};

TEST_F(SettingsStore, OpenOnlyOnAMissingKeyCreatesNothing) {
  CSettingsKey key;
  EXPECT_EQ(key.Open(ProductKeyPath()), kSettingMissing);
  EXPECT_FALSE(key.IsOpen());
  uint32_t v = 0;
  EXPECT_EQ(key.QueryDword("LANGUAGE", v), kSettingNotOpen);
  EXPECT_EQ(key.SetDword("LANGUAGE", 3), kSettingNotOpen);
  EXPECT_FALSE(std::filesystem::exists(SettingsFilePath()));
}

TEST_F(SettingsStore, FirstStartCreatesTheEmptyProductKeyAndValuesRoundTrip) {
  EXPECT_EQ(ProductKeyPath(), "SOFTWARE\\TALMI KT-380 Device");
  ASSERT_EQ(EnsureProductKey(), kSettingOk);
  CSettingsKey reader;
  ASSERT_EQ(reader.Open(ProductKeyPath()), kSettingOk);
  uint32_t lang = 0;
  EXPECT_EQ(reader.QueryDword("LANGUAGE", lang), kSettingMissing);  // empty key

  CSettingsKey writer;
  ASSERT_EQ(writer.Open("software\\talmi kt-380 device"), kSettingOk);  // names fold case
  ASSERT_EQ(writer.SetDword("LANGUAGE", 0xFFFFFFFFu), kSettingOk);
  ASSERT_EQ(writer.SetDword("language", 7), kSettingOk);  // same value, other spelling
  ASSERT_EQ(writer.SetString("Skin", "dark \xE6\xB7\xB1"), kSettingOk);

  CSettingsKey again;  // a fresh handle reads the file, not a cache
  ASSERT_EQ(again.Open(ProductKeyPath()), kSettingOk);
  EXPECT_EQ(again.QueryDword("LANGUAGE", lang), kSettingOk);
  EXPECT_EQ(lang, 7u);
  std::string skin;
  EXPECT_EQ(again.QueryString("SKIN", skin), kSettingOk);
  EXPECT_EQ(skin, "dark \xE6\xB7\xB1");
  EXPECT_EQ(again.QueryString("LANGUAGE", skin), kSettingWrongType);
  EXPECT_EQ(again.QueryDword("Skin", lang), kSettingWrongType);
  EXPECT_EQ(again.DeleteValue("skin"), kSettingOk);
  EXPECT_EQ(again.QueryString("Skin", skin), kSettingMissing);
  EXPECT_EQ(again.DeleteValue("skin"), kSettingMissing);
}

TEST_F(SettingsStore, BadNamesAreRefused) {
  CSettingsKey key;
  EXPECT_EQ(key.Create(""), kSettingBadName);
  EXPECT_EQ(key.Create("\\\\"), kSettingBadName);
  EXPECT_EQ(key.Create(std::string("SOFTWARE\\a\nb")), kSettingBadName);
  ASSERT_EQ(key.Create("SOFTWARE\\x"), kSettingOk);
  EXPECT_EQ(key.SetDword(std::string(300, 'n'), 1), kSettingBadName);
  EXPECT_EQ(key.SetString("v", std::string(kMaxSettingStringBytes + 1, 'x')), kSettingBadName);
}

TEST_F(SettingsStore, KeyPathSeparatorsAreNormalised) {
  CSettingsKey key;
  ASSERT_EQ(key.Create("SOFTWARE/Other\\"), kSettingOk);
  ASSERT_EQ(key.SetDword("n", 1), kSettingOk);
  CSettingsKey other;
  EXPECT_EQ(other.Open("SOFTWARE\\\\Other"), kSettingOk);
  CSettingsKey product;
  EXPECT_EQ(product.Open(ProductKeyPath()), kSettingMissing);  // a different key
}

TEST_F(SettingsStore, ValuesOfTheWrongJsonTypeReadAsWrongType) {
  ASSERT_TRUE(MakeFolders(UserConfigFolder(false)));
  ASSERT_TRUE(WriteFileAtomically(SettingsFilePath(), R"({"keys":{"SOFTWARE\\TALMI KT-380 Device":
      {"LANGUAGE": -1, "A": 1.5, "B": true, "C": [1], "D": 4294967296}}})"));
  CSettingsKey key;
  ASSERT_EQ(key.Open(ProductKeyPath()), kSettingOk);
  uint32_t v = 0;
  for (const char* name : {"LANGUAGE", "A", "B", "C", "D"}) {
    EXPECT_EQ(key.QueryDword(name, v), kSettingWrongType) << name;
  }
}

TEST_F(SettingsStore, ABrokenFileReadsAsNoKeyAndIsKeptAsideWhenWritten) {
  ASSERT_TRUE(MakeFolders(UserConfigFolder(false)));
  ASSERT_TRUE(WriteFileAtomically(SettingsFilePath(), "{\"keys\": {\"SOFTWARE"));
  CSettingsKey key;
  EXPECT_EQ(key.Open(ProductKeyPath()), kSettingMissing);
  ASSERT_EQ(EnsureProductKey(), kSettingOk);
  std::string kept;
  ASSERT_TRUE(ReadWholeFile(SettingsFilePath() + ".broken", kept));
  EXPECT_EQ(kept, "{\"keys\": {\"SOFTWARE");
  ASSERT_EQ(key.Open(ProductKeyPath()), kSettingOk);
  EXPECT_EQ(key.SetDword("LANGUAGE", 2), kSettingOk);
}

TEST_F(SettingsStore, WritesOfSeveralProcessesAreAllKept) {
  ASSERT_EQ(EnsureProductKey(), kSettingOk);
  constexpr int kWriters = 4;
  constexpr int kValuesEach = 10;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      CSettingsKey key;
      if (key.Open(ProductKeyPath()) != kSettingOk) ::_exit(1);
      for (int i = 0; i < kValuesEach; ++i) {
        std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
        if (key.SetDword(name, static_cast<uint32_t>(w * 100 + i)) != kSettingOk) ::_exit(2);
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  CSettingsKey key;
  ASSERT_EQ(key.Open(ProductKeyPath()), kSettingOk);
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kValuesEach; ++i) {
      uint32_t v = 0;
      std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
      ASSERT_EQ(key.QueryDword(name, v), kSettingOk) << name;
      EXPECT_EQ(v, static_cast<uint32_t>(w * 100 + i));
    }
  }
}

TEST_F(SettingsStore, LanguageIsRememberedOnlyOnceTheKeyExists) {
  uint32_t id = 99;
  EXPECT_EQ(RememberLanguageId(3), kSettingMissing);
  EXPECT_EQ(ReadRememberedLanguageId(id), kSettingMissing);
  EXPECT_FALSE(std::filesystem::exists(SettingsFilePath()));
  ASSERT_EQ(EnsureProductKey(), kSettingOk);
  EXPECT_EQ(ReadRememberedLanguageId(id), kSettingMissing);
  EXPECT_EQ(RememberLanguageId(3), kSettingOk);
  EXPECT_EQ(ReadRememberedLanguageId(id), kSettingOk);
  EXPECT_EQ(id, 3u);
}

TEST(InstalledVersion, IsTheBuildsVersion) { EXPECT_EQ(InstalledVersion(), TALMI_VERSION); }

}  // namespace
}  // namespace talmi
