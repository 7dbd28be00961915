#include "menus/popup_menus.h"

#include "core/app_context.h"

namespace tw {

void ShowPopupMenu(AppContext& ctx, int16_t) { ctx.run.PendingMenu = -1; }

}  // namespace tw
