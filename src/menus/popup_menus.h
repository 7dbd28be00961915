#pragma once
// Showing the popup menus: the hit list after a search, and the main menu
// on a right click (on the window or its notification icon).
#include <cstdint>

#include "menus/menu_model.h"

namespace tw {

struct AppContext;

// Builds the menus of a kind (0: the hits, 1: the main menu) from the
// state as it is now and opens that menu at the pointer. Returns at once;
// the choice comes back later as a command message. The menus of the
// previous build are destroyed first.
void ShowPopupMenu(AppContext& ctx, int16_t kind);

// The PopupTimer's tick: opens the menu asked for (PendingMenu) once the
// window can be seen, in front of every other window.
void PopupTimer_Timer(AppContext& ctx);

// Destroys the menus of the last build (also at shutdown).
void DestroyMenus(AppContext& ctx);

}  // namespace tw
