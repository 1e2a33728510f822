#include "profiles/profile_list.h"

#include <unistd.h>

#include <cstdio>

#include "profiles/json_file.h"
#include "profiles/name_rules.h"
#include "profiles/profile_folders.h"
#include "profiles/store_path.h"

namespace talmi {
namespace {

constexpr const char* kListKey = "profilelist";
constexpr const char* kSelectKey = "profileselect";
constexpr const char* kNameKey = "profilename";
constexpr const char* kIdKey = "profileUUID";
constexpr const char* kFirstProfileName = "profile1";
constexpr const char* kAddedNamePrefix = "profile";
constexpr const char* kCopySuffix = " copy";

const Json::Value* Entries(const Json::Value& doc) { return JsonArrayMember(doc, kListKey); }

Json::Value MakeEntry(const std::string& name, const std::string& id) {
  Json::Value e(Json::objectValue);
  e[kNameKey] = ToUtf8(name);
  e[kIdKey] = id;
  e["profileislink"] = 0;
  e["profilelinkmame"] = "";
  return e;
}

// The file name without folder and extension.
std::string BaseName(const std::string& path) {
  std::string name = NormalizePathSeparators(path);
  const size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return FromUtf8(name);
}

// Element i of "profilelist" or "Device" as an object, shaped for writing.
Json::Value& ObjectElement(Json::Value& doc, const char* key, Json::ArrayIndex i) {
  Json::Value& e = JsonEnsureElement(JsonEnsureArray(doc, key), i);
  if (!e.isObject()) e = Json::Value(Json::objectValue);
  return e;
}

}  // namespace

void CProfileList::SetFolders(const std::string& folder, const std::string& templatePath) {
  folder_ = FolderWithSeparator(folder);
  templatePath_ = templatePath;
}

std::string CProfileList::ListPath() const { return folder_ + kProfileListName; }

void CProfileList::TakeDocument(Json::Value doc) {
  doc_ = std::move(doc);
  names_.clear();
  if (const Json::Value* entries = Entries(doc_)) {
    for (const Json::Value& e : *entries) names_.push_back(JsonString(e, kNameKey));
  }
  if (selected_ >= static_cast<int>(names_.size())) selected_ = static_cast<int>(names_.size()) - 1;
}

void CProfileList::Refresh() {
  Json::Value doc = ReadJsonFile(ListPath());
  const Json::Value* entries = Entries(doc);
  if (entries == nullptr || entries->empty()) return;
  TakeDocument(std::move(doc));
}

int CProfileList::WriteList() { return WriteJsonFile(ListPath(), doc_) == 1 ? 1 : -1; }

std::string CProfileList::EntryId(int index) const {
  const Json::Value* entries = Entries(doc_);
  if (entries == nullptr || index < 0) return std::string();
  const Json::Value* e = JsonElement(*entries, static_cast<Json::ArrayIndex>(index));
  return e == nullptr ? std::string() : JsonString(*e, kIdKey);
}

std::string CProfileList::GetProfileFilePath(int index) const {
  return ProfileFilePath(folder_, EntryId(index));
}

int CProfileList::GetProfileCount() const {
  const Json::Value doc = ReadJsonFile(ListPath());
  const Json::Value* entries = Entries(doc);
  return entries == nullptr ? 0 : static_cast<int>(entries->size());
}

bool CProfileList::HasName(const std::string& name) const {
  return FindNameIgnoringCase(names_, name) >= 0;
}

std::string CProfileList::NewId() const {
  return MakeUniqueTimestampId([this](const std::string& id) {
    for (int i = 0; i < static_cast<int>(names_.size()); ++i) {
      if (EntryId(i) == id) return true;
    }
    return ::access(ProfileFilePath(folder_, id).c_str(), F_OK) == 0;
  });
}

Json::Value CProfileList::ReadTemplate() const { return ReadJsonFile(templatePath_); }

int CProfileList::WriteProfileFile(Json::Value doc, const std::string& name,
                                   const std::string& id) const {
  const std::string path = ProfileFilePath(folder_, id);
  if (path.empty()) return -1;
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  doc[kNameKey] = ToUtf8(name);
  doc[kIdKey] = id;
  return WriteJsonFile(path, doc) == 1 ? 1 : -1;
}

int CProfileList::AppendEntry(const std::string& name, const std::string& id) {
  if (!doc_.isObject()) doc_ = Json::Value(Json::objectValue);
  JsonEnsureArray(doc_, kListKey).append(MakeEntry(name, id));
  names_.push_back(name);
  return WriteList();
}

int CProfileList::InitProfiles() {
  Json::Value doc = ReadJsonFile(ListPath());
  const Json::Value* entries = Entries(doc);
  int result = 1;
  if (entries == nullptr || entries->empty()) {
    if (!doc.isObject()) doc = Json::Value(Json::objectValue);
    doc[kListKey] = Json::Value(Json::arrayValue);
    selected_ = -1;
    TakeDocument(std::move(doc));
    const std::string id = NewId();
    doc_[kSelectKey] = 0;
    result = AppendEntry(kFirstProfileName, id);
    if (WriteProfileFile(ReadTemplate(), kFirstProfileName, id) != 1) result = -1;
  } else {
    TakeDocument(std::move(doc));
  }
  int stored = JsonInt(doc_, kSelectKey, 0);
  if (stored < 0 || stored >= static_cast<int>(names_.size())) stored = 0;
  const int selected = SelectProfile(stored);
  return result == 1 && selected == 1 ? 1 : -1;
}

int CProfileList::SelectProfile(int index) {
  Refresh();
  if (index < 0 || index >= static_cast<int>(names_.size())) return 0;
  selected_ = index;
  currentUuid_ = EntryId(index);
  doc_[kSelectKey] = index;
  return WriteList();
}

int CProfileList::AddProfile() {
  Refresh();
  if (names_.size() >= kMaxAddedProfiles) return 0;
  const std::string name = FirstFreeNumberedName(names_, kAddedNamePrefix);
  const std::string id = NewId();
  doc_[kSelectKey] = static_cast<int>(names_.size());
  const int listed = AppendEntry(name, id);
  const int written = WriteProfileFile(ReadTemplate(), name, id);
  return listed == 1 && written == 1 ? 1 : -1;
}

int CProfileList::DeleteProfile() {
  Refresh();
  if (selected_ < 0 || names_.size() < 2) return 0;
  const int removedIndex = selected_;
  const int next = removedIndex == 0 ? 0 : removedIndex - 1;
  const std::string removedId = EntryId(removedIndex);
  const std::string path = GetProfileFilePath(removedIndex);
  Json::Value removed;
  doc_[kListKey].removeIndex(static_cast<Json::ArrayIndex>(removedIndex), &removed);
  doc_[kSelectKey] = next;
  selected_ = next;
  TakeDocument(std::move(doc_));
  currentUuid_ = EntryId(next);
  const int result = WriteList();
  // A file another entry still names stays.
  bool shared = false;
  for (int i = 0; i < static_cast<int>(names_.size()); ++i) shared = shared || EntryId(i) == removedId;
  if (result == 1 && !path.empty() && !shared) std::remove(path.c_str());
  return result;
}

int CProfileList::CopyProfile() {
  Refresh();
  if (selected_ < 0) return 0;
  const std::string sourcePath = GetProfileFilePath(selected_);
  std::string name = names_[static_cast<size_t>(selected_)] + kCopySuffix;
  while (HasName(name)) name += kCopySuffix;
  const std::string id = NewId();
  const int listed = AppendEntry(name, id);
  const Json::Value source = sourcePath.empty() ? Json::Value() : ReadJsonFile(sourcePath);
  const int written = WriteProfileFile(source, name, id);
  return listed == 1 && written == 1 ? 1 : -1;
}

int CProfileList::ImportProfile(const std::string& path) {
  Json::Value doc = ReadJsonFile(NormalizePathSeparators(path));
  if (JsonMember(doc, kNameKey) == nullptr || JsonMember(doc, kIdKey) == nullptr) return 0;
  Refresh();
  std::string name = BaseName(path);
  for (int n = 1; HasName(name); ++n) name += "(" + std::to_string(n) + ")";
  const std::string id = NewId();
  const int listed = AppendEntry(name, id);
  const int written = WriteProfileFile(std::move(doc), name, id);
  return listed == 1 && written == 1 ? 1 : -1;
}

int CProfileList::ExportProfile(const std::string& path) {
  Refresh();
  const std::string source = GetProfileFilePath(selected_);
  if (source.empty() || path.empty()) return 0;
  const Json::Value doc = ReadJsonFile(source);
  if (doc.isNull()) return 0;
  return WriteJsonFile(NormalizePathSeparators(path), doc) == 1 ? 1 : -1;
}

int CProfileList::ResetProfile() {
  Refresh();
  const std::string path = GetProfileFilePath(selected_);
  if (path.empty()) return 0;
  Json::Value fresh = ReadTemplate();
  if (!fresh.isObject()) return 0;
  if (kind_ == kProfileKindHeadset) {
    const Json::Value old = ReadJsonFile(path);
    const Json::Value* devices = JsonArrayMember(old, "Device");
    const Json::Value* oldEntry = devices == nullptr ? nullptr : JsonElement(*devices, 0);
    for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
      const Json::Value* kept = oldEntry == nullptr ? nullptr : JsonMember(*oldEntry, key);
      if (kept != nullptr) ObjectElement(fresh, "Device", 0)[key] = *kept;
    }
  }
  return WriteProfileFile(std::move(fresh), names_[static_cast<size_t>(selected_)],
                          EntryId(selected_));
}

int CProfileList::RenameProfile(const std::string& name) {
  Refresh();
  if (names_.empty()) return kRenameTaken;
  if (IsBlankName(name)) return kRenameBlank;
  if (selected_ < 0 || FindNameIgnoringCase(names_, name, selected_) >= 0) return kRenameTaken;
  names_[static_cast<size_t>(selected_)] = name;
  ObjectElement(doc_, kListKey, static_cast<Json::ArrayIndex>(selected_))[kNameKey] = ToUtf8(name);
  if (WriteList() != 1) return -1;
  const std::string path = GetProfileFilePath(selected_);
  if (path.empty()) return kRenameDone;
  Json::Value doc = ReadJsonFile(path);
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  doc[kNameKey] = ToUtf8(name);
  return WriteJsonFile(path, doc) == 1 ? kRenameDone : -1;
}

}  // namespace talmi
