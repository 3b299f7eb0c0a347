// Pop-up menus as plain data: what a view builds its menu items from, and what tests
// read the captions from. A click on an item goes back to the owning model with the
// item's command and tag.
#pragma once

#include <string>
#include <vector>

namespace tessel {

struct MenuItemSpec {
  std::string name;     // component name, e.g. "SubMenuRecDataType4"
  std::string caption;  // shown text
  int command = -1;     // the owning model's command; -1 for items that only open a sub-menu
  int tag = 0;          // the value the command takes
  bool enabled = true;
  bool separator = false;
  std::vector<MenuItemSpec> items;  // the sub-menu, in order
};

inline MenuItemSpec MenuSeparator() {
  MenuItemSpec item;
  item.caption = "-";
  item.separator = true;
  return item;
}

}  // namespace tessel
