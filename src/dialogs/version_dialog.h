#pragma once
// The version dialog, as the menu command sees it.

namespace tw {

struct AppContext;

// Shows the version dialog modally and unloads it when it is closed. The
// dialog itself comes with its own change; until then nothing shows.
void ShowVersionDialog(AppContext& ctx);

}  // namespace tw
