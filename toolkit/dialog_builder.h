#pragma once
// Builds control trees from XML skins.
#include <memory>

#include "toolkit/dui_string.h"

namespace talmi {

class CControlUI;
class CPaintManagerUI;

// Creates the controls of class names the factory does not know.
class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // Null when the name is unknown here as well (the element is skipped).
  virtual CControlUI* CreateControl(const CDuiString& className) = 0;
};

class CDialogBuilder {
 public:
  CDialogBuilder();
  ~CDialogBuilder();
  CDialogBuilder(const CDialogBuilder&) = delete;
  CDialogBuilder& operator=(const CDialogBuilder&) = delete;

  // xml is XML text (starting with "<"), a res.xml entry name ("XML_MAIN")
  // or a file name relative to the resource path ("\" or "/"). The skin's
  // <Window> attributes, fonts and default attribute lists go to pManager.
  // With a parent container the built controls are added to it. Returns
  // the first built control, or null (with a debug line) when the skin is
  // missing or malformed.
  CControlUI* Create(const CDuiString& xml, const CDuiString& type = "",
                     IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* pManager = nullptr,
                     CControlUI* parent = nullptr);
  // Builds again from the skin loaded last.
  CControlUI* Create(IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* pManager = nullptr,
                     CControlUI* parent = nullptr);
  // Why the last Create returned null.
  CDuiString GetLastError() const { return m_sError; }

 private:
  struct Doc;
  bool Load(const CDuiString& xml);
  std::unique_ptr<Doc> m_doc;
  CDuiString m_sError;
  CDuiString m_sType;
};

}  // namespace talmi
