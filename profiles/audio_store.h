#pragma once
// The main window's audio-light styles ("AudioFile.json" in the user
// folder, seeded from the shipped copy): four named colours and the
// selected one, kept under "Device"."AudioLightInfo".
#include <json/json.h>

#include <array>
#include <cstdint>
#include <string>

namespace talmi {

inline constexpr const char* kAudioStoreName = "AudioFile.json";
inline constexpr int kAudioStyleCount = 4;

struct AudioStyleRecord {
  uint8_t selected = 0;
  std::array<std::string, kAudioStyleCount> names;
  // R0, G0, B0, R1, ... B3: style s at 3 s.
  std::array<uint8_t, 3 * kAudioStyleCount> colours{};

  friend bool operator==(const AudioStyleRecord&, const AudioStyleRecord&) = default;
};

class CAudioStore {
 public:
  // Folders end with or without "/"; the user copy is userFolder +
  // "AudioFile.json", the shipped one defaultFolder + "AudioFile.json".
  void SetFolders(const std::string& userFolder, const std::string& defaultFolder);
  std::string UserPath() const { return userPath_; }

  // Opens the seeded store and keeps its "Device" value as the cache.
  void LoadAudioStore();
  // The record from the cache: style 0, empty names, black when missing;
  // every integer keeps its low 8 bits.
  AudioStyleRecord ReadAudioStyles() const;
  // Replaces the cache's "AudioLightInfo" with all seventeen keys.
  void WriteAudioStyles(const AudioStyleRecord& record);
  // Writes the cache into the user copy's "Device", keeping its other
  // keys. 1 written, -1 not.
  [[nodiscard]] int SaveAudioStore();
  // The shipped copy written whole over the user copy and made the cache.
  // 1 done, 0 the shipped copy is unreadable (the user copy is kept),
  // -1 not written.
  [[nodiscard]] int ResetAudioStore();

  const Json::Value& Cache() const { return cache_; }

 private:
  std::string userPath_;
  std::string defaultPath_;
  Json::Value cache_;
};

}  // namespace talmi
