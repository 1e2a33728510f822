#include "toolkit/resource_manager.h"

#include <pugixml.hpp>

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"

namespace talmi {
namespace {

// A language file larger than this is refused (a text table, not a blob).
constexpr size_t kMaxLanguageTexts = 100000;

bool LoadXmlDocument(const CDuiString& xml, pugi::xml_document& doc, std::string& what) {
  pugi::xml_parse_result r;
  std::string s = xml.str();
  size_t first = s.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && s[first] == '<') {
    what = "(inline)";
    r = doc.load_string(s.c_str());
  } else {
    what = JoinPath(CPaintManagerUI::GetResourcePath().view(), xml.view());
    r = doc.load_file(what.c_str());
  }
  if (!r) {
    DebugOutputF("CResourceManager: cannot use \"%s\": %s", what.c_str(), r.description());
    return false;
  }
  return true;
}

}  // namespace

CResourceManager* CResourceManager::GetInstance() {
  static CResourceManager instance;
  return &instance;
}

void CResourceManager::Release() {
  std::lock_guard<std::mutex> guard(m_lock);
  m_xml.clear();
  m_images.clear();
  m_icons.clear();
  m_texts.clear();
  m_language.clear();
  m_query = nullptr;
}

bool CResourceManager::LoadResource(const CDuiString& xml, const CDuiString&) {
  pugi::xml_document doc;
  std::string what;
  if (!LoadXmlDocument(xml, doc, what)) return false;
  pugi::xml_node root = doc.document_element();
  if (!EqualsNoCase(root.name(), "Res")) {
    DebugOutputF("CResourceManager: \"%s\" is not a resource index", what.c_str());
    return false;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  for (pugi::xml_node n : root.children()) {
    if (n.type() != pugi::node_element) continue;
    std::string name = n.attribute("name").as_string("");
    std::string file = n.attribute("file").as_string("");
    if (file.empty()) continue;
    if (EqualsNoCase(n.name(), "Xml") && !name.empty()) m_xml[FoldCase(name)] = file;
    else if (EqualsNoCase(n.name(), "Image") && !name.empty()) m_images[FoldCase(name)] = file;
    else if (EqualsNoCase(n.name(), "Icon")) m_icons[n.attribute("id").as_string("")] = file;
  }
  return true;
}

CDuiString CResourceManager::GetXmlPath(const CDuiString& name) const {
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_xml.find(FoldCase(name.view()));
  return it == m_xml.end() ? CDuiString() : CDuiString(it->second);
}

CDuiString CResourceManager::GetImagePath(const CDuiString& name) const {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_images.empty()) return {};
  auto it = m_images.find(FoldCase(name.view()));
  return it == m_images.end() ? CDuiString() : CDuiString(it->second);
}

CDuiString CResourceManager::GetIconPath(const CDuiString& id) const {
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_icons.find(id.str());
  return it == m_icons.end() ? CDuiString() : CDuiString(it->second);
}

void CResourceManager::SetLanguage(const CDuiString& name) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_language = name.str();
}

CDuiString CResourceManager::GetLanguage() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_language;
}

bool CResourceManager::LoadLanguage(const CDuiString& file) {
  if (file.IsEmpty()) {
    DebugOutput("CResourceManager: no language file given");
    return false;
  }
  pugi::xml_document doc;
  std::string what;
  if (!LoadXmlDocument(file, doc, what)) return false;
  pugi::xml_node root = doc.document_element();
  if (!EqualsNoCase(root.name(), "Language")) {
    DebugOutputF("CResourceManager: \"%s\" is not a language file", what.c_str());
    return false;
  }
  std::map<std::string, std::string> texts;
  for (pugi::xml_node n : root.children()) {
    if (n.type() != pugi::node_element || !EqualsNoCase(n.name(), "Text")) continue;
    std::string id = n.attribute("id").as_string("");
    if (id.empty()) continue;
    pugi::xml_attribute value = n.attribute("value");
    texts[id] = value ? value.as_string("") : n.text().as_string("");
    if (texts.size() > kMaxLanguageTexts) {
      DebugOutputF("CResourceManager: \"%s\" holds too many texts", what.c_str());
      return false;
    }
  }
  std::lock_guard<std::mutex> guard(m_lock);
  m_texts.swap(texts);
  return true;
}

void CResourceManager::ReloadText() {
  // Controls translate when they draw: a relayout and a repaint of every
  // window show the new texts.
  for (CPaintManagerUI* pm : CPaintManagerUI::GetPaintManagers()) pm->NeedUpdate();
}

void CResourceManager::SetTextQueryInterface(IQueryControlText* query) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_query = query;
}

IQueryControlText* CResourceManager::GetTextQueryInterface() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_query;
}

CDuiString CResourceManager::GetText(const CDuiString& key, const CDuiString& type) const {
  IQueryControlText* query = nullptr;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_texts.find(key.str());
    if (it != m_texts.end()) return it->second;
    query = m_query;
  }
  if (query) {
    CDuiString answer = query->QueryControlText(key, type);
    if (!answer.IsEmpty()) return answer;
  }
  return key;
}

bool CResourceManager::IsKeyForm(const CDuiString& text, CDuiString* key) {
  const std::string& s = text.str();
  if (s.size() < 4 || s.compare(0, 2, "%[") != 0 || s.back() != ']') return false;
  if (key) *key = s.substr(2, s.size() - 3);
  return true;
}

CDuiString CResourceManager::MakeKeyForm(const CDuiString& key) { return "%[" + key + "]"; }

CDuiString CResourceManager::Translate(const CDuiString& text, bool resourceText) {
  if (text.IsEmpty()) return text;
  CResourceManager* rm = GetInstance();
  CDuiString key;
  if (IsKeyForm(text, &key)) return rm->GetText(key);
  if (resourceText) return rm->GetText(text);
  return text;
}

}  // namespace talmi
