#pragma once
#include <cstdint>
#include <string>

namespace tw {

struct AppContext;

// One tick of the application state machine, run by MainTimer.
void MainTick(AppContext& ctx);

// Shows the fresh message, or the resting text once the message is older
// than 2.5 s (always the message while a job or the exit is busy).
void ShowStatus(AppContext& ctx);

// Minutes (at least two digits) and seconds of a duration: 65,432 gives
// "01:05". Negative durations round toward minus infinity.
std::string FormatTime(int32_t ms);

}  // namespace tw
