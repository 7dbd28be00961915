#pragma once

namespace tw {

struct AppContext;

// Destroys the popup menus of the last build. No menu is built before the
// menus arrive, so there is nothing to destroy yet.
inline void DestroyMenus(AppContext&) {}

}  // namespace tw
