#include "window/keyboard.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "model/defaults.h"
#include "playback/player.h"
#include "window/visibility.h"
#include "window/window_layout.h"

namespace tw {
namespace {

struct App : test::TestApp {
    App() {
        SetDefaults(ctx.live.Settings, 1024, 768);
        ApplyWindowSettings(ctx);
        ctx.run.AppState = 21;
        for (int i = 0; i < 3; ++i)
            AppendCapped(ctx.live.PlayList, ctx.live.PlayCount, SearchHit{"C:\\m\\", "", std::to_string(i) + ".mp3"});
    }
};

TEST(Window_Keyboard, ChordNamesReadAsPrinted) {
    const struct {
        int32_t chord;
        const char* name;
    } cases[] = {
        {kDefaultHotkey, "Ctrl+Alt+Space"},
        {(kChordShift | kChordControl) << 8 | 'M', "Ctrl+Shift+M"},
        {kChordAlt << 8 | 0x78, "Alt+F9"},
        {kChordControl << 8 | 0x2D, "Ctrl+Insert"},
        {kChordControl << 8 | 0x61, "Ctrl+Num 1"},
    };
    for (const auto& c : cases) EXPECT_EQ(ChordName(c.chord), c.name);
}

// Each media key runs its pad's command once, whichever way it came, and
// a key held as a hotkey is not taken a second time from the window or
// the shell.
TEST(Window_Keyboard, EachMediaKeyActsOnceByWhicheverWayItCame) {
    const struct {
        MediaKey key;
        int16_t fromIdle, fromPlaying;  // PlayerState after the key
    } keys[] = {
        {MediaKey::PlayPause, 10, 50},
        {MediaKey::Stop, 0, 40},
        {MediaKey::Next, 70, 30},
        {MediaKey::Previous, 70, 30},
    };
    const struct {
        const char* what;
        bool held;  // the media keys are the program's hotkeys
        KeySource source;
        bool acts;
    } ways[] = {
        {"held, as a hotkey", true, KeySource::Hotkey, true},
        {"held, from the window", true, KeySource::Window, false},
        {"held, from the shell", true, KeySource::Shell, false},
        {"taken, from the window", false, KeySource::Window, true},
        {"taken, from the shell", false, KeySource::Shell, true},
        {"taken, as a hotkey", false, KeySource::Hotkey, false},
    };
    for (const auto& way : ways) {
        for (const auto& k : keys) {
            SCOPED_TRACE(std::string(way.what) + ", key " + std::to_string(static_cast<int>(k.key)));
            App app;
            if (!way.held)
                for (int32_t code : kMediaKeyCodes) app.window.takenChords.insert(code);
            ApplyKeyboard(app.ctx, true);
            EXPECT_EQ(app.ctx.run.MediaKeysHeld, way.held ? 0xF : 0);
            app.ctx.player.PlayerState = 11;  // playing
            app.ctx.player.PlayIndex = 1;
            EXPECT_EQ(OnMediaKey(app.ctx, k.key, way.source), way.acts);
            EXPECT_EQ(app.ctx.player.PlayerState, way.acts ? k.fromPlaying : 11);
            if (way.acts && (k.key == MediaKey::Next || k.key == MediaKey::Previous)) {
                EXPECT_EQ(app.ctx.player.PlayIndex, k.key == MediaKey::Next ? 2 : 0);
            }
            app.ctx.player.PlayerState = 0;
            app.ctx.player.PlayPosition = 0;
            if (way.source == KeySource::Hotkey && way.acts) {
                OnHotkey(app.ctx, kFirstMediaHotkey + static_cast<int>(k.key));
                EXPECT_EQ(app.ctx.player.PlayerState, k.fromIdle);
            }
        }
    }
}

TEST(Window_Keyboard, MediaKeysRestWhenOffOrWithNothingToPlay) {
    const struct {
        const char* what;
        void (*edit)(AppContext&);
    } cases[] = {
        {"media keys off", [](AppContext& c) { c.live.Settings.MediaKeys = kFalse; }},
        {"the shell's player", [](AppContext& c) { c.live.Settings.UseInternalPlayer = kFalse; }},
        {"an empty play list", [](AppContext& c) { c.live.PlayCount = 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        App app;
        c.edit(app.ctx);
        ApplyKeyboard(app.ctx, true);
        EXPECT_FALSE(OnMediaKey(app.ctx, MediaKey::PlayPause, KeySource::Window));
        OnHotkey(app.ctx, kFirstMediaHotkey);
        EXPECT_EQ(app.ctx.player.PlayerState, 0);
    }
    // Off, they are not held at all: other programs keep them.
    App off;
    off.ctx.live.Settings.MediaKeys = kFalse;
    ApplyKeyboard(off.ctx, true);
    EXPECT_EQ(off.window.hotkeys.size(), 1u);
    EXPECT_FALSE(off.window.shellWatched);
}

TEST(Window_Keyboard, TheShellIsAskedOnlyForKeysTakenAndMayRefuse) {
    App all;
    ApplyKeyboard(all.ctx, true);
    EXPECT_EQ(all.window.hotkeys.size(), 5u);
    EXPECT_FALSE(all.ctx.run.ShellHookOn);

    App refused;  // as under Wine: the shell will not tell
    refused.window.takenChords.insert(kMediaKeyCodes[0]);
    refused.window.shellRefuses = true;
    ApplyKeyboard(refused.ctx, true);
    EXPECT_EQ(refused.ctx.run.MediaKeysHeld, 0xE);
    EXPECT_FALSE(refused.ctx.run.ShellHookOn);
    // The key still acts while the window has the focus.
    EXPECT_TRUE(OnMediaKey(refused.ctx, MediaKey::PlayPause, KeySource::Window));

    // Applying again lets go of everything first; releasing leaves nothing.
    App again;
    again.window.takenChords.insert(kMediaKeyCodes[1]);
    ApplyKeyboard(again.ctx, true);
    ApplyKeyboard(again.ctx, false);
    EXPECT_EQ(again.window.hotkeys.size(), 4u);
    EXPECT_TRUE(again.window.shellWatched);
    ReleaseKeyboard(again.ctx);
    EXPECT_TRUE(again.window.hotkeys.empty());
    EXPECT_FALSE(again.window.shellWatched);
}

TEST(Window_Keyboard, ATakenChordIsToldOnTheStatusLine) {
    App start;
    start.window.takenChords.insert(kDefaultHotkey);
    start.ctx.run.StartNotice = "dat を読み込めなかったため、dat.broken として残しました";
    ApplyKeyboard(start.ctx, true);
    EXPECT_FALSE(start.ctx.run.HotkeyHeld);
    EXPECT_EQ(start.ctx.run.StartNotice,
              "dat を読み込めなかったため、dat.broken として残しました\r\n"
              "ホットキー Ctrl+Alt+Space は他のプログラムが使っています\r\n"
              "設定の「拡張」で別のキーを選んでください");

    App later;  // after the settings: at once, as a fresh message
    later.window.takenChords.insert(kChordAlt << 8 | 'Q');
    later.ctx.live.Settings.Hotkey = kChordAlt << 8 | 'Q';
    later.clock.now = 5000;
    ApplyKeyboard(later.ctx, false);
    EXPECT_EQ(later.ctx.run.MessageText,
              "ホットキー Alt+Q は他のプログラムが使っています\r\n設定の「拡張」で別のキーを選んでください");
    EXPECT_EQ(later.ctx.run.MessageTime, 5000u);
    EXPECT_TRUE(later.ctx.run.StartNotice.empty());

    App none;  // no hotkey wanted: nothing held, nothing said
    none.ctx.live.Settings.Hotkey = 0;
    ApplyKeyboard(none.ctx, true);
    EXPECT_EQ(none.window.hotkeys.count(kSummonHotkey), 0u);
    EXPECT_TRUE(none.ctx.run.StartNotice.empty());
}

// The chord brings the window up from every state, in front, with the
// focus in the box and its text selected.
TEST(Window_Keyboard, TheChordSummonsTheWindowFromEveryState) {
    const struct {
        int16_t state;
        float opacity;
        bool transparency;
    } cases[] = {
        {0, 0.0f, true},   // hidden
        {23, 0.4f, true},  // dimmed
        {21, 1.0f, true},  // shown, behind other windows
        {31, 0.5f, true},  // fading out on request
        {30, 1.0f, false},  // a hide requested, no translucency
        {0, 0.0f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        App app;
        app.ctx.live.Settings.UseTransparency = ToVBool(c.transparency);
        SetOpacity(app.ctx, c.opacity);
        app.ctx.win.VisibilityState = c.state;
        app.window.boxFocused = app.window.boxSelected = false;
        OnHotkey(app.ctx, kSummonHotkey);
        EXPECT_EQ(app.window.broughtToFront, 1);
        EXPECT_TRUE(app.window.visible);
        EXPECT_GT(app.ctx.win.Opacity, 0.0f);
        EXPECT_TRUE(app.window.boxFocused);
        EXPECT_TRUE(app.window.boxSelected);
        EXPECT_LT(app.ctx.win.VisibilityState, 30);
        // It stays: the next ticks fade it in rather than out.
        for (int i = 0; i < 40; ++i) {
            app.clock.Advance(50);
            RunVisibilityTick(app.ctx);
        }
        EXPECT_EQ(app.ctx.win.Opacity, 1.0f);
    }
}

}  // namespace
}  // namespace tw
