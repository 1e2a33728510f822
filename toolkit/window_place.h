#pragma once
// Window placement across monitors, top-most state, close-on-deactivate,
// and the screen watch that tells windows of DPI and display changes.
#include "toolkit/win_types.h"

namespace talmi {

// The available area (without panels) of the monitor the window is on;
// the primary screen's for an unknown window.
RECT GetMonitorWorkArea(HWND hWnd);
// The mouse position in screen pixels (where a tray menu opens).
bool GetCursorPos(POINT* pt);
// Client point of a window to screen pixels.
bool ClientToScreen(HWND hWnd, POINT* pt);
bool SetTopMost(HWND hWnd, bool topMost);
bool IsTopMost(HWND hWnd);
// The window closes itself (WM_CLOSE with IDCANCEL) when it loses the
// activation to another window (pop-up choosers).
bool SetCloseOnDeactivate(HWND hWnd, bool close);

// Where PlaceNextTo puts the window relative to the anchor rectangle.
enum class Anchor { Below, Above, Right, Left };
// Moves hWnd next to anchor (client pixels of anchorWnd), left or top edges
// aligned, gap pixels apart, kept on the anchor's monitor: when there is no
// room on the asked side it goes to the opposite one.
bool PlaceNextTo(HWND hWnd, HWND anchorWnd, const RECT& anchor, Anchor side = Anchor::Below, int gap = 0);

// Starts (once) watching the screens: a DPI change of a screen sends
// WM_DPICHANGED (wParam MAKEWPARAM(dpi, dpi), lParam a RECT* with the
// suggested window rectangle) to the windows on it; a screen added,
// removed or resized sends WM_DISPLAYCHANGE (wParam 32, lParam
// MAKELPARAM(width, height) of the primary screen) to every window.
void WatchScreens();

}  // namespace talmi
