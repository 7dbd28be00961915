#pragma once
// Building the popup menus from the program's state each time one is
// shown.
#include <cstdint>
#include <string>

#include "model/menu_items.h"

namespace tw {

struct AppContext;

// The menus of a kind (0: the hit list; 1: the main menu with the hit
// list, the play list and the file operations as sub-menus) from the
// state as it is now. Another kind builds nothing.
MenuModel BuildMenuModel(const AppContext& ctx, int16_t kind);

// "01 (&1)  name": the 1-based number in at least two digits, the access
// key of the index, two blanks and the name.
std::string ListItemCaption(int index, const std::string& fileName);

// The access key of a list index: 1 to 9, 0, then a to z, again from the
// 37th entry.
char ListAccessKey(int index);

}  // namespace tw
