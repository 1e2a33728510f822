#pragma once
// The profile data object every device page owns: the current profile's
// device entry ("Device"[0] of the profile file), a second entry for batch
// edits of profiles that are not selected, the light library, and typed
// views of the entry's keys. Setters change only the in-memory entry; Save
// makes them durable. Not thread-safe: used from the page's UI thread.
#include <json/json.h>

#include <string>
#include <vector>

#include "profiles/profile_records.h"

namespace talmi {

// Upper bounds on what a profile may make us read; beyond them the rest of
// an array is ignored.
inline constexpr Json::ArrayIndex kMaxKeyListEntries = 512;
inline constexpr Json::ArrayIndex kMaxLightListEntries = 256;
inline constexpr Json::ArrayIndex kMaxLightEffectSteps = 4096;
inline constexpr Json::ArrayIndex kMaxEntryIndex = 7;

class CBasicProfiledata {
 public:
  CBasicProfiledata();
  virtual ~CBasicProfiledata();
  CBasicProfiledata(const CBasicProfiledata&) = delete;
  CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

  // Paths (an empty argument is ignored).
  void SetProfilePath(const std::string& path);
  const std::string& GetProfilePath() const { return profilePath_; }
  void SetDefaultProfilePath(const std::string& path);
  const std::string& GetDefaultProfilePath() const { return defaultProfilePath_; }
  void SetLightLibraryPath(const std::string& path);
  const std::string& GetLightLibraryPath() const { return lightLibraryPath_; }
  // Points the object at the profile with this id in folder. An id that is
  // not a safe file name is refused (-1) and leaves no path set, so nothing
  // is read or written until a valid profile is selected; 1 otherwise.
  [[nodiscard]] int SelectProfileFile(const std::string& folder, const std::string& id);

  // Entry index into "Device"; values above kMaxEntryIndex are ignored.
  void SetEntryIndex(unsigned index);
  unsigned GetEntryIndex() const { return entryIndex_; }

  // Loads "Device"[entry] of the file at path, repairing a missing or broken
  // file from the default profile; returns a copy of the entry.
  Json::Value LoadDeviceEntry(const std::string& path);
  Json::Value LoadOtherDeviceEntry(const std::string& path);
  const Json::Value& DeviceEntry() const { return entry_; }
  const Json::Value& OtherEntry() const { return otherEntry_; }

  // Writing: 1 written, 0 not (no path, or the write failed).
  virtual int Save();
  virtual int SaveEntryTo(const Json::Value& value, const std::string& path);
  virtual int SaveOtherTo(const std::string& path);
  virtual int WriteDocument(const Json::Value& value, const std::string& path);

  // Light library (read only) and the selected effect's steps. Effect files
  // are looked up in the light library's folder.
  Json::Value ReadLightLibrary(const std::string& path);
  const Json::Value& LightLibrary() const { return lightLibrary_; }
  std::vector<LightEffectStep> GetLightEffectSteps();

  LightInfo GetLightInfo();
  void SetLightInfo(const LightInfo& info);
  AudioLightInfo GetAudioLightInfo();
  void SetAudioLightInfo(const AudioLightInfo& info);
  std::vector<LightListRecord> GetLightList();

  std::vector<KeyAssignment> GetKeyList();
  void SetKeyList(const std::vector<KeyAssignment>& list);
  std::vector<KeyAssignment> GetOtherKeyList();
  void SetOtherKeyList(const std::vector<KeyAssignment>& list);

  // Last values seen by the getters and setters.
  const LightInfo& CachedLightInfo() const { return lightInfo_; }
  const AudioLightInfo& CachedAudioLightInfo() const { return audioLightInfo_; }
  const std::vector<KeyAssignment>& CachedKeyList() const { return keyList_; }
  const std::vector<LightListRecord>& CachedLightList() const { return lightList_; }
  const std::vector<LightEffectStep>& CachedLightEffectSteps() const { return effectSteps_; }

 protected:
  Json::Value& MutableEntry() { return entry_; }

 private:
  Json::Value LoadEntry(const std::string& path);
  static std::vector<KeyAssignment> ReadKeyList(const Json::Value& entry);
  static void WriteKeyList(Json::Value& entry, const std::vector<KeyAssignment>& list);

  std::string profilePath_;
  std::string defaultProfilePath_;
  std::string lightLibraryPath_;
  Json::Value entry_;
  Json::Value otherEntry_;
  Json::Value lightLibrary_;
  std::string lightLibraryFolder_;
  unsigned entryIndex_ = 0;

  LightInfo lightInfo_;
  AudioLightInfo audioLightInfo_;
  std::vector<KeyAssignment> keyList_;
  std::vector<LightListRecord> lightList_;
  std::vector<LightEffectStep> effectSteps_;
  const LightInfo zeroLightInfo_{};
};

}  // namespace talmi
