#include "window/window_layout.h"

#include "core/app_context.h"
#include "platform/main_window.h"

namespace tw {

void ApplyWindowSettings(AppContext& ctx) {
    MainWindow& window = *ctx.platform.window;
    window.Load();
    const Settings& s = ctx.live.Settings;
    // Height for no status lines yet: the pad row and its margins.
    window.SetBounds(s.WindowLeft, s.WindowTop, s.WindowWidth, s.PadSize + 13);
}

}  // namespace tw
