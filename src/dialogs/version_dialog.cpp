#include "dialogs/version_dialog.h"

#include "core/app_context.h"

namespace tw {

void ShowVersionDialog(AppContext&) {}

}  // namespace tw
