#pragma once
#include <cstdint>

namespace tw {

struct AppContext;

enum class TrayAction { Add, Delete };

// Adds the notification-area icon (tip "Tunewhistle 3.10") or deletes it.
void SetTrayIcon(AppContext& ctx, TrayAction action);

// A click on the icon (the mouse message it reports): the left button
// brings the window back, the right one asks for the main menu too.
// Ignored while the window hides on request.
void OnTrayIconMessage(AppContext& ctx, uint32_t mouseMessage);

}  // namespace tw
