#pragma once
// Popup menus. A menu is a top-level window of its own, opened at a screen
// point; it closes on a choice, on Escape, or when it loses the focus to a
// window outside the menu. A choice sends WM_MENUCLICK to the owner window
// with wParam pointing at a MenuCmd; the menu owns the command and frees it
// when the send returns, so the owner reads it and must not free it.
#include <vector>

#include "toolkit/menu_model.h"
#include "toolkit/paint_manager.h"
#include "toolkit/window_wnd.h"

namespace talmi {

inline constexpr UINT WM_MENUCLICK = WM_USER + 121;  // 1145

struct MenuCmd {
  CDuiString szName;
  CDuiString szText;
};
// The command carried by a WM_MENUCLICK (null for another wParam of 0).
inline const MenuCmd* MenuCmdFrom(WPARAM wParam) { return reinterpret_cast<const MenuCmd*>(wParam); }

// Where the menu goes relative to the point: Left = the menu's left edge at
// the point (it opens to the right), Right = its right edge at the point,
// Top = its top at the point (opens downwards), Bottom = its bottom there.
enum MenuAlignment : UINT {
  eMenuAlignment_Left = 1 << 1,
  eMenuAlignment_Top = 1 << 2,
  eMenuAlignment_Right = 1 << 3,
  eMenuAlignment_Bottom = 1 << 4,
};

class CMenuBodyUI;

class CMenuWnd : public CWindowWnd {
 public:
  // Loads the menu (text, res.xml entry or file) and opens it at pt (screen
  // pixels). Returns the open menu, which deletes itself when closed, or
  // null when the menu cannot be read or shown.
  static CMenuWnd* Open(HWND owner, const CDuiString& xml, POINT pt,
                        UINT alignment = eMenuAlignment_Left | eMenuAlignment_Top);

  CDuiString GetWindowClassName() const override { return "MenuWnd"; }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND hWnd) override;

  // Closes the whole menu (its sub-menus and, from a sub-menu, its parents).
  void CloseMenu();
  HWND GetOwner() const { return m_owner; }
  const std::vector<MenuItem>& Items() const { return m_items; }
  // Row rectangles in client pixels, one per item.
  RECT ItemRect(int index) const;
  int HotIndex() const { return m_hot; }
  CMenuWnd* SubMenu() const { return m_sub; }
  CPaintManagerUI& GetPaintManager() { return m_pm; }

 private:
  CMenuWnd() = default;
  ~CMenuWnd() override;
  bool Show(HWND owner, CMenuWnd* parent, std::vector<MenuItem> items, POINT pt, UINT alignment);
  SIZE Measure();
  int ItemAt(POINT client) const;
  void SetHot(int index);
  void MoveHot(int step);
  void Activate(int index);
  void OpenSub(int index);
  void CloseSub();
  CMenuWnd* Root();
  void OnKey(WPARAM vk);
  void CheckFocus();

  friend class CMenuBodyUI;
  CPaintManagerUI m_pm;
  std::vector<MenuItem> m_items;
  std::vector<RECT> m_rows;
  HWND m_owner = nullptr;  // the window commands go to
  CMenuWnd* m_parent = nullptr;
  CMenuWnd* m_sub = nullptr;
  int m_subIndex = -1;
  int m_hot = -1;
  MenuCmd m_chosen;
  bool m_hasChoice = false;
};

}  // namespace talmi
