#pragma once

namespace tw {

struct AppContext;

// Records the opacity the main window should have (0 to 1). Applying it to
// the window, with the fading and hiding around it, arrives with the
// auto-hide tick; until then the window stays as shown.
void SetOpacity(AppContext& ctx, float x);

}  // namespace tw
