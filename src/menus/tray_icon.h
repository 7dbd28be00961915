#pragma once

namespace tw {

struct AppContext;

enum class TrayAction { Add, Delete };

// Adds the notification-area icon (tip "Tunewhistle 3.10") or deletes it.
void SetTrayIcon(AppContext& ctx, TrayAction action);

}  // namespace tw
