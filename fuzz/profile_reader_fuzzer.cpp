// libFuzzer target for the JSON readers and the profile loaders. The first
// byte picks the loader and where the input lands; the rest is the file.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/folders.h"
#include "profiles/basic_profiledata.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "profiles/profile_folders.h"

namespace {

using namespace talmi;

std::string& Root() {
  static std::string root;
  return root;
}

void WriteRaw(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void WalkLenient(const Json::Value& v, int depth) {
  if (depth > kMaxJsonDepth + 2) __builtin_trap();
  (void)JsonInt(v, "a");
  (void)JsonBool(v, "b");
  (void)JsonByte(v, "c");
  Check(IsValidUtf8(JsonString(v, "d")));
  if (v.isArray()) {
    for (Json::ArrayIndex i = 0; i < v.size() && i < 64; ++i) WalkLenient(v[i], depth + 1);
  } else if (v.isObject()) {
    for (const auto& key : v.getMemberNames()) {
      Check(IsValidUtf8(FromUtf8(key)));
      WalkLenient(v[key], depth + 1);
    }
  }
}

void ExerciseBase(CBasicProfiledata& p) {
  (void)p.GetLightInfo();
  (void)p.GetAudioLightInfo();
  (void)p.GetLightList();
  (void)p.GetKeyList();
  (void)p.GetOtherKeyList();
  (void)p.GetLightEffectSteps();
  std::vector<KeyAssignment> keys = p.GetKeyList();
  p.SetKeyList(keys);
  Check(p.GetKeyList() == keys);
}

void LoadWith(int which, const std::string& profile, const std::string& library) {
  std::string folder = DataFolderPath(kKindKeyboard);
  auto prepare = [&](CBasicProfiledata& p) {
    p.SetDefaultProfilePath(DefaultProfilePath(kKindKeyboard));
    p.SetProfilePath(profile);
    p.LoadDeviceEntry(profile);
    p.LoadOtherDeviceEntry(profile);
    p.ReadLightLibrary(library);
    ExerciseBase(p);
  };
  switch (which) {
    case 0: {
      CKeyboardProfiledata p;
      prepare(p);
      (void)p.GetSystemStages();
      (void)p.GetCustomLightGroup();
      (void)p.GetCustomLight(p.GetCustomLightGroup() & 15, 170);
      (void)p.GetCustomLight(1, 3);
      (void)p.Save();
      break;
    }
    case 1: {
      CMouseProfiledata p;
      prepare(p);
      std::vector<DpiStageRecord> st = p.GetDpiStages();
      (void)p.GetMouseSystemStages();
      (void)p.GetCorrectInfo();
      p.SetDpiStages(st);
      (void)p.Save();
      break;
    }
    case 2: {
      CHs6533Profiledata p;
      prepare(p);
      HeadsetStages s = p.GetSystemSetStages();
      for (int t = -1; t <= 14; ++t) {
        size_t n = p.GetEqValues(t).size();
        Check(n == (t == kCustomEqType ? 0u : 10u));
      }
      for (const std::string& name : p.GetCustomEqNames()) Check(IsValidUtf8(name));
      Check(p.GetCustomEqValues(s.customEqSelectIndex).size() == 10u);
      p.RemoveCustomEqPreset(0);
      (void)p.Save();
      break;
    }
    default: {
      CBasicProfiledata p;
      prepare(p);
      (void)p.Save();
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Memory-backed when available: every load may rewrite files with fsync.
  char tmpl[] = "/dev/shm/talmi-fuzz-XXXXXX";
  if (access("/dev/shm", W_OK) != 0) std::snprintf(tmpl, sizeof tmpl, "/tmp/talmi-fuzz-XXXXXX");
  char* made = mkdtemp(tmpl);
  if (!made) abort();
  Root() = made;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(Root(), ec);
  });
  setenv("XDG_DATA_HOME", (Root() + "/data").c_str(), 1);
  setenv("TALMI_PROGRAM_DIR", (Root() + "/program").c_str(), 1);
  MakeFolders(Root() + "/program/DefaultData");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  // Text helpers: repair always yields valid UTF-8 and is idempotent.
  std::string repaired = FromUtf8(text);
  Check(IsValidUtf8(repaired));
  Check(FromUtf8(repaired) == repaired);

  // Parser and writer: whatever parses writes back to text that parses.
  Json::Value v = ParseJsonText(text);
  if (!v.isNull()) {
    WalkLenient(v, 0);
    Check(!ParseJsonText(StyledJsonText(v)).isNull() || v.isNull());
  }

  // Loaders: the input becomes the profile, the default profile or the
  // light library (with its one effect file).
  std::string folder = DataFolderPath(kKindKeyboard);
  std::string profile = folder + "fuzz.Json";
  std::string library = folder + "kelma_light.config";
  std::string defaults = DefaultProfilePath(kKindKeyboard);
  unlink(profile.c_str());
  unlink(defaults.c_str());
  unlink(library.c_str());
  switch ((selector >> 2) & 3) {
    case 0: WriteRaw(profile, text); break;
    case 1: WriteRaw(defaults, text); break;
    case 2:
      WriteRaw(library, text);
      WriteRaw(folder + "e.light", text);
      break;
    default:
      WriteRaw(profile, text);
      WriteRaw(defaults, text);
      break;
  }
  LoadWith(selector & 3, profile, library);
  return 0;
}
