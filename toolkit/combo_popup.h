#pragma once
// The drop-down of a combo: a native child of the combo's window that shows
// the combo's visible rows inside the drop box and takes clicks and the wheel.
#include "toolkit/win_types.h"

namespace talmi {

class CComboUI;
struct ComboPopup;

// Null when the combo has no live window.
ComboPopup* OpenComboPopup(CComboUI* combo, const RECT& box);
void CloseComboPopup(ComboPopup* popup);
void RepaintComboPopup(ComboPopup* popup);
// True when a native popup is showing (a window under test sees it).
bool IsComboPopupShown(const ComboPopup* popup);

}  // namespace talmi
