#include "platform/settings_store.h"

#include <fcntl.h>
#include <json/json.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "platform/folders.h"

#ifndef TALMI_VERSION
#define TALMI_VERSION "0.0.0"
#endif

namespace talmi {
namespace {

constexpr const char* kKeysMember = "keys";

// Registry names are compared without regard to ASCII case.
std::string Fold(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsValidName(const std::string& name, bool allowEmpty) {
  if (name.size() > kMaxSettingNameBytes || (!allowEmpty && name.empty())) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

// Holds the store's lock file; readers and writers of the user take it so
// that a read-modify-write of one process never loses another's change.
class StoreLock {
 public:
  StoreLock(const std::string& path, bool exclusive) {
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0 && ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~StoreLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// A missing file is an empty store. A file that does not parse is moved
// aside (so nobody's settings are silently overwritten) and read as empty.
Json::Value LoadStore(const std::string& path, bool forWriting) {
  std::string text;
  Json::Value root(Json::objectValue);
  if (::access(path.c_str(), F_OK) != 0) return root;
  bool ok = ReadWholeFile(path, text, kMaxSettingsFileBytes);
  if (ok) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    Json::Value parsed;
    ok = reader->parse(text.data(), text.data() + text.size(), &parsed, &errors) &&
         parsed.isObject();
    if (ok) root = parsed;
  }
  if (!ok) {
    DebugOutputF("settings store unreadable: %s", path.c_str());
    if (forWriting) ::rename(path.c_str(), (path + ".broken").c_str());
    return Json::Value(Json::objectValue);
  }
  if (!root[kKeysMember].isObject()) root[kKeysMember] = Json::Value(Json::objectValue);
  return root;
}

bool SaveStore(const std::string& path, const Json::Value& root) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "  ";
  return WriteFileAtomically(path, Json::writeString(builder, root) + "\n");
}

// The member of keys whose folded name equals the folded key path.
std::string FindMember(const Json::Value& object, const std::string& name) {
  if (!object.isObject()) return {};
  const std::string folded = Fold(name);
  for (const std::string& member : object.getMemberNames()) {
    if (Fold(member) == folded) return member;
  }
  return {};
}

bool KeyExists(const Json::Value& root, const std::string& keyPath) {
  const Json::Value& keys = root[kKeysMember];
  std::string member = FindMember(keys, keyPath);
  return !member.empty() && keys[member].isObject();
}

// Normalises "A\\B\" and "A/B" to "A\B".
std::string NormaliseKeyPath(const std::string& keyPath) {
  std::string out;
  for (char c : keyPath) {
    if (c == '/') c = '\\';
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

// Runs change on the key's value object under the exclusive lock and saves.
template <typename Change>
int ModifyKey(const std::string& keyPath, bool createKey, Change change) {
  std::string folder = UserConfigFolder(true);
  if (!MakeFolders(folder)) return kSettingIoError;
  const std::string path = SettingsFilePath();
  StoreLock lock(path, true);
  if (!lock.Held()) return kSettingIoError;
  Json::Value root = LoadStore(path, true);
  Json::Value& keys = root[kKeysMember];
  if (!keys.isObject()) keys = Json::Value(Json::objectValue);
  std::string member = FindMember(keys, keyPath);
  if (member.empty() || !keys[member].isObject()) {
    if (!createKey) return kSettingMissing;
    member = keyPath;
    keys[member] = Json::Value(Json::objectValue);
  }
  int rc = change(keys[member]);
  if (rc != kSettingOk) return rc;
  return SaveStore(path, root) ? kSettingOk : kSettingIoError;
}

// Reads one value of an existing key under the shared lock.
int ReadValue(const std::string& keyPath, const std::string& name, Json::Value& out) {
  const std::string path = SettingsFilePath();
  if (::access(path.c_str(), F_OK) != 0) return kSettingMissing;
  StoreLock lock(path, false);
  Json::Value root = LoadStore(path, false);
  const Json::Value& keys = root[kKeysMember];
  std::string member = FindMember(keys, keyPath);
  if (member.empty() || !keys[member].isObject()) return kSettingMissing;
  std::string valueName = FindMember(keys[member], name);
  if (valueName.empty() && !(name.empty() && keys[member].isMember(""))) return kSettingMissing;
  out = keys[member][valueName];
  return kSettingOk;
}

}  // namespace

std::string ProductKeyPath() {
  char buf[256];
  std::snprintf(buf, sizeof buf, kProductKeyFormat, kProductName);
  return buf;
}

std::string SettingsFilePath() { return UserConfigFolder(false) + "/" + kSettingsFileName; }

int CSettingsKey::Open(const std::string& keyPath) {
  open_ = false;
  std::string normal = NormaliseKeyPath(keyPath);
  if (!IsValidName(normal, false)) return kSettingBadName;
  const std::string path = SettingsFilePath();
  if (::access(path.c_str(), F_OK) != 0) return kSettingMissing;
  StoreLock lock(path, false);
  if (!KeyExists(LoadStore(path, false), normal)) return kSettingMissing;
  path_ = normal;
  open_ = true;
  return kSettingOk;
}

int CSettingsKey::Create(const std::string& keyPath) {
  open_ = false;
  std::string normal = NormaliseKeyPath(keyPath);
  if (!IsValidName(normal, false)) return kSettingBadName;
  int rc = ModifyKey(normal, true, [](Json::Value&) { return kSettingOk; });
  if (rc != kSettingOk) return rc;
  path_ = normal;
  open_ = true;
  return kSettingOk;
}

int CSettingsKey::QueryDword(const std::string& name, uint32_t& value) const {
  if (!open_) return kSettingNotOpen;
  if (!IsValidName(name, true)) return kSettingBadName;
  Json::Value v;
  int rc = ReadValue(path_, name, v);
  if (rc != kSettingOk) return rc;
  if (!v.isUInt()) return kSettingWrongType;
  value = v.asUInt();
  return kSettingOk;
}

int CSettingsKey::QueryString(const std::string& name, std::string& value) const {
  if (!open_) return kSettingNotOpen;
  if (!IsValidName(name, true)) return kSettingBadName;
  Json::Value v;
  int rc = ReadValue(path_, name, v);
  if (rc != kSettingOk) return rc;
  if (!v.isString()) return kSettingWrongType;
  value = v.asString();
  return kSettingOk;
}

// A value that is written keeps the spelling of the name it already has.
static void StoreMember(Json::Value& key, const std::string& name, Json::Value v) {
  std::string existing = FindMember(key, name);
  key[existing.empty() ? name : existing] = std::move(v);
}

int CSettingsKey::SetDword(const std::string& name, uint32_t value) {
  if (!open_) return kSettingNotOpen;
  if (!IsValidName(name, true)) return kSettingBadName;
  // Writing to a key that was deleted meanwhile fails, as with a stale handle.
  return ModifyKey(path_, false, [&](Json::Value& key) {
    StoreMember(key, name, Json::Value(Json::UInt(value)));
    return kSettingOk;
  });
}

int CSettingsKey::SetString(const std::string& name, const std::string& value) {
  if (!open_) return kSettingNotOpen;
  if (!IsValidName(name, true)) return kSettingBadName;
  if (value.size() > kMaxSettingStringBytes) return kSettingBadName;
  return ModifyKey(path_, false, [&](Json::Value& key) {
    StoreMember(key, name, Json::Value(value));
    return kSettingOk;
  });
}

int CSettingsKey::DeleteValue(const std::string& name) {
  if (!open_) return kSettingNotOpen;
  if (!IsValidName(name, true)) return kSettingBadName;
  return ModifyKey(path_, false, [&](Json::Value& key) {
    std::string existing = FindMember(key, name);
    if (existing.empty()) return kSettingMissing;
    key.removeMember(existing);
    return kSettingOk;
  });
}

int EnsureProductKey() {
  CSettingsKey key;
  if (key.Open(ProductKeyPath()) == kSettingOk) return kSettingOk;
  return key.Create(ProductKeyPath());
}

int ReadRememberedLanguageId(uint32_t& id) {
  CSettingsKey key;
  int rc = key.Open(ProductKeyPath());
  if (rc != kSettingOk) return rc;
  return key.QueryDword(kLanguageValueName, id);
}

int RememberLanguageId(uint32_t id) {
  CSettingsKey key;
  int rc = key.Open(ProductKeyPath());
  if (rc != kSettingOk) return rc;
  return key.SetDword(kLanguageValueName, id);
}

std::string InstalledVersion() { return TALMI_VERSION; }

}  // namespace talmi
