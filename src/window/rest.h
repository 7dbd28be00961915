#pragma once
// When the two ever-running ticks have nothing to do: the program at rest
// costs nothing but a rare tick, and any message wakes them.

namespace tw {

struct AppContext;

// The main tick rests in an idle state whose texts cannot change by
// themselves: no job or fresh message, nothing playing, paused or about to
// be searched, no held button.
bool MainTickRests(const AppContext& ctx);

// The visibility tick rests when the window is hidden, or shown for good
// (no auto-hide) with the pointer elsewhere and nothing held, open or
// asked for.
bool VisibilityRests(const AppContext& ctx);

// Sets both timers' rates from the above.
void SettleTimers(AppContext& ctx);

}  // namespace tw
