#pragma once
// The native text field laid over a focused edit control: it takes the
// keystrokes, the control keeps the text and sends the notifications.
#include "toolkit/win_types.h"

namespace talmi {

class CEditUI;
struct EditOverlay;

// Null when the edit has no live window.
EditOverlay* OpenEditOverlay(CEditUI* edit);
// Hides the field at once and frees it once the event in flight is done.
void CloseEditOverlay(EditOverlay* overlay);
void MoveEditOverlay(EditOverlay* overlay, const RECT& rc);
// Puts code-set text into an open field (no "textchanged").
void SetEditOverlayText(EditOverlay* overlay, const char* text);

}  // namespace talmi
