#include "profiles/basic_profiledata.h"

#include <algorithm>

#include "platform/atomic_file.h"
#include "profiles/json_file.h"
#include "profiles/profile_folders.h"

namespace talmi {
namespace {

constexpr const char* kDevice = "Device";
constexpr const char* kLightInfo = "LightInfo";
constexpr const char* kAudioLightInfo = "AudioLightInfo";
constexpr const char* kLightList = "LightList";
constexpr const char* kKeyList = "KeyList";
constexpr const char* kAssignment = "Assignment";
constexpr const char* kDefaultAssignment = "DefaultAssignment";
constexpr const char* kGuid = "Guid";
constexpr const char* kEffectList = "LEDEffectList";

// "Device"[index] of a document when it is an object, else null.
Json::Value EntryOf(const Json::Value& doc, unsigned index) {
  const Json::Value* devices = JsonArrayMember(doc, kDevice);
  if (devices == nullptr) return Json::Value();
  const Json::Value* entry = JsonElement(*devices, index);
  if (entry == nullptr || !entry->isObject()) return Json::Value();
  return *entry;
}

Json::ArrayIndex BoundedSize(const Json::Value& arr, Json::ArrayIndex limit) {
  return std::min(arr.size(), limit);
}

}  // namespace

CBasicProfiledata::CBasicProfiledata() = default;
CBasicProfiledata::~CBasicProfiledata() = default;

void CBasicProfiledata::SetProfilePath(const std::string& path) {
  if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const std::string& path) {
  if (!path.empty()) defaultProfilePath_ = path;
}

void CBasicProfiledata::SetLightLibraryPath(const std::string& path) {
  if (!path.empty()) lightLibraryPath_ = path;
}

int CBasicProfiledata::SelectProfileFile(const std::string& folder, const std::string& id) {
  std::string path = ProfileFilePath(folder, id);
  profilePath_ = path;
  return path.empty() ? -1 : 1;
}

void CBasicProfiledata::SetEntryIndex(unsigned index) {
  if (index <= kMaxEntryIndex) entryIndex_ = index;
}

// A profile that is missing, broken or lacks its entry is repaired from the
// default profile the first time it is loaded. When the template has no
// entry either, the file is left as it is: there is nothing to repair with.
Json::Value CBasicProfiledata::LoadEntry(const std::string& path) {
  if (path.empty()) return Json::Value();
  Json::Value doc = ReadJsonFile(path);
  Json::Value entry = EntryOf(doc, entryIndex_);
  if (!entry.isNull()) return entry;

  Json::Value templ = EntryOf(ReadJsonFile(defaultProfilePath_), entryIndex_);
  if (templ.isNull()) return Json::Value();
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  JsonEnsureElement(JsonEnsureArray(doc, kDevice), entryIndex_) = templ;
  (void)WriteDocument(doc, path);
  return templ;
}

Json::Value CBasicProfiledata::LoadDeviceEntry(const std::string& path) {
  entry_ = LoadEntry(path);
  return entry_;
}

Json::Value CBasicProfiledata::LoadOtherDeviceEntry(const std::string& path) {
  otherEntry_ = LoadEntry(path);
  return otherEntry_;
}

int CBasicProfiledata::Save() { return SaveEntryTo(entry_, profilePath_); }

int CBasicProfiledata::SaveEntryTo(const Json::Value& value, const std::string& path) {
  if (path.empty()) return 0;
  // Other top-level keys ("profilename", "profileUUID") are kept.
  Json::Value doc = ReadJsonFile(path);
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  JsonEnsureElement(JsonEnsureArray(doc, kDevice), entryIndex_) = value;
  return WriteDocument(doc, path);
}

int CBasicProfiledata::SaveOtherTo(const std::string& path) { return SaveEntryTo(otherEntry_, path); }

int CBasicProfiledata::WriteDocument(const Json::Value& value, const std::string& path) {
  return WriteJsonFile(path, value);
}

Json::Value CBasicProfiledata::ReadLightLibrary(const std::string& path) {
  lightLibrary_ = path.empty() ? Json::Value() : ReadJsonFile(path);
  lightLibraryFolder_ = FolderOfPath(path);
  return lightLibrary_;
}

std::vector<LightEffectStep> CBasicProfiledata::GetLightEffectSteps() {
  effectSteps_.clear();
  if (lightLibrary_.isNull() || lightLibraryFolder_.empty()) return effectSteps_;
  const Json::Value* lists = JsonArrayMember(lightLibrary_, kLightInfo);
  const Json::Value* list = lists ? JsonElement(*lists, entryIndex_) : nullptr;
  const Json::Value* item = list ? JsonElement(*list, lightInfo_.selectItem) : nullptr;
  if (item == nullptr) return effectSteps_;
  // The id names a file: refuse anything that could leave the folder.
  std::string guid = JsonString(*item, kGuid);
  if (!IsSafeFileIdentifier(guid)) return effectSteps_;

  Json::Value effect = ReadJsonFile(lightLibraryFolder_ + guid + kLightEffectExtension);
  const Json::Value* steps = JsonArrayMember(effect, kEffectList);
  if (steps == nullptr) return effectSteps_;
  Json::ArrayIndex n = BoundedSize(*steps, kMaxLightEffectSteps);
  effectSteps_.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    const Json::Value& s = (*steps)[i];
    LightEffectStep step;
    step.mode = JsonByte(s, "LEDREGMode");
    step.brightness = JsonByte(s, "LEDBrightness");
    step.speed = JsonByte(s, "LEDSpeed");
    step.direction = JsonByte(s, "LEDDirection");
    step.multiColor = JsonByte(s, "LEDMultiColor");
    step.red = JsonByte(s, "red");
    step.green = JsonByte(s, "green");
    step.blue = JsonByte(s, "blue");
    step.time = JsonInt(s, "Time");
    step.cycle = JsonInt(s, "Cyle");
    effectSteps_.push_back(step);
  }
  return effectSteps_;
}

LightInfo CBasicProfiledata::GetLightInfo() {
  const Json::Value* li = JsonObjectMember(entry_, kLightInfo);
  if (li == nullptr) {
    lightInfo_ = zeroLightInfo_;
    return lightInfo_;
  }
  LightInfo info;
  info.selectItem = JsonByte(*li, "SelectItem");
  info.light = JsonByte(*li, "Light");
  info.speed = JsonByte(*li, "Speed");
  info.fx = JsonByte(*li, "Fx");
  info.multiColor = JsonBool(*li, "MultiColor") ? 1 : 0;
  info.red = JsonByte(*li, "Red");
  info.green = JsonByte(*li, "Green");
  info.blue = JsonByte(*li, "Blue");
  info.zzccLedMode = JsonByte(*li, "ZZCCLedMode");
  info.customGroup = JsonByte(*li, "CustomGroup");
  info.oldLedmode = JsonByte(*li, "OldLedmode");
  lightInfo_ = info;
  return info;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
  Json::Value& li = JsonEnsureObject(entry_, kLightInfo);
  li["SelectItem"] = info.selectItem;
  li["Light"] = info.light;
  li["Speed"] = info.speed;
  li["Fx"] = info.fx;
  li["MultiColor"] = info.multiColor ? 1 : 0;
  li["Red"] = info.red;
  li["Green"] = info.green;
  li["Blue"] = info.blue;
  li["ZZCCLedMode"] = info.zzccLedMode;
  li["CustomGroup"] = info.customGroup;
  li["OldLedmode"] = info.oldLedmode;
  lightInfo_ = info;
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
  AudioLightInfo info;
  if (const Json::Value* a = JsonObjectMember(entry_, kAudioLightInfo)) {
    info.audioMode = JsonByte(*a, "AudioMode");
    info.bkRed = JsonByte(*a, "BkColorR");
    info.bkGreen = JsonByte(*a, "BkColorG");
    info.bkBlue = JsonByte(*a, "BkColorB");
    info.fgRed = JsonByte(*a, "FgColorR");
    info.fgGreen = JsonByte(*a, "FgColorG");
    info.fgBlue = JsonByte(*a, "FgColorB");
    info.sevenColorFlags = JsonBool(*a, "7ColorFlags") ? 1 : 0;
    info.colorTypeFlags = JsonBool(*a, "ColorTypeFlags") ? 1 : 0;
  }
  audioLightInfo_ = info;
  return info;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
  Json::Value& a = JsonEnsureObject(entry_, kAudioLightInfo);
  a["AudioMode"] = info.audioMode;
  a["BkColorR"] = info.bkRed;
  a["BkColorG"] = info.bkGreen;
  a["BkColorB"] = info.bkBlue;
  a["FgColorR"] = info.fgRed;
  a["FgColorG"] = info.fgGreen;
  a["FgColorB"] = info.fgBlue;
  a["7ColorFlags"] = info.sevenColorFlags ? 1 : 0;
  a["ColorTypeFlags"] = info.colorTypeFlags ? 1 : 0;
  audioLightInfo_ = info;
}

std::vector<LightListRecord> CBasicProfiledata::GetLightList() {
  lightList_.clear();
  const Json::Value* list = JsonArrayMember(entry_, kLightList);
  if (list == nullptr) return lightList_;
  Json::ArrayIndex n = BoundedSize(*list, kMaxLightListEntries);
  lightList_.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    const Json::Value& e = (*list)[i];
    LightListRecord r;
    if (e.isObject()) {
      r.mode = JsonByte(e, "LEDREGMode");
      r.brightness = JsonByte(e, "LEDBrightness");
      r.speed = JsonByte(e, "LEDSpeed");
      r.direction = JsonBool(e, "LEDDirection") ? 1 : 0;
      r.multiColor = JsonBool(e, "LEDMultiColor") ? 1 : 0;
      r.red = JsonByte(e, "red");
      r.green = JsonByte(e, "green");
      r.blue = JsonByte(e, "blue");
      r.present = 1;
    }
    lightList_.push_back(r);
  }
  return lightList_;
}

std::vector<KeyAssignment> CBasicProfiledata::ReadKeyList(const Json::Value& entry) {
  std::vector<KeyAssignment> out;
  const Json::Value* list = JsonArrayMember(entry, kKeyList);
  if (list == nullptr) return out;
  Json::ArrayIndex n = BoundedSize(*list, kMaxKeyListEntries);
  out.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    const Json::Value& e = (*list)[i];
    KeyAssignment k;
    k.index = static_cast<uint16_t>(i);
    k.defaultIndex = static_cast<uint16_t>(i);
    k.current = UnpackAssignmentCode(JsonInt(e, kAssignment));
    k.defaultCode = UnpackAssignmentCode(JsonInt(e, kDefaultAssignment));
    out.push_back(k);
  }
  return out;
}

// Only "Assignment" is written; "DefaultAssignment" comes from the template.
void CBasicProfiledata::WriteKeyList(Json::Value& entry, const std::vector<KeyAssignment>& list) {
  Json::Value& keys = JsonEnsureArray(entry, kKeyList);
  size_t n = std::min<size_t>(list.size(), kMaxKeyListEntries);
  for (size_t i = 0; i < n; ++i) {
    Json::Value& e = JsonEnsureElement(keys, static_cast<Json::ArrayIndex>(i));
    JsonSet(e, kAssignment, PackAssignmentCode(list[i].current));
  }
}

std::vector<KeyAssignment> CBasicProfiledata::GetKeyList() {
  keyList_ = ReadKeyList(entry_);
  return keyList_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyAssignment>& list) {
  WriteKeyList(entry_, list);
  keyList_ = list;
}

std::vector<KeyAssignment> CBasicProfiledata::GetOtherKeyList() { return ReadKeyList(otherEntry_); }

void CBasicProfiledata::SetOtherKeyList(const std::vector<KeyAssignment>& list) {
  WriteKeyList(otherEntry_, list);
}

}  // namespace talmi
