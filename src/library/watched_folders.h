#pragma once
// Keeping the library up to date by itself: the music folders are watched,
// and a root whose folder changed is registered again once the folder has
// been quiet for a while and the program rests.
#include <cstdint>

#include "platform/message_pump.h"

namespace tw {

struct AppContext;

// A changed folder is registered again this long after its last change.
constexpr uint32_t kQuietMs = 3000;
// How often the watches are asked.
constexpr uint32_t kPollMs = 250;

// Watches each configured folder anew when the settings ask for it and
// stops every watch when they do not. A change seen and not yet registered
// stays noted for a folder still configured at the same place. A folder
// that cannot be watched now is tried again at the next call.
void ArmWatches(AppContext& ctx);
void StopWatches(AppContext& ctx);

// Asks the watches at most every kPollMs and, once a changed folder has
// been quiet for kQuietMs while the program rests, moves AppState to 43 to
// register its root again (one root at a time, in the folders' order).
void WatchTick(AppContext& ctx);

// Whether the program rests: idle, no menu or dialog open, not renaming.
bool ProgramRests(const AppContext& ctx);

// The job of state 41 for ctx.watch.RefreshRoot: registers that root's
// folder again into ctx.watch.Fresh, with its tags when the settings use
// them (texts of files unchanged since they were read are kept), then puts
// it in place of the old root. Counts what came and went. False, and the
// library as it was, when the job is stopped.
bool RegisterRootAgain(AppContext& ctx, const JobControl& job);

}  // namespace tw
