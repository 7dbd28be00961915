#pragma once

namespace tw {

struct AppContext;

// Lays the main window out from the settings, loading it first if needed.
// For now it places the window at its stored position and width with the
// height of the pad row; the full layout and drawing come with the window's
// own issue.
void ApplyWindowSettings(AppContext& ctx);

}  // namespace tw
