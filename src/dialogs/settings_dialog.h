#pragma once
// The settings dialog, as the menu command sees it.

namespace tw {

struct AppContext;

// Shows the settings dialog modally and returns when it is closed, with
// SettingsApplied (closed with OK) and FoldersChanged (the folders or the
// use of tags changed) set in the run-time state. The dialog itself comes
// with its own change; until then it is never applied.
void SetStart(AppContext& ctx);

}  // namespace tw
