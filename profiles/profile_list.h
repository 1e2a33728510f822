#pragma once
// The profile list of one device kind ("ProfileList.ini" in the kind's data
// folder, a JSON document) and every naming and selection rule of adding,
// copying, importing, deleting, renaming, resetting and exporting profiles.
//
// The file is the authority: every operation re-reads it before changing it
// and writes it back at once. Names() and SelectedIndex() are what a
// selector shows (its combo items and its selection); after each operation
// the selector copies them again. The shown selection and the stored
// "profileselect" may differ: a new profile is stored as selected but the
// page stays on the profile it shows until the user picks another.
#include <json/json.h>

#include <string>
#include <vector>

namespace talmi {

inline constexpr const char* kProfileListName = "ProfileList.ini";
inline constexpr size_t kMaxAddedProfiles = 50;
// Device kind codes the rules depend on.
inline constexpr int kProfileKindHeadset = 7;

// Results of RenameProfile.
inline constexpr int kRenameDone = 1;
inline constexpr int kRenameTaken = 0;
inline constexpr int kRenameBlank = 2;

class CProfileList {
 public:
  void SetDeviceKind(int kind) { kind_ = kind; }
  int DeviceKind() const { return kind_; }
  // The kind's data folder and its default profile file (the template).
  void SetFolders(const std::string& folder, const std::string& templatePath);
  const std::string& Folder() const { return folder_; }
  std::string ListPath() const;

  // Loads the list or, when it is missing, broken or empty, creates it with
  // one profile "profile1" copied from the template; then selects the
  // stored profile ("profileselect", 0 when it names no entry).
  // 1 done, -1 the list could not be written.
  [[nodiscard]] int InitProfiles();

  const std::vector<std::string>& Names() const { return names_; }
  // The shown selection; -1 when there is none.
  int SelectedIndex() const { return selected_; }
  // Shows entry index, stores it as "profileselect" and makes its id the
  // current one. 1 done, 0 no such entry, -1 the list could not be written.
  [[nodiscard]] int SelectProfile(int index);
  const std::string& CurrentUUID() const { return currentUuid_; }

  // Re-reads the list file: the number of its entries (0 when unreadable).
  int GetProfileCount() const;
  // folder + the entry's id + ".Json" from the list as last read; "" for
  // an index out of range or an id that is not a safe file name.
  std::string GetProfileFilePath(int index) const;
  const Json::Value& Document() const { return doc_; }

  // 1 done, 0 refused or nothing to do, -1 a file could not be written.
  [[nodiscard]] int AddProfile();      // "profile%d"; refused at 50 profiles
  [[nodiscard]] int DeleteProfile();   // never the last profile
  [[nodiscard]] int CopyProfile();     // "%s copy", no limit
  // The file's base name, "(n)" suffixes until it is free; refused unless
  // the file holds "profilename" and "profileUUID". No limit.
  [[nodiscard]] int ImportProfile(const std::string& path);
  // The shown profile's document written to path.
  [[nodiscard]] int ExportProfile(const std::string& path);
  // The shown profile from the template, keeping name and id (and, for the
  // headset, its custom EQ presets). Refused when the template is unreadable.
  [[nodiscard]] int ResetProfile();
  // kRenameDone, kRenameTaken (another profile has the name, or no
  // selection), kRenameBlank; -1 the list could not be written.
  [[nodiscard]] int RenameProfile(const std::string& name);

 private:
  // Takes the file's list when it parses with entries; otherwise keeps the
  // list held (the next write restores the file).
  void Refresh();
  void TakeDocument(Json::Value doc);
  [[nodiscard]] int WriteList();
  int AppendEntry(const std::string& name, const std::string& id);
  std::string EntryId(int index) const;
  std::string NewId() const;
  Json::Value ReadTemplate() const;
  [[nodiscard]] int WriteProfileFile(Json::Value doc, const std::string& name,
                                     const std::string& id) const;
  bool HasName(const std::string& name) const;

  int kind_ = 0;
  std::string folder_;
  std::string templatePath_;
  Json::Value doc_;
  std::vector<std::string> names_;
  int selected_ = -1;
  std::string currentUuid_;
};

}  // namespace talmi
