#pragma once
// A private data folder and program folder per test, and small file helpers.
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace talmi::test {

namespace fs = std::filesystem;

class TempDataFolder {
 public:
  TempDataFolder() {
    std::string tmpl = (fs::temp_directory_path() / "talmi-profiles-XXXXXX").string();
    char* made = ::mkdtemp(tmpl.data());
    root_ = made ? made : "";
    fs::create_directories(root_ + "/data");
    fs::create_directories(root_ + "/program/DefaultData");
    fs::create_directories(root_ + "/outside");
    Save("XDG_DATA_HOME", oldData_);
    Save("TALMI_PROGRAM_DIR", oldProgram_);
    ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
    ::setenv("TALMI_PROGRAM_DIR", (root_ + "/program").c_str(), 1);
  }
  ~TempDataFolder() {
    Restore("XDG_DATA_HOME", oldData_);
    Restore("TALMI_PROGRAM_DIR", oldProgram_);
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
  }
  TempDataFolder(const TempDataFolder&) = delete;
  TempDataFolder& operator=(const TempDataFolder&) = delete;

  const std::string& Root() const { return root_; }
  std::string DefaultFolder() const { return root_ + "/program/DefaultData/"; }
  std::string Outside() const { return root_ + "/outside/"; }
  std::string UserFolder() const { return root_ + "/data/TALMI KT-380 Device/"; }

  // Copies a shipped file from the source tree into this program folder.
  void InstallShipped(const std::string& name) const {
    fs::copy_file(std::string(TALMI_SOURCE_DIR) + "/DefaultData/" + name, DefaultFolder() + name,
                  fs::copy_options::overwrite_existing);
  }

 private:
  struct Env {
    bool set = false;
    std::string value;
  };
  static void Save(const char* name, Env& env) {
    const char* v = std::getenv(name);
    env.set = v != nullptr;
    if (v) env.value = v;
  }
  static void Restore(const char* name, const Env& env) {
    if (env.set) {
      ::setenv(name, env.value.c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  std::string root_;
  Env oldData_;
  Env oldProgram_;
};

inline void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline Json::Value Parse(const std::string& text) {
  Json::CharReaderBuilder b;
  Json::Value v;
  std::string errs;
  std::istringstream in(text);
  if (!Json::parseFromStream(b, in, &v, &errs)) return Json::Value();
  return v;
}

}  // namespace talmi::test
