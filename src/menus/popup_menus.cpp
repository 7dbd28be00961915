#include "menus/popup_menus.h"

#include "model/app_context.h"
#include "platform/main_window.h"
#include "window/visibility.h"

namespace tw {

void ShowPopupMenu(AppContext& ctx, int16_t kind) {
    if (kind != kMenuHits && kind != kMenuMain) return;
    ctx.platform.window->TrackPopupMenu(BuildMenuModel(ctx, kind));
}

void PopupTimer_Timer(AppContext& ctx) {
    // A menu asked for while the window is hidden waits until it shows.
    if (!(ctx.win.Opacity > 0)) return;
    BringToFront(ctx);
    ctx.platform.window->SetTimerEnabled(TimerId::Popup, false);
    ShowPopupMenu(ctx, ctx.run.PendingMenu);
}

void DestroyMenus(AppContext& ctx) { ctx.platform.window->DestroyMenus(); }

}  // namespace tw
