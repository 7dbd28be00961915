#pragma once
// Auto-hide, fading and the pads' pictures: the visibility state machine
// that WinTimer steps.
//
// VisibilityState: 0 at rest (hidden, or never used), 1 waking, 2 fading
// in, 10 shown, 20 shown without a countdown, 21 counting idle time,
// 22 dimming, 23 dimmed, 24 fading out, 25 just hidden, 30 hide requested,
// 31 fading out on request.
#include <cstdint>
#include <optional>

#include "model/window_state.h"

namespace tw {

struct AppContext;

// One step: the pointer test, the state machine and the pads. WinTimer's
// handler. Does nothing when called inside itself or while the first-run
// notice is open.
void RunVisibilityTick(AppContext& ctx);

// Applies an opacity from 0 (hidden) to 1 (an ordinary opaque window);
// translucency only when UseTransparency is on. Nothing happens for the
// value applied last. The first hiding after a fresh start shows the
// notice about the notification icon, once.
void SetOpacity(AppContext& ctx, float x);

// Hover and press tracking of the pads and their pictures. `pointer` is
// the pointer's screen position, or nothing while the window is hidden.
void TrackPads(AppContext& ctx, std::optional<PixelPoint> pointer, PixelRect window);

// Picture 1 to 20 of a pad in a state (0 disabled, 1 normal, 2 hot,
// 3 pressed); pad 1 shows pause instead of play while playing.
int PadPicture(int pad, int16_t state, bool playing);

// The window to the foreground, even over another program's window.
void BringToFront(AppContext& ctx);

inline const char kFirstRunNotice[] =
    "Tunewhistle はタスクバーの中に格納されました。\r\n"
    "タスクバーの中の音符のアイコンをクリックすることにより再度表示されます。";

}  // namespace tw
