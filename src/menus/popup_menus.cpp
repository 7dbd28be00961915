#include "menus/popup_menus.h"

#include "core/app_context.h"
#include "platform/main_window.h"

namespace tw {

void ShowPopupMenu(AppContext& ctx, int16_t kind) {
    if (kind != kMenuHits && kind != kMenuMain) return;
    ctx.platform.window->TrackPopupMenu(BuildMenuModel(ctx, kind));
}

void DestroyMenus(AppContext& ctx) { ctx.platform.window->DestroyMenus(); }

}  // namespace tw
