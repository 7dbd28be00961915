#pragma once
#include <cstdint>

namespace tw {

struct AppContext;

// Destroys the popup menus of the last build. No menu is built before the
// menus arrive, so there is nothing to destroy yet.
inline void DestroyMenus(AppContext&) {}

// Builds and opens the popup menu of a kind (0: the search hits, 1: the
// main menu) at the pointer; the choice comes back as a command message.
// The menus arrive with their own change; until then nothing opens.
void ShowPopupMenu(AppContext& ctx, int16_t kind);

}  // namespace tw
