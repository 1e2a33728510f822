#pragma once
// The usual toolkit window: builds its skin on creation, owns the paint
// manager, routes notifications through its notify pump and gives every
// message first to HandleCustomMessage.
#include "toolkit/dialog_builder.h"
#include "toolkit/notify_pump.h"
#include "toolkit/paint_manager.h"
#include "toolkit/resource_manager.h"
#include "toolkit/window_wnd.h"

namespace talmi {

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
 public:
  WindowImplBase();
  ~WindowImplBase() override;

  // After the skin is built, before "windowinit".
  virtual void InitWindow() {}
  void Notify(TNotifyUI& msg) override;
  CControlUI* CreateControl(const CDuiString& className) override;
  CDuiString QueryControlText(const CDuiString& id, const CDuiString& type) override;
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // Sees every message the window's own handlers leave; set bHandled to
  // stop the default handling.
  virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
  // Pre-filter: Escape closes the window with 0 unless a subclass says otherwise.
  LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
  void OnFinalMessage(HWND hWnd) override;

  CPaintManagerUI& GetPaintManager() { return m_pm; }
  CControlUI* FindControl(const CDuiString& name) const { return m_pm.FindControl(name); }

  // The skin: a res.xml entry or a file, inside the optional folder.
  virtual CDuiString GetSkinFolder() { return ""; }
  virtual CDuiString GetSkinFile() = 0;
  virtual CDuiString GetSkinType() { return ""; }

 protected:
  virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
  virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
  virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
  virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
  virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
  // Return / Escape handling of the pre-filter; true when consumed.
  virtual bool ResponseDefaultKeyEvent(WPARAM wParam);

  CPaintManagerUI m_pm;
};

}  // namespace talmi
