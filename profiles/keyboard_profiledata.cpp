#include "profiles/keyboard_profiledata.h"

#include "profiles/json_file.h"

namespace talmi {
namespace {

constexpr const char* kSystemStages = "SystemStages";
constexpr const char* kCustomLightMode = "CustomLightMode";
constexpr const char* kLightColorInfo = "LightColorInfo";
constexpr const char* kGroupIndex = "CustomLightModeGroupIndex";

uint32_t Pack(uint16_t high, uint16_t low) { return (uint32_t{high} << 16) | low; }

Json::Value ZeroLight() {
  Json::Value v(Json::objectValue);
  v["Red"] = 0;
  v["Green"] = 0;
  v["Blue"] = 0;
  v["Alpha"] = 0;
  return v;
}

CustomLightRecord ReadLight(const Json::Value& v) {
  CustomLightRecord r;
  r.red = JsonByte(v, "Red");
  r.green = JsonByte(v, "Green");
  r.blue = JsonByte(v, "Blue");
  r.alpha = JsonByte(v, "Alpha");
  r.isBright = JsonByte(v, "IsBright");
  return r;
}

}  // namespace

SystemWords CKeyboardProfiledata::GetSystemStages() {
  SystemWords w;
  if (const Json::Value* s = JsonObjectMember(DeviceEntry(), kSystemStages)) {
    w.w0 = Pack(JsonU16(*s, "RepeatDelay"), JsonU16(*s, "Repeat"));
    w.w1 = Pack(JsonU16(*s, "PollingRate"), JsonU16(*s, "Key6Flag"));
    w.w2 = Pack(JsonU16(*s, "WinFlag"), JsonU16(*s, "WFlag"));
  }
  systemStages_ = w;
  return w;
}

void CKeyboardProfiledata::SetSystemStages(uint32_t w0, uint32_t w1, uint32_t w2) {
  Json::Value& s = JsonEnsureObject(MutableEntry(), kSystemStages);
  s["Repeat"] = w0 & 0xFFFF;
  s["RepeatDelay"] = w0 >> 16;
  s["Key6Flag"] = w1 & 0xFFFF;
  s["PollingRate"] = w1 >> 16;
  s["WFlag"] = w2 & 0xFFFF;
  s["WinFlag"] = w2 >> 16;
  systemStages_ = SystemWords{w0, w1, w2};
}

std::vector<CustomLightRecord> CKeyboardProfiledata::GetCustomLight(int group, int count) {
  customLight_.clear();
  if (group < 0 || group >= kMaxCustomLightGroups || count < 0 || count > kMaxCustomLights) {
    return customLight_;
  }
  Json::Value& groups =
      JsonEnsureArray(JsonEnsureObject(MutableEntry(), kCustomLightMode), kLightColorInfo);
  Json::Value& lights = JsonEnsureElement(groups, static_cast<Json::ArrayIndex>(group));
  if (!lights.isArray()) lights = Json::Value(Json::arrayValue);
  customLight_.reserve(static_cast<size_t>(count));
  for (int j = 0; j < count; ++j) {
    Json::Value& e = JsonEnsureElement(lights, static_cast<Json::ArrayIndex>(j));
    if (!e.isObject()) e = ZeroLight();
    customLight_.push_back(ReadLight(e));
  }
  return customLight_;
}

void CKeyboardProfiledata::SetCustomLight(int group, const std::vector<CustomLightRecord>& list) {
  if (group < 0 || group >= kMaxCustomLightGroups) return;
  Json::Value& groups =
      JsonEnsureArray(JsonEnsureObject(MutableEntry(), kCustomLightMode), kLightColorInfo);
  Json::Value& lights = JsonEnsureElement(groups, static_cast<Json::ArrayIndex>(group));
  if (!lights.isArray()) lights = Json::Value(Json::arrayValue);
  size_t n = std::min<size_t>(list.size(), kMaxCustomLights);
  for (size_t j = 0; j < n; ++j) {
    Json::Value& e = JsonEnsureElement(lights, static_cast<Json::ArrayIndex>(j));
    if (!e.isObject()) e = Json::Value(Json::objectValue);
    e["Red"] = list[j].red;
    e["Green"] = list[j].green;
    e["Blue"] = list[j].blue;
    e["Alpha"] = list[j].alpha;
    e["IsBright"] = list[j].isBright;
  }
  customLight_.assign(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(n));
}

int CKeyboardProfiledata::GetCustomLightGroup() {
  const Json::Value* mode = JsonObjectMember(DeviceEntry(), kCustomLightMode);
  customGroup_ = mode ? JsonInt(*mode, kGroupIndex) : 0;
  return customGroup_;
}

void CKeyboardProfiledata::SetCustomLightGroup(int group) {
  JsonEnsureObject(MutableEntry(), kCustomLightMode)[kGroupIndex] = group;
  customGroup_ = group;
}

}  // namespace talmi
