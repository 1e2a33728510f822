// Profile files survive a writer killed at any moment, and identifiers that
// try to leave the data folder touch nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <string>

#include "profile_test_support.h"
#include "profiles/basic_profiledata.h"
#include "profiles/json_file.h"
#include "profiles/profile_folders.h"

namespace talmi {
namespace {

using test::ReadText;
using test::TempDataFolder;
using test::WriteText;

Json::Value SmallEntry() {
  Json::Value e;
  e["LightInfo"]["SelectItem"] = 1;
  return e;
}

Json::Value LargeEntry() {
  Json::Value e;
  e["LightInfo"]["SelectItem"] = 2;
  for (int i = 0; i < 400; ++i) {
    e["KeyList"][i]["Assignment"] = 0x200000 + i;
    e["KeyList"][i]["DefaultAssignment"] = 0x200000 + i;
  }
  return e;
}

// The child rewrites the profile in a loop, alternating two documents of
// very different size; it reports once the first rewrite is done.
[[noreturn]] void RunWriter(const std::string& path, int readyFd) {
  CBasicProfiledata object;
  const Json::Value entries[2] = {SmallEntry(), LargeEntry()};
  bool told = false;
  for (unsigned i = 0;; ++i) {
    if (object.SaveEntryTo(entries[i % 2], path) != 1) _exit(3);
    if (!told) {
      char c = 1;
      if (::write(readyFd, &c, 1) != 1) _exit(4);
      told = true;
    }
  }
}

TEST(CrashSafety, KilledWriterLeavesTheOldOrTheNewDocument) {
  TempDataFolder dir;
  std::string folder = DataFolderPath(kKindKeyboard);
  std::string path = folder + "victim.Json";
  Json::Value small;
  small["profilename"] = "Écran";
  small["profileUUID"] = "victim";
  small["Device"][0] = SmallEntry();
  ASSERT_EQ(WriteJsonFile(path, small), 1);

  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> pause(0, 3000);
  std::set<int> seen;
  for (int round = 0; round < 40; ++round) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      RunWriter(path, fds[1]);
    }
    ::close(fds[1]);
    char c = 0;
    ASSERT_EQ(::read(fds[0], &c, 1), 1) << "writer failed before its first rewrite";
    ::close(fds[0]);
    ::usleep(static_cast<useconds_t>(pause(rng)));  // a random moment, not a wait
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself: " << status;

    Json::Value doc = ReadJsonFile(path);
    ASSERT_TRUE(doc.isObject()) << "round " << round << ": torn file";
    EXPECT_EQ(JsonString(doc, "profilename"), "Écran");
    EXPECT_EQ(JsonString(doc, "profileUUID"), "victim");
    const Json::Value& entry = doc["Device"][0];
    bool isSmall = entry == SmallEntry();
    bool isLarge = entry == LargeEntry();
    ASSERT_TRUE(isSmall || isLarge) << "round " << round;
    seen.insert(isLarge ? 1 : 0);
  }
  EXPECT_FALSE(seen.empty());
}

struct Attack {
  const char* name;
  std::string id;
};

std::vector<Attack> Attacks() {
  return {
      {"parent", "../../outside/victim"},
      {"grandparent", "../../../outside/victim"},
      {"dot dot", ".."},
      {"dot", "."},
      {"inner dot dot", "a/../../../outside/victim"},
      {"backslashes", "..\\..\\outside\\victim"},
      {"absolute", "/tmp/talmi-absolute-victim"},
      {"embedded NUL", std::string("victim\0x", 8)},
      {"control character", "vic\ntim"},
      {"overlong", std::string(4096, 'a')},
      {"empty", ""},
  };
}

TEST(Traversal, ProfileIdentifiersCannotReachOutsideTheDataFolder) {
  TempDataFolder dir;
  WriteText(dir.DefaultFolder() + "keyboard.Json", R"({"Device": [{"LightInfo": {"SelectItem": 5}}]})");
  const std::string victim = dir.Outside() + "victim.Json";
  const std::string original = R"({"secret": true})";
  WriteText(victim, original);
  auto before = test::fs::last_write_time(victim);
  std::string folder = DataFolderPath(kKindKeyboard);

  for (const Attack& a : Attacks()) {
    EXPECT_EQ(ProfileFilePath(folder, a.id), "") << a.name;
    CBasicProfiledata object;
    object.SetDefaultProfilePath(DefaultProfilePath(kKindKeyboard));
    object.SetProfilePath(folder + "good.Json");
    EXPECT_EQ(object.SelectProfileFile(folder, a.id), -1) << a.name;
    EXPECT_EQ(object.GetProfilePath(), "") << a.name << ": the previous path is dropped";
    EXPECT_TRUE(object.LoadDeviceEntry(object.GetProfilePath()).isNull()) << a.name;
    EXPECT_EQ(object.Save(), 0) << a.name;
  }
  EXPECT_EQ(ReadText(victim), original);
  EXPECT_EQ(test::fs::last_write_time(victim), before);
  EXPECT_FALSE(test::fs::exists("/tmp/talmi-absolute-victim.Json"));
  int outside = 0;
  for (const auto& e : test::fs::directory_iterator(dir.Outside())) outside += e.is_regular_file();
  EXPECT_EQ(outside, 1) << "nothing new beside the victim";
  int inside = 0;
  for (const auto& e : test::fs::recursive_directory_iterator(dir.Root() + "/data")) {
    inside += e.is_regular_file();
  }
  EXPECT_EQ(inside, 0) << "no profile was created for a refused id";
}

TEST(Traversal, KindNamesAreCheckedToo) {
  TempDataFolder dir;
  EXPECT_EQ(DataFolderPath("../outside"), "");
  EXPECT_EQ(DefaultProfilePath("../../etc/passwd"), "");
  EXPECT_EQ(LightLibraryPath("a/b"), "");
  EXPECT_FALSE(test::fs::exists(dir.Root() + "/data/outside"));
}

TEST(Traversal, LightEffectIdsAreCheckedBeforeUse) {
  TempDataFolder dir;
  std::string data = DataFolderPath(kKindKeyboard);
  for (const Attack& a : Attacks()) {
    Json::Value lib;
    lib["LightInfo"][0][0]["Guid"] = a.id;
    lib["LightInfo"][0][0]["LightName"] = a.name;
    ASSERT_EQ(WriteJsonFile(data + "kelma_light.config", lib), 1);
    // A file the attack would name if the id were used as given.
    WriteText(dir.Outside() + "victim.light", R"({"LEDEffectList": [{"LEDREGMode": 7}]})");
    CBasicProfiledata object;
    object.ReadLightLibrary(LightLibraryPath(kKindKeyboard));
    EXPECT_TRUE(object.GetLightEffectSteps().empty()) << a.name;
  }
}

}  // namespace
}  // namespace talmi
