#include "window/visibility.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/app_context.h"
#include "model/defaults.h"
#include "model/version.h"
#include "platform/clock.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "window/rest.h"

namespace tw {

namespace {

// The fade and dim lengths in ms. They divide the elapsed time, so each is
// at least a tenth of a second whatever the settings hold.
struct Timing {
    uint32_t fadeIn, dimStart, dimLength, hideStart, hideLength, fadeOut;
};

Timing TimingOf(const Settings& s) {
    const auto& p = s.AutoHideParams;
    auto tenths = [](int v) { return static_cast<uint32_t>(std::max(v, 0)) * 100; };
    Timing t;
    t.fadeIn = tenths(std::max<int>(p[0], 1));
    t.dimStart = tenths(p[1]);
    t.dimLength = tenths(std::max(p[2] - p[1], 1));
    t.hideStart = tenths(p[3]);
    t.hideLength = tenths(std::max(p[4] - p[3], 1));
    t.fadeOut = tenths(std::max<int>(p[5], 1));
    return t;
}

float Fraction(uint32_t part, uint32_t whole) {
    return static_cast<float>(static_cast<double>(part) / static_cast<double>(whole));
}

// now - ms, for a FadeBase that lies ms in the past (rounded, halves even).
uint32_t Before(uint32_t now, double ms) {
    return now - static_cast<uint32_t>(std::max(RoundHalfEven(ms), 0));
}

void Step(AppContext& ctx, const Timing& t, uint32_t now) {
    WindowRuntime& win = ctx.win;
    const Settings& s = ctx.live.Settings;
    MainWindow& window = *ctx.platform.window;
    const uint32_t elapsed = ElapsedMs(now, win.FadeBase);
    int16_t& state = win.VisibilityState;

    switch (state) {
    case 1:  // waking
        window.SelectAllBoxText();
        if (win.Opacity > 0 && window.BoxEnabled()) window.FocusBox();
        if (!s.UseTransparency) {
            SetOpacity(ctx, 1.0f);
            state = 10;
        } else {
            win.FadeBase = now;
            state = 2;
        }
        break;
    case 2: {  // fading in
        const float f = Fraction(elapsed, t.fadeIn);
        if (f < 1) {
            SetOpacity(ctx, f);
        } else {
            SetOpacity(ctx, 1.0f);
            state = 10;
        }
        break;
    }
    case 10:
        state = 20;
        break;
    case 20:
        if (s.AutoHide) {
            win.FadeBase = now;
            state = 21;
        }
        break;
    case 21:
        if (elapsed > t.dimStart) state = 22;
        break;
    case 22: {  // dimming to 40 %
        const float f = elapsed < t.dimStart ? 0.0f : Fraction(elapsed - t.dimStart, t.dimLength);
        if (f < 1) {
            SetOpacity(ctx, 1.0f - 0.6f * f);
        } else {
            SetOpacity(ctx, 0.4f);
            state = 23;
        }
        break;
    }
    case 23:
        if (elapsed > t.hideStart) state = 24;
        break;
    case 24: {  // fading out
        const float f = elapsed < t.hideStart ? 0.0f : Fraction(elapsed - t.hideStart, t.hideLength);
        if (f < 1) {
            SetOpacity(ctx, 0.4f * (1.0f - f));
        } else {
            SetOpacity(ctx, 0.0f);
            state = 25;
        }
        break;
    }
    case 25:
        state = 0;
        break;
    case 30:  // hide requested
        if (s.UseTransparency) {
            win.FadeBase = Before(now, (1.0 - win.Opacity) * t.fadeOut);
            state = 31;
        } else {
            SetOpacity(ctx, 0.0f);
            state = 0;
        }
        break;
    case 31: {
        const float f = Fraction(elapsed, t.fadeOut);
        if (f < 1) {
            SetOpacity(ctx, 1.0f - f);
        } else {
            SetOpacity(ctx, 0.0f);
            state = 0;
        }
        break;
    }
    default:  // 0 and anything unknown: no step
        break;
    }
}

}  // namespace

void RunVisibilityTick(AppContext& ctx) {
    WindowRuntime& win = ctx.win;
    RuntimeState& run = ctx.run;
    // A message box opened from inside the tick lets timer ticks through.
    if (win.InVisibilityTick || win.NoticeOpen) return;
    win.InVisibilityTick = true;

    MainWindow& window = *ctx.platform.window;
    const uint32_t now = ctx.platform.clock->GetTickCount();
    const Timing t = TimingOf(ctx.live.Settings);

    // A hidden window can have no pointer over it; it is not asked then.
    std::optional<PixelPoint> pointer;
    PixelRect bounds;
    if (win.Opacity > 0) {
        pointer = window.CursorPos();
        bounds = window.Bounds();
    }
    win.PointerOver = pointer && bounds.Contains(pointer->x, pointer->y);

    const bool menuOrDialog = run.VersionDialogOpen || run.OpenMenuCount != 0 || run.SettingsDialogOpen;
    const bool inUse = win.PressedPad >= 0 || run.WakeRequest || win.Dragging || menuOrDialog ||
                       run.Renaming || win.ButtonCaptured || win.PointerOver;
    const bool wanted = run.WakeRequest || menuOrDialog || win.PointerOver;

    int16_t& state = win.VisibilityState;
    if (state == 0 && inUse) {
        state = 1;
    } else if (state >= 20 && state <= 29) {
        if (win.Opacity == 1.0f) {
            if (inUse) state = 20;  // the idle countdown starts over
        } else if (win.Dragging) {
            state = 20;  // the opacity stays as it is while dragged
        } else if (wanted) {
            // Fade in from the present opacity, not from nothing.
            win.FadeBase = Before(now, t.fadeIn * static_cast<double>(win.Opacity));
            state = 2;
        }
    }

    if (run.OpenMenuCount == 0 && run.WakeRequest && !window.TimerEnabled(TimerId::Popup)) {
        if (win.Opacity == 0.0f) SetOpacity(ctx, 0.001f);
        BringToFront(ctx);
    }

    Step(ctx, t, now);

    run.WakeRequest = false;
    if (win.Opacity > 0 && !pointer) {  // shown during this tick
        pointer = window.CursorPos();
        bounds = window.Bounds();
    }
    TrackPads(ctx, win.Opacity > 0 ? pointer : std::nullopt, bounds);
    win.InVisibilityTick = false;
    SettleTimers(ctx);
}

void SetOpacity(AppContext& ctx, float x) {
    WindowRuntime& win = ctx.win;
    if (x == win.Opacity) return;
    MainWindow& window = *ctx.platform.window;
    window.SetVisible(x != 0.0f);
    if (ctx.live.Settings.UseTransparency) {
        if (x != 1.0f) {
            const int alpha = std::clamp(RoundHalfEven(static_cast<double>(x) * 255.0), 0, 255);
            window.SetLayeredStyle(true);
            window.SetLayeredAlpha(static_cast<uint8_t>(alpha));
        } else {
            // Fully opaque is an ordinary window again.
            window.SetLayeredAlpha(255);
            window.SetLayeredStyle(false);
        }
    }
    win.Opacity = x;

    // The notice comes once the window has gone, so what it says is true
    // while it is read. It is cleared first: ticks run while it is open.
    if (x == 0.0f && ctx.run.FirstRun) {
        ctx.run.FirstRun = false;
        win.NoticeOpen = true;
        ctx.platform.boxes->Show(kFirstRunNotice, AppCaption(),
                                 BoxIcon::Information, BoxButtons::Ok, BoxDefault::First);
        win.NoticeOpen = false;
    }
}

int PadPicture(int pad, int16_t state, bool playing) {
    static constexpr int kColumn[4] = {1, 2, 3, 4};
    const int column = pad == 1 && playing ? 5 : kColumn[pad];
    return 5 * state + column;
}

void TrackPads(AppContext& ctx, std::optional<PixelPoint> pointer, PixelRect window) {
    WindowRuntime& win = ctx.win;
    const WindowGeometry& g = win.Geometry;
    const int x0 = window.left + g.pads[0].left, y0 = window.top + g.pads[0].top, p = g.padSize;

    win.HoverPad = -1;
    if (pointer && p > 0 && pointer->x >= x0 && pointer->x < x0 + 4 * p && pointer->y >= y0 &&
        pointer->y < y0 + p)
        win.HoverPad = static_cast<int16_t>((pointer->x - x0) / p);

    const int16_t ps = ctx.player.PlayerState;
    win.PadPlaying = (ps >= 10 && ps < 40) || ps >= 80;

    std::array<bool, 4> disabled{};
    if (ctx.live.PlayCount == 0)
        disabled.fill(true);
    else
        disabled[2] = (ps == 0 || ps >= 40) && ctx.player.PlayPosition == 0 && ps != 81;

    MainWindow& view = *ctx.platform.window;
    for (int i = 0; i < 4; ++i) {
        int16_t& st = win.PadState[i];
        if (disabled[i]) st = 0;
        else if (st == 0) st = 1;

        const bool hover = win.HoverPad == i, pressed = win.PressedPad == i;
        switch (st) {
        case 1:
            if (hover && win.PressedPad == -1) st = 2;
            break;
        case 2:
            if (pressed && hover) st = 3;
            else if (!pressed && !hover) st = 1;
            break;
        case 3:
            if (!hover || !pressed) st = 2;
            break;
        default:
            break;
        }

        if (i == 1) {
            if (win.PadShown[1] == st && win.PadPlayingShown == win.PadPlaying) continue;
            win.PadPlayingShown = win.PadPlaying;
        } else if (win.PadShown[i] == st) {
            continue;
        }
        win.PadShown[i] = st;
        view.SetPadPicture(i, PadPicture(i, st, win.PadPlaying));
    }
}

void BringToFront(AppContext& ctx) { ctx.platform.window->BringToFront(); }

}  // namespace tw
