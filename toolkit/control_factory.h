#pragma once
// Skin class name -> creator. The stock controls are registered from the
// start; the program adds its own classes with RegistControl.
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "toolkit/dui_string.h"

namespace talmi {

class CControlUI;

class CControlFactory {
 public:
  using CreateClass = std::function<CControlUI*()>;
  static CControlFactory* GetInstance();

  // Later registrations of the same name (without regard to case) replace
  // earlier ones.
  void RegistControl(const CDuiString& className, CreateClass creator);
  // Null for an unknown name.
  CControlUI* CreateControl(const CDuiString& className) const;
  bool IsRegistered(const CDuiString& className) const;

 private:
  CControlFactory();
  mutable std::mutex m_lock;
  std::map<std::string, CreateClass> m_creators;  // folded name -> creator
};

template <typename T>
void RegistControlClass(const CDuiString& className) {
  CControlFactory::GetInstance()->RegistControl(className, [] { return static_cast<CControlUI*>(new T); });
}

}  // namespace talmi
