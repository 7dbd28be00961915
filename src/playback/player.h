#pragma once
#include <cstdint>

namespace tw {

struct AppContext;

// Player command codes and the kinds of event that issue them.
enum : int16_t { kCmdCloseDevice = -1, kCmdStartList = -2 };
enum : int16_t { kEventDirect = 0 };

// The player engine arrives with playback. Until then no device is ever
// opened, so these have nothing to do: closing finds nothing open, a held
// button never exists, and a started list is shown as stopped.
inline void RunPlayerCommand(AppContext&, int16_t /*code*/, int16_t /*eventKind*/,
                             bool /*overSameButton*/ = false) {}
inline void HeldCommandStep(AppContext&) {}
inline void PlayerStep(AppContext&) {}

}  // namespace tw
