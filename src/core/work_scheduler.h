#pragma once

namespace tw {

struct AppContext;

// The NextTimer event: runs exactly one job (registration, tag reading,
// search or play-all through the shell) to its end, yielding to the window
// between items, and moves AppState to the job's outcome.
void RunWorkStep(AppContext& ctx);

// Hands every search hit to the shell's player, in hit order.
void PlayAllExternal(AppContext& ctx);

}  // namespace tw
