#include "profiles/hs6533_profiledata.h"

#include <algorithm>

#include "profiles/json_file.h"

namespace talmi {
namespace {

constexpr const char* kSystemSetStages = "SystemSetStages";
constexpr const char* kEqValues = "EQHzValueInfo";
constexpr const char* kCustomNames = "CustomEQNameInfo";
constexpr const char* kCustomValues = "CustomEQHzValueInfo";
constexpr const char* kValue = "value";
constexpr const char* kName = "Name";

struct StageKey {
  const char* key;
  int32_t HeadsetStages::*field;
};
constexpr StageKey kStageKeys[] = {
    {"MagicEnable", &HeadsetStages::magicEnable},
    {"MagicType", &HeadsetStages::magicType},
    {"EqType", &HeadsetStages::eqType},
    {"CustomEqSeletIndex", &HeadsetStages::customEqSelectIndex},
    {"MicInSelect", &HeadsetStages::micInSelect},
    {"MicInValue", &HeadsetStages::micInValue},
    {"MicMoniterSelect", &HeadsetStages::micMonitorSelect},
    {"MicMoniterValue", &HeadsetStages::micMonitorValue},
};

Json::Value BandValue(int32_t v) {
  Json::Value b(Json::objectValue);
  b[kValue] = v;
  return b;
}

// Ten bands of bank[slot]; a missing slot or band is created as 0.
std::vector<int32_t> ReadBands(Json::Value& bank, Json::ArrayIndex slot) {
  Json::Value& bands = JsonEnsureElement(bank, slot);
  if (!bands.isArray()) bands = Json::Value(Json::arrayValue);
  std::vector<int32_t> out;
  out.reserve(kEqBandCount);
  for (int i = 0; i < kEqBandCount; ++i) {
    Json::Value& b = JsonEnsureElement(bands, static_cast<Json::ArrayIndex>(i));
    int32_t v = 0;
    if (!b.isObject() || !JsonAsInt(JsonMember(b, kValue), v)) {
      b = BandValue(0);
      v = 0;
    }
    out.push_back(v);
  }
  return out;
}

void WriteBands(Json::Value& bank, Json::ArrayIndex slot, const std::vector<int32_t>& values) {
  Json::Value bands(Json::arrayValue);
  for (int i = 0; i < kEqBandCount; ++i) {
    bands.append(BandValue(static_cast<size_t>(i) < values.size() ? values[i] : 0));
  }
  JsonEnsureElement(bank, slot) = std::move(bands);
}

}  // namespace

HeadsetStages CHs6533Profiledata::GetSystemSetStages() {
  HeadsetStages s;
  if (const Json::Value* o = JsonObjectMember(DeviceEntry(), kSystemSetStages)) {
    for (const StageKey& k : kStageKeys) s.*k.field = JsonInt(*o, k.key);
  }
  stages_ = s;
  return s;
}

void CHs6533Profiledata::SetSystemSetStages(const HeadsetStages& stages) {
  Json::Value& o = JsonEnsureObject(MutableEntry(), kSystemSetStages);
  for (const StageKey& k : kStageKeys) o[k.key] = stages.*k.field;
  stages_ = stages;
}

std::vector<int32_t> CHs6533Profiledata::GetEqValues(int type) {
  int slot = EqSlotForType(type);
  if (slot < 0) return {};
  return ReadBands(JsonEnsureArray(MutableEntry(), kEqValues), static_cast<Json::ArrayIndex>(slot));
}

void CHs6533Profiledata::SetEqValues(int type, const std::vector<int32_t>& values) {
  int slot = EqSlotForType(type);
  if (slot < 0) return;
  WriteBands(JsonEnsureArray(MutableEntry(), kEqValues), static_cast<Json::ArrayIndex>(slot),
             values);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() {
  std::vector<std::string> names;
  const Json::Value* list = JsonArrayMember(DeviceEntry(), kCustomNames);
  if (list == nullptr) return names;
  Json::ArrayIndex n = std::min<Json::ArrayIndex>(list->size(), kMaxCustomEqPresets);
  for (Json::ArrayIndex i = 0; i < n; ++i) names.push_back(JsonString((*list)[i], kName));
  return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
  Json::Value list(Json::arrayValue);
  size_t n = std::min<size_t>(names.size(), kMaxCustomEqPresets);
  for (size_t i = 0; i < n; ++i) {
    Json::Value e(Json::objectValue);
    e[kName] = ToUtf8(names[i]);
    list.append(std::move(e));
  }
  JsonSet(MutableEntry(), kCustomNames, std::move(list));
}

std::vector<int32_t> CHs6533Profiledata::GetCustomEqValues(int n) {
  if (n < 0 || n >= kMaxCustomEqPresets) return std::vector<int32_t>(kEqBandCount, 0);
  return ReadBands(JsonEnsureArray(MutableEntry(), kCustomValues), static_cast<Json::ArrayIndex>(n));
}

void CHs6533Profiledata::SetCustomEqValues(int n, const std::vector<int32_t>& values) {
  if (n < 0 || n >= kMaxCustomEqPresets) return;
  WriteBands(JsonEnsureArray(MutableEntry(), kCustomValues), static_cast<Json::ArrayIndex>(n),
             values);
}

void CHs6533Profiledata::RemoveCustomEqPreset(int n) {
  if (n < 0) return;
  Json::Value removed;
  for (const char* key : {kCustomNames, kCustomValues}) {
    const Json::Value* list = JsonArrayMember(DeviceEntry(), key);
    if (list == nullptr || static_cast<Json::ArrayIndex>(n) >= list->size()) continue;
    JsonEnsureArray(MutableEntry(), key).removeIndex(static_cast<Json::ArrayIndex>(n), &removed);
  }
}

}  // namespace talmi
