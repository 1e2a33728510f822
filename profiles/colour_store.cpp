#include "profiles/colour_store.h"

#include <cstdio>

#include "profiles/json_file.h"
#include "profiles/seeded_store.h"
#include "profiles/store_path.h"

namespace talmi {
namespace {

constexpr const char* kRootKey = "coloroptioninfo";
constexpr const char* kPresetsKey = "palletDialogcoloroption";
constexpr const char* kPresetSelectKey = "palletDialogcoloroption_selectitem";
constexpr const char* kCollectedKey = "palletDialogcollectcoloroption";
constexpr const char* kCollectSelectKey = "palletDialogcollectcoloroption_selectitem";
constexpr const char* kColourKey = "color";
constexpr const char* kInUseKey = "UserData";

bool ParseDigits(std::string_view s, unsigned base, uint32_t& out) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  for (char c : s) {
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      d = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      d = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    v = v * base + d;
  }
  if (v > UINT32_MAX) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

uint32_t ColourOf(const Json::Value& e) {
  uint32_t argb = 0;
  const Json::Value* c = JsonMember(e, kColourKey);
  if (c != nullptr && c->isString() && ParseStoredColour(c->asString(), argb)) return argb;
  return 0;
}

}  // namespace

std::string FormatStoredColour(uint32_t argb) {
  char text[10];
  std::snprintf(text, sizeof text, "#%08X", argb);
  return text;
}

bool ParseStoredColour(std::string_view text, uint32_t& argb) {
  if (text.size() > 1 && text.front() == '#') {
    text.remove_prefix(1);
    if (text.size() != 6 && text.size() != 8) return false;
    if (!ParseDigits(text, 16, argb)) return false;
    if (text.size() == 6) argb |= 0xFF000000u;
    return true;
  }
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return text.size() <= 10 && ParseDigits(text.substr(2), 16, argb);
  }
  return ParseDigits(text, 10, argb);
}

void CColourStore::SetFolders(const std::string& userFolder, const std::string& defaultFolder) {
  userPath_ = FolderWithSeparator(userFolder) + kColourStoreName;
  defaultPath_ = FolderWithSeparator(defaultFolder) + kColourStoreName;
}

ColourStoreState CColourStore::Load() const {
  ColourStoreState state;
  const Json::Value doc = OpenSeededStore(defaultPath_, userPath_);
  const Json::Value* root = JsonObjectMember(doc, kRootKey);
  if (root == nullptr) return state;
  if (const Json::Value* presets = JsonArrayMember(*root, kPresetsKey)) {
    for (int i = 0; i < kPresetColourCount; ++i) {
      const Json::Value* e = JsonElement(*presets, static_cast<Json::ArrayIndex>(i));
      if (e != nullptr) state.presets[static_cast<size_t>(i)] = ColourOf(*e);
    }
  }
  state.presetSelect = JsonInt(*root, kPresetSelectKey);
  if (const Json::Value* collected = JsonArrayMember(*root, kCollectedKey)) {
    for (const Json::Value& e : *collected) {
      state.collected.push_back({ColourOf(e), JsonString(e, kInUseKey) == "1"});
    }
  }
  state.collectSelect = JsonInt(*root, kCollectSelectKey);
  return state;
}

int CColourStore::Save(const ColourStoreState& state) const {
  Json::Value doc = ReadJsonFile(userPath_);
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  Json::Value& root = JsonEnsureObject(doc, kRootKey);
  Json::Value presets(Json::arrayValue);
  for (uint32_t c : state.presets) {
    Json::Value e(Json::objectValue);
    e[kColourKey] = FormatStoredColour(c);
    presets.append(e);
  }
  root[kPresetsKey] = presets;
  root[kPresetSelectKey] = state.presetSelect;
  Json::Value collected(Json::arrayValue);
  for (const CollectedColour& c : state.collected) {
    Json::Value e(Json::objectValue);
    e[kColourKey] = FormatStoredColour(c.colour);
    e[kInUseKey] = c.inUse ? "1" : "0";
    collected.append(e);
  }
  root[kCollectedKey] = collected;
  root[kCollectSelectKey] = state.collectSelect;
  return WriteJsonFile(userPath_, doc) == 1 ? 1 : -1;
}

}  // namespace talmi
