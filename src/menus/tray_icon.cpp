#include "menus/tray_icon.h"

#include <string>

#include "model/app_context.h"
#include "model/state_record.h"
#include "model/version.h"
#include "platform/main_window.h"

namespace tw {

void SetTrayIcon(AppContext& ctx, TrayAction action) {
    MainWindow& window = *ctx.platform.window;
    if (action == TrayAction::Add)
        window.AddTrayIcon(AppCaption());
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
