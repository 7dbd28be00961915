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
