#pragma once

#include "library/folder_scan.h"
#include "platform/message_pump.h"

namespace tw {

struct AppContext;

// A job of the program: its pump and its cancel and exit flags.
JobControl JobOf(AppContext& ctx);

// A registration run over the program's library and files.
Registration RegistrationOf(AppContext& ctx);

// The NextTimer event: runs exactly one job (registration, tag reading,
// search or play-all through the shell) to its end, yielding to the window
// between items, and moves AppState to the job's outcome.
void RunWorkStep(AppContext& ctx);

// Hands every search hit to the shell's player, in hit order.
void PlayAllExternal(AppContext& ctx);

}  // namespace tw
