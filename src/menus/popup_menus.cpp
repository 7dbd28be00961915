#include "menus/popup_menus.h"

#include "core/app_context.h"
#include "platform/main_window.h"

namespace tw {

void PopupTimer_Timer(AppContext& ctx) {
    ctx.platform.window->SetTimerEnabled(TimerId::Popup, false);
    ctx.run.PendingMenu = -1;
}

}  // namespace tw
