#pragma once
// The internal player: plays the play list entry after entry through the
// multimedia device. Commands only set the next state; PlayerStep, run once
// per main tick, talks to the device.
#include <cstdint>

namespace tw {

struct AppContext;

enum : int16_t {
    kCmdStop = 0,
    kCmdPlayPause = 1,
    kCmdPlay = 2,
    kCmdCurrentTrack = 3,
    kCmdFastForward = 4,
    kCmdRewind = 5,
    kCmdNextTrack = 6,
    kCmdPreviousTrack = 7,
    kCmdNextOrForward = 8,
    kCmdPreviousOrRewind = 9,
    kCmdCloseDevice = -1,
    kCmdStartList = -2,
};

// Where a command comes from.
enum : int16_t {
    kEventDirect = 0,
    kEventWheelStep = 1,
    kEventButtonDown = 2,
    kEventButtonUp = 3,
    kEventPadDown = 4,
    kEventPadUp = 5,
};

// The one entry point for player commands. `overSameButton` matters only
// for a pad release: whether the pointer is still over that pad.
void RunPlayerCommand(AppContext& ctx, int16_t code, int16_t eventKind, bool overSameButton = false);

// Repeats a held button: at once, then from 800 ms every 250 ms.
void HeldCommandStep(AppContext& ctx);

// One step of the engine's state machine.
void PlayerStep(AppContext& ctx);

// Moves the current entry by -1, 0 or +1, wrapping both ways; does nothing
// with an empty play list.
void MoveInList(AppContext& ctx, int16_t delta);

// Moves the position by `delta` ms within the entry.
void SeekBy(AppContext& ctx, int32_t delta);

}  // namespace tw
