#pragma once
// Keyboard part of a profile: system settings and custom colour groups.
#include <vector>

#include "profiles/basic_profiledata.h"

namespace talmi {

// Largest custom colour group number and lights per group read or created.
inline constexpr int kMaxCustomLightGroups = 16;
inline constexpr int kMaxCustomLights = 512;

class CKeyboardProfiledata : public CBasicProfiledata {
 public:
  // "SystemStages" packed as RepeatDelay << 16 | Repeat; PollingRate << 16 |
  // Key6Flag; WinFlag << 16 | WFlag. Missing reads as three zero words.
  SystemWords GetSystemStages();
  void SetSystemStages(uint32_t w0, uint32_t w1, uint32_t w2);

  // Group's lights; missing lights are created as zeros in the tree. An
  // out-of-range group or count gives an empty list and changes nothing.
  std::vector<CustomLightRecord> GetCustomLight(int group, int count);
  void SetCustomLight(int group, const std::vector<CustomLightRecord>& list);
  int GetCustomLightGroup();
  void SetCustomLightGroup(int group);

  const SystemWords& CachedSystemStages() const { return systemStages_; }
  const std::vector<CustomLightRecord>& CachedCustomLight() const { return customLight_; }

 private:
  SystemWords systemStages_;
  std::vector<CustomLightRecord> customLight_;
  int customGroup_ = 0;
};

}  // namespace talmi
