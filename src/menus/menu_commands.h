#pragma once
// What a chosen menu item does.
#include <cstdint>

namespace tw {

struct AppContext;

// Carries out the command of a menu identifier (the whole 32-bit wParam of
// the command message). Most commands only set AppState for the main tick,
// ask a running job to stop or pass a player command on. Identifiers of no
// menu, like the notifications of child controls, do nothing.
void RunMenuCommand(AppContext& ctx, int32_t id);

}  // namespace tw
