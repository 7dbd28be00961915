#include "menus/tray_icon.h"

#include <string>

#include "core/app_context.h"
#include "core/state_record.h"
#include "core/startup.h"
#include "platform/main_window.h"

namespace tw {

void SetTrayIcon(AppContext& ctx, TrayAction action) {
    MainWindow& window = *ctx.platform.window;
    if (action == TrayAction::Add)
        window.AddTrayIcon(std::string(kAppTitle) + " " + kVersionText);
    else
        window.RemoveTrayIcon();
}

}  // namespace tw

namespace tw {

void OnTrayIconMessage(AppContext& ctx, uint32_t mouseMessage) {
    constexpr uint32_t kLeftDown = 0x0201, kRightDown = 0x0204;
    if (ctx.win.VisibilityState >= 30) return;
    RuntimeState& run = ctx.run;
    if (mouseMessage == kLeftDown) {
        run.WakeRequest = true;
    } else if (mouseMessage == kRightDown) {
        run.WakeRequest = true;
        run.PendingMenu = 1;
        ctx.platform.window->SetTimerEnabled(TimerId::Popup, true);
    }
}

}  // namespace tw
