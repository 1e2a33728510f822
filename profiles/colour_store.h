#pragma once
// The colour palette window's store ("color_option_info.config" in the
// user folder, seeded from the shipped copy): 20 preset colours, the
// collected colours and the two selections, under "coloroptioninfo".
//
// Colours are stored as text "#AARRGGBB" and read back from the same text,
// so what is written is what is read. Older files with decimal text (or
// "0x" hexadecimal) still read as the colour they meant.
#include <json/json.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talmi {

inline constexpr const char* kColourStoreName = "color_option_info.config";
inline constexpr int kPresetColourCount = 20;

// "#AARRGGBB", upper-case hexadecimal.
std::string FormatStoredColour(uint32_t argb);
// "#AARRGGBB", "#RRGGBB" (opaque), "0x" + hexadecimal or decimal digits;
// false for anything else or a value beyond 32 bits.
bool ParseStoredColour(std::string_view text, uint32_t& argb);

struct CollectedColour {
  uint32_t colour = 0;
  bool inUse = false;

  friend bool operator==(const CollectedColour&, const CollectedColour&) = default;
};

struct ColourStoreState {
  std::array<uint32_t, kPresetColourCount> presets{};  // 0 where missing
  int presetSelect = 0;
  std::vector<CollectedColour> collected;
  int collectSelect = 0;

  friend bool operator==(const ColourStoreState&, const ColourStoreState&) = default;
};

class CColourStore {
 public:
  void SetFolders(const std::string& userFolder, const std::string& defaultFolder);
  std::string UserPath() const { return userPath_; }

  // Opens the seeded store.
  ColourStoreState Load() const;
  // Writes the state into the user copy, keeping its other keys.
  // 1 written, -1 not.
  [[nodiscard]] int Save(const ColourStoreState& state) const;

 private:
  std::string userPath_;
  std::string defaultPath_;
};

}  // namespace talmi
