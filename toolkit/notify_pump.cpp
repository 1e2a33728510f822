#include "toolkit/notify_pump.h"

#include "toolkit/control.h"

namespace talmi {

bool CNotifyPump::AddVirtualWnd(const CDuiString& name, CNotifyPump* pump) {
  if (name.IsEmpty() || !pump || pump == this) return false;
  return m_virtualWnds.emplace(FoldCase(name.view()), pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(const CDuiString& name) {
  return m_virtualWnds.erase(FoldCase(name.view())) != 0;
}

CNotifyPump* CNotifyPump::GetVirtualWnd(const CDuiString& name) const {
  auto it = m_virtualWnds.find(FoldCase(name.view()));
  return it == m_virtualWnds.end() ? nullptr : it->second;
}

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
  if (!msg.sVirtualWnd.IsEmpty()) {
    if (CNotifyPump* page = GetVirtualWnd(msg.sVirtualWnd)) {
      page->LoopDispatch(msg);
      return;
    }
  }
  LoopDispatch(msg);
}

void CNotifyPump::OnNotify(const CDuiString& type, Handler handler, const CDuiString& controlName) {
  if (!handler) return;
  m_map.push_back(Entry{type, FoldCase(controlName.view()), std::move(handler)});
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
  bool handled = DispatchNotify(msg);
  if (m_map.empty()) return handled;
  const std::string sender = msg.pSender ? FoldCase(msg.pSender->GetName().view()) : std::string();
  // Copy: a handler may register more.
  std::vector<Entry> entries = m_map;
  for (Entry& e : entries) {
    if (!(e.type == msg.sType)) continue;
    if (!e.name.empty() && e.name != sender) continue;
    e.handler(msg);
    handled = true;
  }
  return handled;
}

}  // namespace talmi
