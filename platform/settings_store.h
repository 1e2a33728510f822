#pragma once
// The per-user settings store that stands for the current user's registry
// hive: keys ("SOFTWARE\TALMI KT-380 Device") holding DWORD and string values,
// kept as one JSON file in UserConfigFolder(). Every call reads the file
// afresh and every change replaces it atomically under a lock, so several
// processes of the user see one store.
#include <cstdint>
#include <string>

namespace talmi {

inline constexpr const char* kProductKeyFormat = "SOFTWARE\\%s";
inline constexpr const char* kSettingsFileName = "settings.json";
inline constexpr size_t kMaxSettingsFileBytes = 1u << 20;
inline constexpr size_t kMaxSettingNameBytes = 255;
inline constexpr size_t kMaxSettingStringBytes = 16u << 10;

// "SOFTWARE\TALMI KT-380 Device".
std::string ProductKeyPath();
// UserConfigFolder() + "/settings.json".
std::string SettingsFilePath();

// Result codes of the key and value calls.
inline constexpr int kSettingOk = 1;
inline constexpr int kSettingMissing = 0;     // key or value does not exist
inline constexpr int kSettingWrongType = -1;  // the value is of the other type
inline constexpr int kSettingBadName = -2;
inline constexpr int kSettingIoError = -3;
inline constexpr int kSettingNotOpen = -4;

class CSettingsKey {
 public:
  // Opens an existing key and never creates it: kSettingOk or kSettingMissing.
  [[nodiscard]] int Open(const std::string& keyPath);
  // Opens the key, creating it (empty) when missing.
  [[nodiscard]] int Create(const std::string& keyPath);
  bool IsOpen() const { return open_; }
  void Close() { open_ = false; }
  const std::string& Path() const { return path_; }

  [[nodiscard]] int QueryDword(const std::string& name, uint32_t& value) const;
  [[nodiscard]] int SetDword(const std::string& name, uint32_t value);
  [[nodiscard]] int QueryString(const std::string& name, std::string& value) const;
  [[nodiscard]] int SetString(const std::string& name, const std::string& value);
  [[nodiscard]] int DeleteValue(const std::string& name);

 private:
  std::string path_;
  bool open_ = false;
};

// Creates the product's key when it is missing (the first start does what an
// installer does elsewhere). kSettingOk when the key exists afterwards.
[[nodiscard]] int EnsureProductKey();

// The remembered language: the DWORD "LANGUAGE" of the product's key. The
// key is opened, never created: without it nothing is remembered
// (kSettingMissing) and a write does nothing.
inline constexpr const char* kLanguageValueName = "LANGUAGE";
[[nodiscard]] int ReadRememberedLanguageId(uint32_t& id);
[[nodiscard]] int RememberLanguageId(uint32_t id);

// The version this build installs, e.g. "1.0.0".
std::string InstalledVersion();

}  // namespace talmi
