#pragma once
// Headset part of a profile: sound settings, preset EQ slots and custom EQ
// presets.
#include <string>
#include <vector>

#include "profiles/basic_profiledata.h"

namespace talmi {

inline constexpr int kCustomEqType = 13;
// Bound on custom presets read or written (the editor keeps at most 20).
inline constexpr int kMaxCustomEqPresets = 64;
inline constexpr Json::ArrayIndex kMaxEqSlot = 12;

// EQ slot of an EQ type: 1 for type 0 and above 13 (and below 0), the type
// itself for 1-12, -1 (none) for the custom type 13.
constexpr int EqSlotForType(int type) {
  if (type == kCustomEqType) return -1;
  if (type >= 1 && type <= 12) return type;
  return 1;
}

class CHs6533Profiledata : public CBasicProfiledata {
 public:
  // "SystemSetStages" in key order; missing reads as eight zeros.
  HeadsetStages GetSystemSetStages();
  void SetSystemSetStages(const HeadsetStages& stages);

  // Ten band values of the type's slot (missing bands are created as 0);
  // the custom type reads as an empty list and is never written.
  std::vector<int32_t> GetEqValues(int type);
  void SetEqValues(int type, const std::vector<int32_t>& values);

  std::vector<std::string> GetCustomEqNames();
  void SetCustomEqNames(const std::vector<std::string>& names);
  std::vector<int32_t> GetCustomEqValues(int n);
  void SetCustomEqValues(int n, const std::vector<int32_t>& values);
  // Drops preset n's name and gains; later presets move up one place.
  void RemoveCustomEqPreset(int n);

  const HeadsetStages& CachedSystemSetStages() const { return stages_; }

 private:
  HeadsetStages stages_;
};

}  // namespace talmi
