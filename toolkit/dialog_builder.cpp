#include "toolkit/dialog_builder.h"

#include <pugixml.hpp>

#include <cstring>
#include <string>

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/container.h"
#include "toolkit/control.h"
#include "toolkit/control_factory.h"
#include "toolkit/paint_manager.h"
#include "toolkit/resource_manager.h"

namespace talmi {

struct CDialogBuilder::Doc {
  pugi::xml_document xml;
  CDuiString source;
};

namespace {

// Includes nest; a skin that includes itself stops here.
constexpr int kMaxIncludeDepth = 8;
thread_local int t_includeDepth = 0;

bool IEq(const char* a, const char* b) { return EqualsNoCase(a, b); }

void ApplyWindowAttributes(const pugi::xml_node& node, CPaintManagerUI* pm) {
  for (const pugi::xml_attribute& a : node.attributes()) {
    const char* n = a.name();
    const char* v = a.value();
    SIZE sz{};
    RECT rc{};
    DWORD c = 0;
    if (IEq(n, "size")) { if (ParseSize(v, sz)) pm->SetInitSize(sz.cx, sz.cy); }
    else if (IEq(n, "caption")) { if (ParseRect(v, rc)) pm->SetCaptionRect(rc); }
    else if (IEq(n, "mininfo")) { if (ParseSize(v, sz)) pm->SetMinInfo(sz.cx, sz.cy); }
    else if (IEq(n, "maxinfo")) { if (ParseSize(v, sz)) pm->SetMaxInfo(sz.cx, sz.cy); }
    else if (IEq(n, "sizebox")) { if (ParseRect(v, rc)) pm->SetSizeBox(rc); }
    else if (IEq(n, "roundcorner")) { if (ParseSize(v, sz)) pm->SetRoundCorner(sz.cx, sz.cy); }
    else if (IEq(n, "title") || IEq(n, "text")) pm->SetCaption(v);
    else if (IEq(n, "defaultfontcolor")) { if (ParseColor(v, c)) pm->SetDefaultFontColor(c); }
    else if (IEq(n, "disabledfontcolor")) { if (ParseColor(v, c)) pm->SetDefaultDisabledColor(c); }
    else if (IEq(n, "selectedcolor")) { if (ParseColor(v, c)) pm->SetDefaultSelectedBkColor(c); }
  }
}

void ApplyFont(const pugi::xml_node& node, CPaintManagerUI* pm) {
  int id = node.attribute("id").as_int(-1);
  CDuiString name = node.attribute("name").as_string("");
  int size = node.attribute("size").as_int(14);
  bool bold = ParseBool(node.attribute("bold").as_string(""));
  bool underline = ParseBool(node.attribute("underline").as_string(""));
  bool italic = ParseBool(node.attribute("italic").as_string(""));
  bool shared = ParseBool(node.attribute("shared").as_string(""));
  if (size <= 0 || size > 400) size = 14;
  if (ParseBool(node.attribute("default").as_string(""))) pm->SetDefaultFont(name, size, bold, underline, italic, shared);
  if (id >= 0) pm->AddFont(id, name, size, bold, underline, italic, shared);
}

// True for the elements that describe the window rather than a control.
bool ApplyResourceElement(const pugi::xml_node& node, CPaintManagerUI* pm) {
  const char* n = node.name();
  if (IEq(n, "Font")) {
    if (pm) ApplyFont(node, pm);
    return true;
  }
  if (IEq(n, "Default")) {
    if (pm)
      pm->AddDefaultAttributeList(node.attribute("name").as_string(""), node.attribute("value").as_string(""),
                                  ParseBool(node.attribute("shared").as_string("")));
    return true;
  }
  return IEq(n, "Image") || IEq(n, "Style");
}

class Parser {
 public:
  Parser(IDialogBuilderCallback* cb, CPaintManagerUI* pm, const CDuiString& type) : m_cb(cb), m_pm(pm), m_type(type) {}

  CControlUI* ParseChildren(const pugi::xml_node& node, CControlUI* parent) {
    CControlUI* first = nullptr;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      if (ApplyResourceElement(child, m_pm)) continue;
      if (!parent && first) {
        // Without a parent only one tree can be handed back.
        DebugOutputF("CDialogBuilder: second root <%s> skipped", child.name());
        continue;
      }
      CControlUI* built = IEq(child.name(), "Include") ? ParseInclude(child, parent) : ParseControl(child, parent);
      if (!first) first = built;
    }
    return first;
  }

 private:
  CControlUI* ParseInclude(const pugi::xml_node& node, CControlUI* parent) {
    const char* source = node.attribute("source").as_string("");
    int count = node.attribute("count").as_int(1);
    if (count < 1 || count > 1000) count = 1;
    if (t_includeDepth >= kMaxIncludeDepth) {
      DebugOutputF("CDialogBuilder: include of \"%s\" nested too deep", source);
      return nullptr;
    }
    CControlUI* first = nullptr;
    ++t_includeDepth;
    for (int i = 0; i < count; ++i) {
      CDialogBuilder builder;
      CControlUI* c = builder.Create(source, m_type, m_cb, m_pm, parent);
      if (!first) first = c;
    }
    --t_includeDepth;
    return first;
  }

  CControlUI* Instantiate(const char* cls) {
    CControlUI* c = CControlFactory::GetInstance()->CreateControl(cls);
    if (!c && m_cb) c = m_cb->CreateControl(cls);
    return c;
  }

  CControlUI* ParseControl(const pugi::xml_node& node, CControlUI* parent) {
    const char* cls = node.name();
    IContainerUI* container = parent ? static_cast<IContainerUI*>(parent->GetInterface(DUI_CTR_ICONTAINER)) : nullptr;
    if (parent && !container) {
      DebugOutputF("CDialogBuilder: <%s> inside a control that holds no children, skipped", cls);
      return nullptr;
    }
    CControlUI* control = Instantiate(cls);
    if (!control) {
      DebugOutputF("CDialogBuilder: unknown control class \"%s\", skipped", cls);
      return nullptr;
    }
    if (m_pm) control->SetManager(m_pm, nullptr, false);
    if (node.first_child()) {
      if (control->GetInterface(DUI_CTR_ICONTAINER)) ParseChildren(node, control);
      else if (node.find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; }))
        DebugOutputF("CDialogBuilder: children of <%s> ignored (not a container)", cls);
    }
    if (container && !container->Add(control)) {
      delete control;
      return nullptr;
    }
    if (m_pm) {
      CDuiString defaults = m_pm->GetDefaultAttributeList(cls);
      if (!defaults.IsEmpty()) control->ApplyAttributeList(defaults);
    }
    for (const pugi::xml_attribute& a : node.attributes()) control->SetAttribute(a.name(), a.value());
    if (m_pm) control->Init();
    return control;
  }

  IDialogBuilderCallback* m_cb;
  CPaintManagerUI* m_pm;
  CDuiString m_type;
};

}  // namespace

CDialogBuilder::CDialogBuilder() = default;
CDialogBuilder::~CDialogBuilder() = default;

bool CDialogBuilder::Load(const CDuiString& xml) {
  m_doc = std::make_unique<Doc>();
  pugi::xml_parse_result r;
  std::string what;
  std::string trimmed = xml.str();
  size_t firstNonBlank = trimmed.find_first_not_of(" \t\r\n");
  if (firstNonBlank != std::string::npos && trimmed[firstNonBlank] == '<') {
    what = "(inline skin)";
    r = m_doc->xml.load_string(xml.GetData());
  } else {
    if (CPaintManagerUI::GetResourceType() == UILIB_ZIP || CPaintManagerUI::GetResourceType() == UILIB_ZIPRESOURCE) {
      m_sError = "zipped skins are not supported";
      DebugOutputF("CDialogBuilder: %s (\"%s\")", m_sError.GetData(), xml.GetData());
      m_doc.reset();
      return false;
    }
    CDuiString file = CResourceManager::GetInstance()->GetXmlPath(xml);
    if (file.IsEmpty()) file = xml;
    what = JoinPath(CPaintManagerUI::GetResourcePath().view(), file.view());
    r = m_doc->xml.load_file(what.c_str());
    if (r.status == pugi::status_file_not_found || r.status == pugi::status_io_error) {
      m_sError.Format("cannot read skin file \"%s\"", what.c_str());
      DebugOutputF("CDialogBuilder: %s", m_sError.GetData());
      m_doc.reset();
      return false;
    }
  }
  if (!r) {
    m_sError.Format("malformed skin %s: %s at offset %lld", what.c_str(), r.description(),
                    static_cast<long long>(r.offset));
    DebugOutputF("CDialogBuilder: %s", m_sError.GetData());
    m_doc.reset();
    return false;
  }
  if (!m_doc->xml.document_element()) {
    m_sError.Format("skin %s has no root element", what.c_str());
    DebugOutputF("CDialogBuilder: %s", m_sError.GetData());
    m_doc.reset();
    return false;
  }
  m_doc->source = what;
  return true;
}

CControlUI* CDialogBuilder::Create(const CDuiString& xml, const CDuiString& type, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* pManager, CControlUI* parent) {
  m_sError.Empty();
  m_sType = type;
  if (!Load(xml)) return nullptr;
  return Create(callback, pManager, parent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* callback, CPaintManagerUI* pManager, CControlUI* parent) {
  if (!m_doc) {
    if (m_sError.IsEmpty()) m_sError = "no skin loaded";
    return nullptr;
  }
  pugi::xml_node root = m_doc->xml.document_element();
  Parser parser(callback, pManager, m_sType);
  CControlUI* result = nullptr;
  if (IEq(root.name(), "Window")) {
    if (pManager) ApplyWindowAttributes(root, pManager);
    result = parser.ParseChildren(root, parent);
  } else {
    // A bare control tree: the root element is the first control.
    pugi::xml_document wrapper;
    pugi::xml_node holder = wrapper.append_child("Holder");
    holder.append_copy(root);
    result = parser.ParseChildren(holder, parent);
  }
  if (!result) {
    m_sError.Format("skin %s built no control", m_doc->source.GetData());
    DebugOutputF("CDialogBuilder: %s", m_sError.GetData());
  }
  return result;
}

}  // namespace talmi
