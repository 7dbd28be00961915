#pragma once
#include <cstdint>

namespace tw {

struct AppContext;

// Player command codes and the kinds of event that issue them.
enum : int16_t { kCmdCloseDevice = -1, kCmdStartList = -2 };
enum : int16_t { kEventDirect = 0 };

// Carries out a player command. The player engine and its device arrive
// with playback; until then no device is ever open, so closing it (the only
// command issued so far, at exit) has nothing to do.
inline void RunPlayerCommand(AppContext&, int16_t /*code*/, int16_t /*eventKind*/,
                             bool /*overSameButton*/ = false) {}

}  // namespace tw
