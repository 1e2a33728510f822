#pragma once
// Toolkit-internal: how the notification-area icon's activations become
// callback messages.
#include <QSystemTrayIcon>

#include "toolkit/tray_icon.h"

namespace talmi {

// The mouse message reported for an activation; 0 for none.
UINT TrayMouseMessage(QSystemTrayIcon::ActivationReason reason);
// Posts the callback message for an activation to the window.
bool ReportTrayActivation(HWND hWnd, UINT message, UINT id, QSystemTrayIcon::ActivationReason reason);

}  // namespace talmi
