#include "toolkit/menu_model.h"

#include <pugixml.hpp>
#include <cstring>

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/resource_manager.h"

namespace talmi {
namespace {

bool IsTrue(const pugi::xml_attribute& a) { return a && (std::strcmp(a.value(), "true") == 0 || std::strcmp(a.value(), "1") == 0); }

void ReadItems(const pugi::xml_node& parent, std::vector<MenuItem>& out, int depth) {
  for (pugi::xml_node n : parent.children()) {
    if (n.type() != pugi::node_element) continue;
    const char* tag = n.name();
    const bool sep = std::strcmp(tag, "Separator") == 0 || std::strcmp(tag, "MenuSeparator") == 0;
    if (!sep && std::strcmp(tag, "MenuElement") != 0 && std::strcmp(tag, "MenuItem") != 0) continue;
    MenuItem item;
    item.separator = sep || IsTrue(n.attribute("separator"));
    if (!item.separator) {
      item.name = n.attribute("name").value();
      item.text = CResourceManager::Translate(n.attribute("text").value(), IsTrue(n.attribute("resourcetext")));
      pugi::xml_attribute en = n.attribute("enabled");
      item.enabled = !en || IsTrue(en);
      if (depth + 1 < kMaxMenuDepth) ReadItems(n, item.children, depth + 1);
    }
    out.push_back(std::move(item));
  }
}

}  // namespace

bool LoadMenuItems(const CDuiString& xml, std::vector<MenuItem>& items, CDuiString* error) {
  items.clear();
  pugi::xml_document doc;
  pugi::xml_parse_result result;
  CDuiString source = xml;
  if (xml.view().starts_with("<")) {
    result = doc.load_string(xml.GetData());
    source = "(text)";
  } else {
    CDuiString file = CResourceManager::GetInstance()->GetXmlPath(xml);
    if (file.IsEmpty()) file = xml;
    std::string path = JoinPath(CPaintManagerUI::GetResourcePath().view(), file.view());
    result = doc.load_file(path.c_str());
    source = CDuiString(path);
  }
  CDuiString why;
  if (!result) {
    why.Format("menu \"%s\" not read: %s", source.GetData(), result.description());
  } else {
    pugi::xml_node root = doc.document_element();
    ReadItems(root, items, 0);
    if (items.empty()) why.Format("menu \"%s\" has no items", source.GetData());
  }
  if (why.IsEmpty()) return true;
  DebugOutputF("LoadMenuItems: %s", why.GetData());
  if (error) *error = why;
  return false;
}

}  // namespace talmi
