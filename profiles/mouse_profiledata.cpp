#include "profiles/mouse_profiledata.h"

#include <algorithm>

#include "profiles/json_file.h"

namespace talmi {
namespace {

constexpr const char* kDpiStages = "DPIStages";
constexpr const char* kStageActive = "StageActive";
constexpr const char* kStageDpis = "StageDPIs";
constexpr const char* kSystemStages = "SystemStages";
constexpr const char* kReportStages = "ReportStages";
constexpr const char* kCorrectInfo = "CorrectInfo";

uint32_t Pack(uint16_t high, uint16_t low) { return (uint32_t{high} << 16) | low; }

DpiStageRecord ReadStage(const Json::Value& v) {
  DpiStageRecord r;
  r.active = JsonByte(v, kStageActive);
  r.xy = JsonByte(v, "StageXY");
  r.dpiX = JsonU16(v, "StageDPIX");
  r.dpiY = JsonU16(v, "StageDPIY");
  r.red = JsonByte(v, "StageColorR");
  r.green = JsonByte(v, "StageColorG");
  r.blue = JsonByte(v, "StageColorB");
  return r;
}

Json::Value StageValue(const DpiStageRecord& r) {
  Json::Value v(Json::objectValue);
  v[kStageActive] = r.active;
  v["StageXY"] = r.xy;
  v["StageDPIX"] = r.dpiX;
  v["StageDPIY"] = r.dpiY;
  v["StageColorR"] = r.red;
  v["StageColorG"] = r.green;
  v["StageColorB"] = r.blue;
  return v;
}

}  // namespace

std::vector<DpiStageRecord> CMouseProfiledata::GetDpiStages() {
  const Json::Value* dpi = JsonObjectMember(DeviceEntry(), kDpiStages);
  activeStage_ = dpi ? JsonInt(*dpi, kStageActive) : 0;
  const Json::Value* stages = dpi ? JsonArrayMember(*dpi, kStageDpis) : nullptr;
  if (stages == nullptr) return dpiStages_;
  Json::ArrayIndex n = std::min(stages->size(), kMaxDpiStages);
  for (Json::ArrayIndex j = 0; j < n; ++j) {
    DpiStageRecord r = ReadStage((*stages)[j]);
    if (j < dpiStages_.size()) {
      dpiStages_[j] = r;
    } else {
      dpiStages_.push_back(r);
    }
  }
  return dpiStages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStageRecord>& list) {
  Json::Value& dpi = JsonEnsureObject(MutableEntry(), kDpiStages);
  Json::Value stages(Json::arrayValue);
  size_t n = std::min<size_t>(list.size(), kMaxDpiStages);
  for (size_t j = 0; j < n; ++j) stages.append(StageValue(list[j]));
  dpi[kStageDpis] = std::move(stages);
  dpiStages_.assign(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(n));
}

void CMouseProfiledata::SetActiveDpiStage(int index) {
  JsonEnsureObject(MutableEntry(), kDpiStages)[kStageActive] = index;
  activeStage_ = index;
}

SystemWords CMouseProfiledata::GetMouseSystemStages() {
  SystemWords w;
  if (const Json::Value* s = JsonObjectMember(DeviceEntry(), kSystemStages)) {
    w.w0 = Pack(JsonU16(*s, "MouseSpeed"), JsonU16(*s, "DoubleClickTime"));
    w.w1 = Pack(JsonU16(*s, "ScorllPage"), JsonU16(*s, "PointerPrecision"));
    w.w2 = JsonU16(*s, "WheelScorlllinse");
  }
  if (const Json::Value* r = JsonObjectMember(DeviceEntry(), kReportStages)) {
    w.w2 = Pack(JsonU16(*r, kStageActive), static_cast<uint16_t>(w.w2 & 0xFFFF));
  }
  systemStages_ = w;
  return w;
}

void CMouseProfiledata::SetMouseSystemStages(uint32_t w0, uint32_t w1, uint32_t w2) {
  Json::Value& s = JsonEnsureObject(MutableEntry(), kSystemStages);
  s["DoubleClickTime"] = w0 & 0xFFFF;
  s["MouseSpeed"] = w0 >> 16;
  s["PointerPrecision"] = w1 & 0xFFFF;
  s["ScorllPage"] = w1 >> 16;
  s["WheelScorlllinse"] = w2 & 0xFFFF;
  JsonEnsureObject(MutableEntry(), kReportStages)[kStageActive] = w2 >> 16;
  systemStages_ = SystemWords{w0, w1, w2};
}

std::vector<CorrectInfoEntry> CMouseProfiledata::GetCorrectInfo() {
  correctInfo_.clear();
  const Json::Value* list = JsonArrayMember(DeviceEntry(), kCorrectInfo);
  if (list == nullptr) return correctInfo_;
  Json::ArrayIndex n = std::min(list->size(), kMaxCorrectEntries);
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    const Json::Value& e = (*list)[i];
    CorrectInfoEntry c;
    c.pixThresh = JsonByte(e, "CorrectPixThresh");
    c.minSq = JsonByte(e, "CorrectMinSq");
    c.select = JsonByte(e, "CorrectSelect");
    c.name = JsonString(e, "CorrectName");
    correctInfo_.push_back(c);
  }
  return correctInfo_;
}

}  // namespace talmi
