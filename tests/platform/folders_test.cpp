#include "platform/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/platform/temp_env.h"

namespace talmi {
namespace {

using test::ScopedEnv;

struct EnvCase {
  const char* name;
  std::optional<std::string> value;
  std::string (*folder)();
  std::string expected;  // "" = HOME-relative default checked via suffix
  const char* defaultSuffix;
};

std::string ConfigFolder() { return UserConfigFolder(false); }
std::string DataFolder() { return UserDataFolder(false); }

TEST(Folders, EnvironmentChoosesTheFolderAndRelativeValuesAreIgnored) {
  ScopedEnv home("HOME", std::string("/home/tester"));
  const EnvCase cases[] = {
      {"XDG_DATA_HOME", "/x/data", LocalAppDataFolder, "/x/data", nullptr},
      {"XDG_DATA_HOME", "/x/data///", LocalAppDataFolder, "/x/data", nullptr},
      {"XDG_DATA_HOME", "relative/data", LocalAppDataFolder, "/home/tester/.local/share", nullptr},
      {"XDG_DATA_HOME", std::nullopt, LocalAppDataFolder, "/home/tester/.local/share", nullptr},
      {"XDG_DATA_HOME", "/x/data", DataFolder, "/x/data/TALMI KT-380 Device", nullptr},
      {"XDG_CONFIG_HOME", "/x/cfg", ConfigFolder, "/x/cfg/TALMI KT-380 Device", nullptr},
      {"XDG_CONFIG_HOME", std::nullopt, ConfigFolder, "/home/tester/.config/TALMI KT-380 Device",
       nullptr},
      {"TMPDIR", "/x/tmp", TempFolder, "/x/tmp", nullptr},
      {"TMPDIR", std::nullopt, TempFolder, "/tmp", nullptr},
      {"TMPDIR", "", TempFolder, "/tmp", nullptr},
      {"TALMI_PROGRAM_DIR", "/opt/talmi", ProgramFolder, "/opt/talmi", nullptr},
      {"TALMI_PROGRAM_DIR", "/opt/talmi", ResourceRoot, "/opt/talmi/skin", nullptr},
      {"XDG_RUNTIME_DIR", "/run/user/42", RuntimeFolder, "/run/user/42", nullptr},
  };
  for (const EnvCase& c : cases) {
    ScopedEnv env(c.name, c.value);
    EXPECT_EQ(c.folder(), c.expected) << c.name << "=" << c.value.value_or("<unset>");
  }
}

TEST(Folders, RuntimeFolderWithoutEnvironmentIsPrivateAndOurs) {
  ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
  std::string folder = RuntimeFolder();
  ASSERT_FALSE(folder.empty());
  struct stat st {};
  ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_uid, ::getuid());
  EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST(Folders, RuntimeFolderThatIsALinkIsNotUsed) {
  ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
  const std::string usual = "/tmp/runtime-" + std::to_string(::getuid());
  struct stat st {};
  ::rmdir(usual.c_str());  // only when empty; it is made again on demand
  if (::lstat(usual.c_str(), &st) == 0) GTEST_SKIP() << usual << " is in use";
  std::string target = "/tmp/talmi-link-target-XXXXXX";
  ASSERT_NE(::mkdtemp(target.data()), nullptr);
  ASSERT_EQ(::symlink(target.c_str(), usual.c_str()), 0);
  std::string folder = RuntimeFolder();
  ::unlink(usual.c_str());
  std::filesystem::remove_all(target);
  EXPECT_NE(folder, usual);
  EXPECT_NE(folder, target);
  if (!folder.empty()) {
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u);
  }
}

class FolderCreation : public test::TempUserFolders {};

TEST_F(FolderCreation, UserFoldersAreCreatedOnlyWhenAsked) {
  const std::string data = Root() + "/data/TALMI KT-380 Device";
  EXPECT_EQ(UserDataFolder(false), data);
  EXPECT_FALSE(std::filesystem::exists(data));
  EXPECT_EQ(UserDataFolder(true), data);
  EXPECT_TRUE(std::filesystem::is_directory(data));
  EXPECT_EQ(UserConfigFolder(true), Root() + "/config/TALMI KT-380 Device");
  EXPECT_TRUE(std::filesystem::is_directory(Root() + "/config/TALMI KT-380 Device"));
}

TEST_F(FolderCreation, MakeFoldersCreatesParentsAndRefusesAFileInTheWay) {
  EXPECT_TRUE(MakeFolders(Root() + "/tmp/a/b/c"));
  EXPECT_TRUE(std::filesystem::is_directory(Root() + "/tmp/a/b/c"));
  EXPECT_TRUE(MakeFolders(Root() + "/tmp/a/b/c"));  // already there
  { std::FILE* f = std::fopen((Root() + "/tmp/file").c_str(), "w"); std::fclose(f); }
  EXPECT_FALSE(MakeFolders(Root() + "/tmp/file/sub"));
  EXPECT_FALSE(MakeFolders(""));
}

}  // namespace
}  // namespace talmi
