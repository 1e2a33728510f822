#include "profiles/macro_library.h"

#include <unistd.h>

#include <cstdio>

#include "platform/atomic_file.h"
#include "profiles/json_file.h"
#include "profiles/macro_event.h"
#include "profiles/name_rules.h"
#include "profiles/store_path.h"

namespace talmi {
namespace {

constexpr const char* kMacroNamePrefix = "macro_";

MacroRow RowOf(const Json::Value& entry) {
  return MacroRow{JsonString(entry, "MacroName"), JsonString(entry, "Guid")};
}

// The "MacroInfo" array of a document, made an array when it is not one.
Json::Value& MacroInfo(Json::Value& doc) {
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  return JsonEnsureArray(doc, "MacroInfo");
}

}  // namespace

CMacroLibrary::CMacroLibrary(std::string folder, std::string configName)
    : folder_(FolderWithSeparator(folder)), configName_(std::move(configName)) {}

std::string CMacroLibrary::ConfigPath() const { return folder_ + configName_; }

Json::Value CMacroLibrary::ReadConfig() const { return ReadJsonFile(ConfigPath()); }

int CMacroLibrary::Load() {
  rows_.clear();
  const Json::Value doc = ReadConfig();
  const Json::Value* info = JsonArrayMember(doc, "MacroInfo");
  if (info == nullptr) return 0;
  // Every element keeps its place: the position is the macro index.
  for (const Json::Value& entry : *info) rows_.push_back(RowOf(entry));
  return 1;
}

std::vector<std::string> CMacroLibrary::Names() const {
  std::vector<std::string> names;
  names.reserve(rows_.size());
  for (const MacroRow& r : rows_) names.push_back(r.name);
  return names;
}

std::string CMacroLibrary::MacroFilePath(size_t index) const {
  if (index >= rows_.size()) return std::string();
  return IdentifiedFilePath(folder_, rows_[index].guid, kMacroFileExtension);
}

std::string CMacroLibrary::NextMacroName() const {
  return FirstFreeNumberedName(Names(), kMacroNamePrefix);
}

std::string CMacroLibrary::NewGuid() const {
  return MakeUniqueTimestampId([this](const std::string& id) {
    for (const MacroRow& r : rows_) {
      if (r.guid == id) return true;
    }
    return ::access((folder_ + id + kMacroFileExtension).c_str(), F_OK) == 0;
  });
}

int CMacroLibrary::AppendRow(const std::string& name, const std::string& guid) {
  Json::Value doc = ReadConfig();
  Json::Value entry(Json::objectValue);
  entry["MacroName"] = ToUtf8(name);
  entry["Guid"] = guid;
  MacroInfo(doc).append(entry);
  if (WriteJsonFile(ConfigPath(), doc) != 1) return -1;
  Load();
  return 1;
}

int CMacroLibrary::AddMacro() {
  Load();
  if (rows_.size() >= kMaxMacros) return 0;
  return AppendRow(NextMacroName(), NewGuid());
}

int CMacroLibrary::RenameMacro(size_t index, const std::string& name) {
  Load();
  if (index >= rows_.size()) return -1;
  if (IsBlankName(name)) return 2;
  if (FindNameIgnoringCase(Names(), name) >= 0) return 0;
  Json::Value doc = ReadConfig();
  Json::Value& info = MacroInfo(doc);
  if (index >= info.size()) return -1;
  Json::Value& entry = info[static_cast<Json::ArrayIndex>(index)];
  if (!entry.isObject()) entry = Json::Value(Json::objectValue);
  entry["MacroName"] = ToUtf8(name);
  if (WriteJsonFile(ConfigPath(), doc) != 1) return -1;
  Load();
  return 1;
}

int CMacroLibrary::DeleteMacro(size_t index) {
  Load();
  if (index >= rows_.size()) return -1;
  Json::Value doc = ReadConfig();
  Json::Value& info = MacroInfo(doc);
  if (index >= info.size()) return -1;
  const std::string path = MacroFilePath(index);
  const std::string guid = rows_[index].guid;
  Json::Value removed;
  info.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
  if (WriteJsonFile(ConfigPath(), doc) != 1) return -1;
  Load();
  // Another row naming the same file keeps it.
  bool shared = false;
  for (const MacroRow& r : rows_) shared = shared || r.guid == guid;
  if (!path.empty() && !shared) std::remove(path.c_str());
  return 1;
}

int CMacroLibrary::SaveMacro(size_t index, const Json::Value& events) {
  Load();
  const std::string path = MacroFilePath(index);
  if (path.empty()) return -1;
  Json::Value doc(Json::objectValue);
  doc["MacroName"] = ToUtf8(rows_[index].name);
  doc["Guid"] = rows_[index].guid;
  doc["Events"] = events.isArray() ? events : Json::Value(Json::arrayValue);
  doc["Version"] = kMacroFileVersion;
  return WriteJsonFile(path, doc) == 1 ? 1 : -1;
}

Json::Value CMacroLibrary::ReadMacro(size_t index) const {
  const std::string path = MacroFilePath(index);
  if (path.empty()) return Json::Value();
  return ReadJsonFile(path);
}

int CMacroLibrary::ExportMacro(size_t index, const std::string& path) const {
  const std::string source = MacroFilePath(index);
  std::string content;
  if (source.empty() || path.empty() || !ReadWholeFile(source, content, kMaxJsonFileBytes)) {
    return 0;
  }
  return WriteFileAtomically(NormalizePathSeparators(path), content) ? 1 : -1;
}

int CMacroLibrary::ImportMacro(const std::string& path) {
  Load();
  if (rows_.size() >= kMaxMacros) return 0;
  std::string content;
  if (path.empty() ||
      !ReadWholeFile(NormalizePathSeparators(path), content, kMaxJsonFileBytes)) {
    return 0;
  }
  if (ParseJsonText(content).isNull()) return 0;
  const std::string guid = NewGuid();
  const std::string target = folder_ + guid + kMacroFileExtension;
  if (!WriteFileAtomically(target, content)) return -1;
  const int added = AppendRow(NextMacroName(), guid);
  if (added != 1) std::remove(target.c_str());
  return added;
}

}  // namespace talmi
