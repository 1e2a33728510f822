#pragma once
// Notification records, control events and the names skins and handlers use
// for notification types and control classes.
#include "toolkit/dui_string.h"
#include "toolkit/win_types.h"

namespace talmi {

class CControlUI;

// Notification types.
inline constexpr const char* DUI_MSGTYPE_CLICK = "click";
inline constexpr const char* DUI_MSGTYPE_SELECTCHANGED = "selectchanged";
inline constexpr const char* DUI_MSGTYPE_ITEMSELECT = "itemselect";
inline constexpr const char* DUI_MSGTYPE_ITEMCLICK = "itemclick";
inline constexpr const char* DUI_MSGTYPE_ITEMACTIVATE = "itemactivate";
inline constexpr const char* DUI_MSGTYPE_WINDOWINIT = "windowinit";
inline constexpr const char* DUI_MSGTYPE_VALUECHANGED = "valuechanged";
inline constexpr const char* DUI_MSGTYPE_MOVEVALUECHANGED = "movevaluechanged";
inline constexpr const char* DUI_MSGTYPE_TEXTCHANGED = "textchanged";
inline constexpr const char* DUI_MSGTYPE_KILLFOCUS = "killfocus";
inline constexpr const char* DUI_MSGTYPE_SETFOCUS = "setfocus";
inline constexpr const char* DUI_MSGTYPE_TIMER = "timer";
inline constexpr const char* DUI_MSGTYPE_MENU = "menu";
inline constexpr const char* DUI_MSGTYPE_DBCLICK = "dbclick";
inline constexpr const char* DUI_MSGTYPE_COLORCHANGED = "colorchanged";
inline constexpr const char* DUI_MSGTYPE_RETURN = "return";
inline constexpr const char* DUI_MSGTYPE_WINDOWSIZE = "windowsize";
inline constexpr const char* DUI_MSGTYPE_MOUSEENTER = "msenter";
inline constexpr const char* DUI_MSGTYPE_MOUSELEAVE = "msleave";
// Types the system's own controls send.
inline constexpr const char* DUI_MSGTYPE_CLICK_WPREMOVE = "click_wpremove";
inline constexpr const char* DUI_MSGTYPE_CLICK_WPADD = "click_wpadd";
inline constexpr const char* DUI_MSGTYPE_CLICK_WPEDIT = "click_wpedit";
inline constexpr const char* DUI_MSGTYPE_CLICK_WPSELECT = "click_wpselect";
inline constexpr const char* DUI_MSGTYPE_CLICK_SELECT_END = "click_select_end";
inline constexpr const char* DUI_MSGTYPE_CLICK_HANDDELETE = "click_handdelete";

inline constexpr const char* kAllNotifyTypes[] = {
    DUI_MSGTYPE_CLICK,          DUI_MSGTYPE_SELECTCHANGED,   DUI_MSGTYPE_ITEMSELECT,
    DUI_MSGTYPE_ITEMCLICK,      DUI_MSGTYPE_ITEMACTIVATE,    DUI_MSGTYPE_WINDOWINIT,
    DUI_MSGTYPE_VALUECHANGED,   DUI_MSGTYPE_MOVEVALUECHANGED, DUI_MSGTYPE_TEXTCHANGED,
    DUI_MSGTYPE_KILLFOCUS,      DUI_MSGTYPE_SETFOCUS,        DUI_MSGTYPE_TIMER,
    DUI_MSGTYPE_MENU,           DUI_MSGTYPE_DBCLICK,         DUI_MSGTYPE_COLORCHANGED,
    DUI_MSGTYPE_RETURN,         DUI_MSGTYPE_WINDOWSIZE,      DUI_MSGTYPE_MOUSEENTER,
    DUI_MSGTYPE_MOUSELEAVE,     DUI_MSGTYPE_CLICK_WPREMOVE,  DUI_MSGTYPE_CLICK_WPADD,
    DUI_MSGTYPE_CLICK_WPEDIT,   DUI_MSGTYPE_CLICK_WPSELECT,  DUI_MSGTYPE_CLICK_SELECT_END,
    DUI_MSGTYPE_CLICK_HANDDELETE,
};

// Skin class names (element names) and interface names of the stock controls.
inline constexpr const char* DUI_CTR_CONTROL = "Control";
inline constexpr const char* DUI_CTR_CONTAINER = "Container";
inline constexpr const char* DUI_CTR_HORIZONTALLAYOUT = "HorizontalLayout";
inline constexpr const char* DUI_CTR_VERTICALLAYOUT = "VerticalLayout";
inline constexpr const char* DUI_CTR_TABLAYOUT = "TabLayout";
inline constexpr const char* DUI_CTR_LABEL = "Label";
inline constexpr const char* DUI_CTR_BUTTON = "Button";
inline constexpr const char* DUI_CTR_OPTION = "Option";
inline constexpr const char* DUI_CTR_EDIT = "Edit";
inline constexpr const char* DUI_CTR_COMBO = "Combo";
inline constexpr const char* DUI_CTR_LIST = "List";
inline constexpr const char* DUI_CTR_LISTITEM = "ListItem";
inline constexpr const char* DUI_CTR_LISTLABELELEMENT = "ListLabelElement";
inline constexpr const char* DUI_CTR_LISTCONTAINERELEMENT = "ListContainerElement";
inline constexpr const char* DUI_CTR_LISTHEADER = "ListHeader";
inline constexpr const char* DUI_CTR_LISTHEADERITEM = "ListHeaderItem";
inline constexpr const char* DUI_CTR_SLIDER = "Slider";
inline constexpr const char* DUI_CTR_PROGRESS = "Progress";
inline constexpr const char* DUI_CTR_COLORPALETTE = "ColorPalette";
inline constexpr const char* DUI_CTR_RICHEDIT = "RichEdit";
inline constexpr const char* DUI_CTR_ILISTOWNER = "IListOwner";
inline constexpr const char* DUI_CTR_ICONTAINER = "IContainer";

// Control events (what the window's input becomes for one control).
enum UIEVENT : int {
  UIEVENT_FIRST = 1,
  UIEVENT_MOUSEMOVE,
  UIEVENT_MOUSELEAVE,
  UIEVENT_MOUSEENTER,
  UIEVENT_MOUSEHOVER,
  UIEVENT_BUTTONDOWN,
  UIEVENT_BUTTONUP,
  UIEVENT_RBUTTONDOWN,
  UIEVENT_RBUTTONUP,
  UIEVENT_DBLCLICK,
  UIEVENT_CONTEXTMENU,
  UIEVENT_SCROLLWHEEL,
  UIEVENT_KEYDOWN,
  UIEVENT_KEYUP,
  UIEVENT_CHAR,
  UIEVENT_SETFOCUS,
  UIEVENT_KILLFOCUS,
  UIEVENT_TIMER,
  UIEVENT_SETCURSOR,
  UIEVENT_LAST,
};

struct TEventUI {
  int Type = 0;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse{};
  unsigned short chKey = 0;
  WORD wKeyState = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Control flags (GetControlFlags).
inline constexpr UINT UIFLAG_TABSTOP = 0x00000001;
inline constexpr UINT UIFLAG_SETCURSOR = 0x00000002;
inline constexpr UINT UIFLAG_WANTRETURN = 0x00000004;

// FindControl flags.
inline constexpr UINT UIFIND_ALL = 0x00000000;
inline constexpr UINT UIFIND_VISIBLE = 0x00000001;
inline constexpr UINT UIFIND_ENABLED = 0x00000002;
inline constexpr UINT UIFIND_HITTEST = 0x00000004;
inline constexpr UINT UIFIND_ME_FIRST = 0x80000000;

// Text alignment flags of DrawText.
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_NOPREFIX = 0x0800;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;

// One notification: type, sender, arguments and the time it was raised
// (milliseconds of the steady clock).
struct TNotifyUI {
  CDuiString sType;
  CDuiString sVirtualWnd;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse{};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

// Sees window messages before the controls do.
class IMessageFilterUI {
 public:
  virtual ~IMessageFilterUI() = default;
  virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

}  // namespace talmi
