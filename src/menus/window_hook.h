#pragma once

namespace tw {

struct AppContext;

// Routes the wheel, the extra mouse buttons, menu commands and the tray
// icon's messages of the main window to the program. The routing arrives
// with the menus; until then the window keeps its own procedure and these
// have nothing to install.
inline void InstallHook(AppContext&) {}
inline void RemoveHook(AppContext&) {}

}  // namespace tw
