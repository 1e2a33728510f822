#pragma once
// The items of a popup menu as read from a menu file:
//   <Menu>
//     <MenuElement name="about_menu" text="About"/>
//     <MenuElement separator="true"/>           (or <Separator/>)
//     <MenuElement name="more" text="More" enabled="false"> ...sub-items... </MenuElement>
//   </Menu>
// Texts may be language keys ("%[key]" or resourcetext="true").
#include <vector>

#include "toolkit/dui_string.h"

namespace talmi {

struct MenuItem {
  CDuiString name;
  CDuiString text;
  bool enabled = true;
  bool separator = false;
  std::vector<MenuItem> children;  // non-empty: the item opens a sub-menu

  bool HasSubMenu() const { return !children.empty(); }
  // Can be hot and chosen with mouse or keys.
  bool Selectable() const { return enabled && !separator; }
};

// Sub-menus nest at most this deep; deeper levels are dropped.
inline constexpr int kMaxMenuDepth = 8;

// xml: menu text (starting with "<"), a res.xml entry or a file under the
// resource path. False (with a debug line and error) when it cannot be read
// or has no items.
[[nodiscard]] bool LoadMenuItems(const CDuiString& xml, std::vector<MenuItem>& items, CDuiString* error = nullptr);

}  // namespace talmi
