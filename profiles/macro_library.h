#pragma once
// The macro library of one device: the index file ("MacroInfo": name and
// Guid per macro, the array position is the macro index used by
// assignments) and one Guid + ".mac" file per macro holding its events.
// Every change re-reads the index file first and writes it back at once.
#include <json/json.h>

#include <string>
#include <vector>

namespace talmi {

inline constexpr const char* kMacroConfigName = "macro.config";       // keyboard, mouse
inline constexpr const char* kPadMacroConfigName = "kelma_macro.config";  // pad, headset
inline constexpr const char* kMacroFileExtension = ".mac";
inline constexpr size_t kMaxMacros = 50;

struct MacroRow {
  std::string name;
  std::string guid;
};

class CMacroLibrary {
 public:
  explicit CMacroLibrary(std::string folder, std::string configName = kMacroConfigName);

  // Re-reads the index file: 1 parsed, 0 missing or broken (empty library).
  int Load();
  const std::vector<MacroRow>& Rows() const { return rows_; }
  size_t Count() const { return rows_.size(); }
  std::vector<std::string> Names() const;

  std::string ConfigPath() const;
  // "" when the index is out of range or its Guid is not a safe file name.
  std::string MacroFilePath(size_t index) const;

  // "macro_%d" with the smallest n >= 1 no row has (ignoring case).
  std::string NextMacroName() const;

  // Appends a new macro: 1 added (the last row), 0 refused (50 macros),
  // -1 the index file could not be written.
  [[nodiscard]] int AddMacro();
  // 1 renamed, 0 the name is taken (its own included), 2 blank,
  // -1 no such macro or not written.
  [[nodiscard]] int RenameMacro(size_t index, const std::string& name);
  // Removes the row and its file; later macros move down by one index.
  // 1 done, -1 no such macro or not written.
  [[nodiscard]] int DeleteMacro(size_t index);
  // Writes the macro file: "MacroName", "Guid", "Events", "Version".
  // 1 written, -1 no such macro, unsafe Guid or not written.
  [[nodiscard]] int SaveMacro(size_t index, const Json::Value& events);
  // The macro file's document; null when missing, broken or refused.
  Json::Value ReadMacro(size_t index) const;
  // Copies the macro file unchanged: 1 done, 0 no such file, -1 not written.
  [[nodiscard]] int ExportMacro(size_t index, const std::string& path) const;
  // Adds a macro whose file is a copy of path: 1 done, 0 refused (limit, or
  // the file is unreadable or not a JSON document), -1 not written.
  [[nodiscard]] int ImportMacro(const std::string& path);

 private:
  Json::Value ReadConfig() const;
  [[nodiscard]] int AppendRow(const std::string& name, const std::string& guid);
  std::string NewGuid() const;

  std::string folder_;
  std::string configName_;
  std::vector<MacroRow> rows_;
};

}  // namespace talmi
