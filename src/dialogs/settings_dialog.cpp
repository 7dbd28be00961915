#include "dialogs/settings_dialog.h"

#include "core/app_context.h"

namespace tw {

void SetStart(AppContext& ctx) {
    ctx.run.SettingsApplied = false;
    ctx.run.FoldersChanged = false;
}

}  // namespace tw
