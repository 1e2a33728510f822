#pragma once
// Process-wide skin resources: the res.xml index (names -> files) and the
// language texts (key -> text in the current language).
#include <map>
#include <mutex>
#include <string>

#include "toolkit/dui_string.h"

namespace talmi {

// Answers text keys the language file does not know.
class IQueryControlText {
 public:
  virtual ~IQueryControlText() = default;
  // Empty when the key is unknown here as well.
  virtual CDuiString QueryControlText(const CDuiString& id, const CDuiString& type) = 0;
};

class CResourceManager {
 public:
  static CResourceManager* GetInstance();
  void Release();  // forgets every entry and text

  // res.xml: a file name relative to the resource path, or XML text. Entries
  // are added to (and replace) the ones already known. False when the file
  // is missing or malformed (nothing changes).
  bool LoadResource(const CDuiString& xml, const CDuiString& type = "");
  // The file of a skin entry ("XML_MAIN"), empty when unknown.
  CDuiString GetXmlPath(const CDuiString& name) const;
  CDuiString GetImagePath(const CDuiString& name) const;
  CDuiString GetIconPath(const CDuiString& id) const;

  void SetLanguage(const CDuiString& name);
  CDuiString GetLanguage() const;
  // Loads a language file (relative to the resource path, or absolute) and
  // makes its texts current. A missing or malformed file leaves the current
  // texts in place and returns false.
  bool LoadLanguage(const CDuiString& file);
  // Shows the current translations in every window at once.
  void ReloadText();
  void SetTextQueryInterface(IQueryControlText* query);
  IQueryControlText* GetTextQueryInterface() const;

  // The translation of key: language file first, then the query interface,
  // else the key itself.
  CDuiString GetText(const CDuiString& key, const CDuiString& type = "") const;
  // Whether the text is written in the key form "%[key]"; the key goes to out.
  static bool IsKeyForm(const CDuiString& text, CDuiString* key = nullptr);
  static CDuiString MakeKeyForm(const CDuiString& key);
  // What a control shows for its stored text: the translation when the text
  // is a key (flag set, or written in the key form), else the text.
  static CDuiString Translate(const CDuiString& text, bool resourceText);

 private:
  CResourceManager() = default;
  mutable std::mutex m_lock;
  std::map<std::string, std::string> m_xml;     // folded name -> file
  std::map<std::string, std::string> m_images;  // folded name -> file
  std::map<std::string, std::string> m_icons;   // id -> file
  std::map<std::string, std::string> m_texts;   // key -> text
  std::string m_language;
  IQueryControlText* m_query = nullptr;
};

}  // namespace talmi
