#include "window/keyboard.h"

#include "model/app_context.h"
#include "platform/clock.h"
#include "platform/main_window.h"
#include "playback/player.h"
#include "window/visibility.h"

namespace tw {

namespace {

const char kCrLf[] = "\r\n";

std::string KeyName(int32_t vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, static_cast<char>(vk));
    // Appended to a std::string, not a literal plus a temporary: g++ 12
    // warns falsely (-Wrestrict) on the inlined insert of the latter.
    if (vk >= 0x70 && vk <= 0x87) return std::string("F") += std::to_string(vk - 0x6F);
    if (vk >= 0x60 && vk <= 0x69) return std::string("Num ") += std::to_string(vk - 0x60);
    switch (vk) {
    case 0x20: return "Space";
    case 0x08: return "Backspace";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x13: return "Pause";
    case 0x21: return "PageUp";
    case 0x22: return "PageDown";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x2D: return "Insert";
    case 0x2E: return "Delete";
    default: return "キー" + std::to_string(vk);
    }
}

bool HeldAsHotkey(const AppContext& ctx, MediaKey key) {
    return (ctx.run.MediaKeysHeld >> static_cast<int>(key)) & 1;
}

// The pad that runs the same command.
int PadOf(MediaKey key) {
    switch (key) {
    case MediaKey::Previous: return 0;
    case MediaKey::PlayPause: return 1;
    case MediaKey::Stop: return 2;
    case MediaKey::Next: return 3;
    }
    return 1;
}

void Summon(AppContext& ctx) {
    WindowRuntime& win = ctx.win;
    MainWindow& window = *ctx.platform.window;
    // A hide the user asked for earlier gives way to this newer request.
    if (win.VisibilityState >= 30) win.VisibilityState = 0;
    ctx.run.WakeRequest = true;
    // At once, not at the next tick: only while this key's message is
    // handled may the program take the foreground from another.
    RunVisibilityTick(ctx);
    if (window.BoxEnabled()) window.FocusBox();
    window.SelectAllBoxText();
}

}  // namespace

std::string ChordName(int32_t chord) {
    std::string name;
    if (chord & (kChordControl << 8)) name += "Ctrl+";
    if (chord & (kChordAlt << 8)) name += "Alt+";
    if (chord & (kChordShift << 8)) name += "Shift+";
    return name += KeyName(chord & 0xFF);
}

void ReleaseKeyboard(AppContext& ctx) {
    MainWindow& window = *ctx.platform.window;
    RuntimeState& run = ctx.run;
    if (run.HotkeyHeld) window.UnregisterHotkey(kSummonHotkey);
    for (int i = 0; i < 4; ++i)
        if ((run.MediaKeysHeld >> i) & 1) window.UnregisterHotkey(kFirstMediaHotkey + i);
    if (run.ShellHookOn) window.WatchShellCommands(false);
    run.HotkeyHeld = false;
    run.MediaKeysHeld = 0;
    run.ShellHookOn = false;
}

void ApplyKeyboard(AppContext& ctx, bool atStartUp) {
    ReleaseKeyboard(ctx);
    MainWindow& window = *ctx.platform.window;
    RuntimeState& run = ctx.run;
    const Settings& s = ctx.live.Settings;
    if (s.Hotkey != 0) {
        run.HotkeyHeld = window.RegisterHotkey(kSummonHotkey, s.Hotkey);
        if (!run.HotkeyHeld) {
            const std::string text = "ホットキー " + ChordName(s.Hotkey) + " は他のプログラムが使っています" +
                                     kCrLf + "設定の「拡張」で別のキーを選んでください";
            if (atStartUp) {
                run.StartNotice += (run.StartNotice.empty() ? "" : kCrLf) + text;
            } else {
                run.MessageText = text;
                run.MessageTime = ctx.platform.clock->GetTickCount();
            }
        }
    }
    if (!s.MediaKeys) return;
    for (int i = 0; i < 4; ++i)
        if (window.RegisterHotkey(kFirstMediaHotkey + i, kMediaKeyCodes[i])) run.MediaKeysHeld |= 1 << i;
    // The shell is only needed for keys another program holds; where it
    // cannot tell (it refuses), those keys act while the window has focus.
    if (run.MediaKeysHeld != 0xF) run.ShellHookOn = window.WatchShellCommands(true);
}

void OnHotkey(AppContext& ctx, int id) {
    if (ctx.run.Quitting) return;
    if (id == kSummonHotkey) {
        Summon(ctx);
    } else if (id >= kFirstMediaHotkey && id < kFirstMediaHotkey + 4) {
        OnMediaKey(ctx, static_cast<MediaKey>(id - kFirstMediaHotkey), KeySource::Hotkey);
    }
}

bool OnMediaKey(AppContext& ctx, MediaKey key, KeySource source) {
    const Settings& s = ctx.live.Settings;
    if (ctx.run.Quitting || !s.MediaKeys) return false;
    // A key held as a hotkey comes only that way; anything else is the
    // same press seen again.
    if ((source == KeySource::Hotkey) != HeldAsHotkey(ctx, key)) return false;
    if (!s.UseInternalPlayer || ctx.live.PlayCount <= 0) return false;
    RunPlayerCommand(ctx, ctx.run.PadCommands[PadOf(key)], kEventDirect, false);
    return true;
}

}  // namespace tw
