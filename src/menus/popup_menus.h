#pragma once

namespace tw {

struct AppContext;

// Destroys the popup menus of the last build. No menu is built before the
// menus arrive, so there is nothing to destroy yet.
inline void DestroyMenus(AppContext&) {}

// The PopupTimer event: opens the menu asked for (PendingMenu) outside the
// mouse event that asked for it. The timer is one-shot; until the menus
// arrive there is nothing to open, so it only stops itself.
void PopupTimer_Timer(AppContext& ctx);

}  // namespace tw
