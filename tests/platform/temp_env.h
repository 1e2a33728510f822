#pragma once
// A private set of user folders for one test: XDG_DATA_HOME, XDG_CONFIG_HOME,
// XDG_RUNTIME_DIR and TMPDIR point into a fresh temporary folder, restored
// and removed afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talmi::test {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_.c_str(), old_->c_str(), 1);
    else ::unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class TempUserFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "talmi-platform-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
    for (const char* sub : {"data", "config", "runtime", "tmp"}) {
      std::filesystem::create_directory(root_ + "/" + sub);
    }
    std::filesystem::permissions(root_ + "/runtime", std::filesystem::perms::owner_all);
    env_.emplace_back(std::make_unique<ScopedEnv>("XDG_DATA_HOME", root_ + "/data"));
    env_.emplace_back(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", root_ + "/config"));
    env_.emplace_back(std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", root_ + "/runtime"));
    env_.emplace_back(std::make_unique<ScopedEnv>("TMPDIR", root_ + "/tmp"));
  }
  void TearDown() override {
    env_.clear();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  const std::string& Root() const { return root_; }

 private:
  std::string root_;
  std::vector<std::unique_ptr<ScopedEnv>> env_;
};

}  // namespace talmi::test
