#include "profiles/name_lists.h"

#include "profiles/json_file.h"
#include "profiles/macro_library.h"
#include "profiles/profile_folders.h"
#include "profiles/store_path.h"

namespace talmi {
namespace {

// outer[key][view] when it is an array.
const Json::Value* ViewList(const Json::Value& doc, const char* key, int view) {
  const Json::Value* outer = JsonArrayMember(doc, key);
  if (outer == nullptr || view < 0) return nullptr;
  const Json::Value* list = JsonElement(*outer, static_cast<Json::ArrayIndex>(view));
  return list != nullptr && list->isArray() ? list : nullptr;
}

void AppendNames(const Json::Value* list, std::vector<std::string>& names) {
  if (list == nullptr) return;
  for (const Json::Value& e : *list) names.push_back(JsonString(e, "LightName"));
}

void LoadModes(const Json::Value& defaults, int view, PageNameLists& lists) {
  const Json::Value* modes = ViewList(defaults, "DefaultLightName", view);
  if (modes == nullptr) return;
  for (const Json::Value& e : *modes) {
    lists.modeNames.push_back(JsonString(e, "LightName"));
    lists.modeVisible.push_back(JsonBool(e, "visible") ? 1 : 0);
    lists.modeCodes.push_back(JsonInt(e, "value"));
  }
}

}  // namespace

void LoadPageNameLists(const NameListSources& from, PageNameLists& lists) {
  CMacroLibrary macros(from.dataFolder, from.macroConfigName);
  macros.Load();
  for (const MacroRow& r : macros.Rows()) lists.macroNames.push_back(r.name);

  const Json::Value defaults =
      ReadJsonFile(FolderWithSeparator(from.defaultFolder) + kDefaultLightName);
  LoadModes(defaults, from.viewParam, lists);
  AppendNames(ViewList(defaults, "AreaLightName", from.viewParam), lists.areaNames);

  const Json::Value library = ReadJsonFile(FolderWithSeparator(from.dataFolder) +
                                           kLightLibraryName + kLightLibraryExtension);
  AppendNames(ViewList(library, "LightInfo", from.viewParam), lists.lightEffectNames);
}

}  // namespace talmi
