#pragma once
// Mouse part of a profile: DPI stages, system settings, sensor correction.
#include <vector>

#include "profiles/basic_profiledata.h"

namespace talmi {

inline constexpr Json::ArrayIndex kMaxDpiStages = 16;
inline constexpr Json::ArrayIndex kMaxCorrectEntries = 64;

class CMouseProfiledata : public CBasicProfiledata {
 public:
  // Reads "DPIStages" and merges it into the cached list: stage j of the
  // file replaces cached stage j or is appended; cached stages beyond the
  // file's count stay. Also caches "StageActive".
  std::vector<DpiStageRecord> GetDpiStages();
  void SetDpiStages(const std::vector<DpiStageRecord>& list);
  void SetActiveDpiStage(int index);
  int GetActiveDpiStage() const { return activeStage_; }

  // Word 0: MouseSpeed << 16 | DoubleClickTime; word 1: ScorllPage << 16 |
  // PointerPrecision; word 2: ReportStages.StageActive << 16 |
  // WheelScorlllinse.
  SystemWords GetMouseSystemStages();
  void SetMouseSystemStages(uint32_t w0, uint32_t w1, uint32_t w2);

  std::vector<CorrectInfoEntry> GetCorrectInfo();

  const std::vector<DpiStageRecord>& CachedDpiStages() const { return dpiStages_; }
  const SystemWords& CachedSystemStages() const { return systemStages_; }
  const std::vector<CorrectInfoEntry>& CachedCorrectInfo() const { return correctInfo_; }

 private:
  std::vector<DpiStageRecord> dpiStages_;
  int activeStage_ = 0;
  SystemWords systemStages_;
  std::vector<CorrectInfoEntry> correctInfo_;
};

}  // namespace talmi
