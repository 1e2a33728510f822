#pragma once
// The program's icon in the desktop's notification area. Mouse actions on
// it reach the owner window as the callback message: wParam the icon id,
// lParam the mouse message (WM_LBUTTONUP for a left click, WM_RBUTTONUP for
// a right click, WM_LBUTTONDBLCLK for a double click).
#include <memory>

#include "toolkit/dui_string.h"
#include "toolkit/win_messages.h"
#include "toolkit/win_types.h"

namespace talmi {

inline constexpr UINT UIMSG_TRAYICON = WM_USER + 1;  // 1025

struct TrayIconState;

class CTrayIcon {
 public:
  CTrayIcon();
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Icon from the resource index (<Icon id=…>). False, with a debug line,
  // when the desktop has no notification area, the window is not a window
  // or the icon cannot be loaded; nothing is shown then.
  [[nodiscard]] bool CreateTrayIcon(HWND hWnd, UINT iconResource, const CDuiString& tooltip = "",
                                    UINT message = UIMSG_TRAYICON, UINT id = 1);
  void DeleteTrayIcon();
  bool IsCreated() const;
  bool SetTooltipText(const CDuiString& text);
  CDuiString GetTooltipText() const;
  bool SetIcon(UINT iconResource);
  void SetShowIcon(bool show);
  bool IsVisible() const;

 private:
  friend struct TrayIconAccess;
  std::unique_ptr<TrayIconState> m_state;
};

}  // namespace talmi
