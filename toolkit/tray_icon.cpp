#include "toolkit/tray_icon.h"

#include <QIcon>
#include <QObject>

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/resource_manager.h"
#include "toolkit/tray_icon_qt.h"
#include "toolkit/window_wnd.h"

namespace talmi {

struct TrayIconState {
  std::unique_ptr<QSystemTrayIcon> icon;
  HWND owner = nullptr;
  UINT message = UIMSG_TRAYICON;
  UINT id = 1;
  CDuiString tooltip;
};

namespace {

struct ReasonMap {
  QSystemTrayIcon::ActivationReason reason;
  UINT mouseMessage;
};

constexpr ReasonMap kReasons[] = {
    {QSystemTrayIcon::Trigger, WM_LBUTTONUP},
    {QSystemTrayIcon::Context, WM_RBUTTONUP},
    {QSystemTrayIcon::DoubleClick, WM_LBUTTONDBLCLK},
};

bool LoadIcon(UINT resource, QIcon& out) {
  CDuiString id;
  id.Format("%u", resource);
  CDuiString file = CResourceManager::GetInstance()->GetIconPath(id);
  if (file.IsEmpty()) {
    DebugOutputF("CTrayIcon: no icon resource %u", resource);
    return false;
  }
  std::string path = JoinPath(CPaintManagerUI::GetResourcePath().view(), file.view());
  out = QIcon(QString::fromStdString(path));
  if (out.isNull() || out.availableSizes().isEmpty()) {
    DebugOutputF("CTrayIcon: cannot load \"%s\"", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

UINT TrayMouseMessage(QSystemTrayIcon::ActivationReason reason) {
  for (const ReasonMap& m : kReasons)
    if (m.reason == reason) return m.mouseMessage;
  return 0;
}

bool ReportTrayActivation(HWND hWnd, UINT message, UINT id, QSystemTrayIcon::ActivationReason reason) {
  const UINT mouse = TrayMouseMessage(reason);
  if (!mouse) return false;
  // Posted: the owner may open menus or windows, which must not run inside
  // the tray's own event handling.
  return PostMessage(hWnd, message, id, static_cast<LPARAM>(mouse));
}

CTrayIcon::CTrayIcon() : m_state(std::make_unique<TrayIconState>()) {}

CTrayIcon::~CTrayIcon() { DeleteTrayIcon(); }

bool CTrayIcon::CreateTrayIcon(HWND hWnd, UINT iconResource, const CDuiString& tooltip, UINT message, UINT id) {
  DeleteTrayIcon();
  if (!IsUiThread() || !IsWindow(hWnd)) {
    DebugOutput("CTrayIcon: no owner window (or not on the UI thread)");
    return false;
  }
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    DebugOutput("CTrayIcon: the desktop has no notification area");
    return false;
  }
  QIcon icon;
  if (!LoadIcon(iconResource, icon)) return false;
  m_state->owner = hWnd;
  m_state->message = message;
  m_state->id = id;
  m_state->tooltip = tooltip;
  m_state->icon = std::make_unique<QSystemTrayIcon>(icon);
  m_state->icon->setToolTip(QString::fromUtf8(tooltip.GetData()));
  TrayIconState* state = m_state.get();
  QObject::connect(m_state->icon.get(), &QSystemTrayIcon::activated, [state](QSystemTrayIcon::ActivationReason r) {
    ReportTrayActivation(state->owner, state->message, state->id, r);
  });
  m_state->icon->show();
  return true;
}

void CTrayIcon::DeleteTrayIcon() {
  if (!m_state->icon) return;
  m_state->icon->hide();
  m_state->icon.reset();
  m_state->owner = nullptr;
}

bool CTrayIcon::IsCreated() const { return m_state->icon != nullptr; }

bool CTrayIcon::SetTooltipText(const CDuiString& text) {
  if (!m_state->icon) return false;
  m_state->tooltip = text;
  m_state->icon->setToolTip(QString::fromUtf8(text.GetData()));
  return true;
}

CDuiString CTrayIcon::GetTooltipText() const { return m_state->tooltip; }

bool CTrayIcon::SetIcon(UINT iconResource) {
  if (!m_state->icon) return false;
  QIcon icon;
  if (!LoadIcon(iconResource, icon)) return false;
  m_state->icon->setIcon(icon);
  return true;
}

void CTrayIcon::SetShowIcon(bool show) {
  if (m_state->icon) m_state->icon->setVisible(show);
}

bool CTrayIcon::IsVisible() const { return m_state->icon && m_state->icon->isVisible(); }

}  // namespace talmi
