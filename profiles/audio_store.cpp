#include "profiles/audio_store.h"

#include "profiles/json_file.h"
#include "profiles/seeded_store.h"
#include "profiles/store_path.h"

namespace talmi {
namespace {

constexpr const char* kStylesKey = "AudioLightInfo";
constexpr const char* kSelectedKey = "nAudioStyle";
constexpr const char kColourLetters[] = {'R', 'G', 'B'};

std::string NameKey(int style) { return "nStyleName" + std::to_string(style + 1); }

std::string ColourKey(int style, int channel) {
  return std::string("nStyle") + kColourLetters[channel] + std::to_string(style);
}

const Json::Value* DeviceSection(const Json::Value& doc) { return JsonMember(doc, "Device"); }

}  // namespace

void CAudioStore::SetFolders(const std::string& userFolder, const std::string& defaultFolder) {
  userPath_ = FolderWithSeparator(userFolder) + kAudioStoreName;
  defaultPath_ = FolderWithSeparator(defaultFolder) + kAudioStoreName;
}

void CAudioStore::LoadAudioStore() {
  const Json::Value doc = OpenSeededStore(defaultPath_, userPath_);
  const Json::Value* device = DeviceSection(doc);
  cache_ = device == nullptr ? Json::Value() : *device;
}

AudioStyleRecord CAudioStore::ReadAudioStyles() const {
  AudioStyleRecord r;
  const Json::Value* styles = JsonObjectMember(cache_, kStylesKey);
  if (styles == nullptr) return r;
  r.selected = JsonByte(*styles, kSelectedKey);
  for (int s = 0; s < kAudioStyleCount; ++s) {
    r.names[static_cast<size_t>(s)] = JsonString(*styles, NameKey(s).c_str());
    for (int c = 0; c < 3; ++c) {
      r.colours[static_cast<size_t>(3 * s + c)] = JsonByte(*styles, ColourKey(s, c).c_str());
    }
  }
  return r;
}

void CAudioStore::WriteAudioStyles(const AudioStyleRecord& record) {
  Json::Value styles(Json::objectValue);
  styles[kSelectedKey] = record.selected;
  for (int s = 0; s < kAudioStyleCount; ++s) {
    styles[NameKey(s)] = ToUtf8(record.names[static_cast<size_t>(s)]);
    for (int c = 0; c < 3; ++c) {
      styles[ColourKey(s, c)] = record.colours[static_cast<size_t>(3 * s + c)];
    }
  }
  if (!cache_.isObject()) cache_ = Json::Value(Json::objectValue);
  cache_[kStylesKey] = styles;
}

int CAudioStore::SaveAudioStore() {
  Json::Value doc = ReadJsonFile(userPath_);
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  doc["Device"] = cache_;
  return WriteJsonFile(userPath_, doc) == 1 ? 1 : -1;
}

int CAudioStore::ResetAudioStore() {
  const Json::Value shipped = ReadJsonFile(defaultPath_);
  if (shipped.isNull()) return 0;
  const Json::Value* device = DeviceSection(shipped);
  cache_ = device == nullptr ? Json::Value() : *device;
  return WriteJsonFile(userPath_, shipped) == 1 ? 1 : -1;
}

}  // namespace talmi
