#pragma once
// Routes notifications: a pump handles the ones of its own window and hands
// those raised inside a named sub-page ("virtualwnd") to that page's pump.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/ui_defs.h"

namespace talmi {

class CNotifyPump {
 public:
  using Handler = std::function<void(TNotifyUI&)>;
  virtual ~CNotifyPump() = default;

  // False when the name is taken (or empty) or the pump is null.
  bool AddVirtualWnd(const CDuiString& name, CNotifyPump* pump);
  bool RemoveVirtualWnd(const CDuiString& name);
  CNotifyPump* GetVirtualWnd(const CDuiString& name) const;
  // A notification of a known sub-page goes to that page; anything else to
  // this pump's own handlers.
  void NotifyPump(TNotifyUI& msg);
  // The notification map: handlers by type and, optionally, control name
  // (without regard to case). Returns whether one ran.
  void OnNotify(const CDuiString& type, Handler handler, const CDuiString& controlName = "");
  bool LoopDispatch(TNotifyUI& msg);

 protected:
  // For pumps that route in code instead of (or besides) the map.
  virtual bool DispatchNotify(TNotifyUI&) { return false; }

 private:
  struct Entry {
    CDuiString type;
    std::string name;  // folded; empty = any control
    Handler handler;
  };
  std::map<std::string, CNotifyPump*> m_virtualWnds;  // folded name
  std::vector<Entry> m_map;
};

}  // namespace talmi
