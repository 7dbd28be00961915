#include "window/window_input.h"

#include <algorithm>
#include <cstdlib>

#include "library/folder_scan.h"
#include "model/app_context.h"
#include "model/defaults.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/main_window.h"
#include "platform/shell.h"
#include "playback/player.h"
#include "window/visibility.h"

namespace tw {

namespace {

const char kCrLf[] = "\r\n";

bool HidingOnRequest(const AppContext& ctx) { return ctx.win.VisibilityState >= 30; }

int16_t ToInt16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

void CancelDrag(AppContext& ctx) {
    WindowRuntime& win = ctx.win;
    win.Dragging = false;
    ctx.platform.window->SetTimerEnabled(TimerId::Move, false);
    // Back where the drag began; the stored position never changed.
    ctx.platform.window->MoveTo(win.DragStartLeft, win.DragStartTop);
}

bool EndsWithMp3(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return tail == ".mp3";
}

// Without the internal player nothing would play a dropped list, so its
// MP3 files go to the shell's player, as a search's hits do.
void PlayDropExternally(AppContext& ctx) {
    const StateRecord& live = ctx.live;
    RuntimeState& run = ctx.run;
    int handed = 0;
    const SearchHit* last = nullptr;
    for (int16_t i = 0; i < live.PlayCount; ++i) {
        const SearchHit& e = live.PlayList[i];
        if (!EndsWithMp3(e.FileName)) continue;
        ctx.platform.shell->Execute(true, e.FullPath(), "", "", kSwShowNA);
        ++handed;
        last = &e;
    }
    if (handed == 0)
        run.MessageText = "再生できませんでした";
    else if (handed == 1)
        run.MessageText = "再生完了 (外部)" + std::string(kCrLf) + last->FileName + " ( " + last->FolderPath + ")";
    else
        run.MessageText = "一括再生完了 (外部) " + std::to_string(handed) + " / " + std::to_string(handed);
}

}  // namespace

void Form_KeyDown(AppContext& ctx, int16_t& keyCode, int16_t) {
    if (HidingOnRequest(ctx)) return;
    RuntimeState& run = ctx.run;
    MainWindow& window = *ctx.platform.window;
    if (keyCode == kKeyReturn && window.BoxEnabled()) {
        window.SelectAllBoxText();
        if (run.AppState == 21 || run.AppState == 31) run.AppState = 50;
        else if (run.AppState == 91) run.AppState = 95;
        keyCode = 0;
    } else if (keyCode == kKeyEscape) {
        if (ctx.win.Dragging) {
            CancelDrag(ctx);
        } else {
            switch (run.AppState) {
            case 41:
            case 42:
            case 51:
            case 64: run.CancelRequested = true; break;
            case 91: run.AppState = 98; break;
            default: break;
            }
        }
        keyCode = 0;
    }
    run.WakeRequest = true;  // every key keeps or brings the window on screen
}

void Tb_KeyPress(int16_t& keyAscii) {
    if (keyAscii == kKeyReturn || keyAscii == kKeyEscape) keyAscii = 0;
}

void Form_MouseDown(AppContext& ctx, int16_t button, int16_t, int x, int y) {
    WindowRuntime& win = ctx.win;
    RuntimeState& run = ctx.run;
    MainWindow& window = *ctx.platform.window;
    if (HidingOnRequest(ctx)) return;

    switch (button) {
    case kButtonLeft:
        if (run.OpenMenuCount != 0) return;
        // Any press starts a drag; a click without movement leaves the
        // window where it is.
        win.Dragging = true;
        window.SetTimerEnabled(TimerId::Move, true);
        win.GrabX = x;
        win.GrabY = y;
        {
            const PixelRect b = window.Bounds();
            win.DragStartLeft = b.left;
            win.DragStartTop = b.top;
        }
        return;
    case kButtonRight:
        if (win.Dragging || run.OpenMenuCount != 0) return;
        // The menu must not open inside the mouse event: PopupTimer does it.
        run.PendingMenu = 1;
        window.SetTimerEnabled(TimerId::Popup, true);
        return;
    default:
        break;
    }

    const Settings& s = ctx.live.Settings;
    if (!s.UseInternalPlayer || ctx.live.PlayCount <= 0) return;
    for (int i = 0; i < 3; ++i) {
        if (button != (1 << (i + 2))) continue;
        RunPlayerCommand(ctx, s.ButtonMap[i + 2], kEventButtonDown, false);
        run.MessageTime = 0;
        win.ExtraButtonHeld[i] = true;
        win.ButtonCaptured = true;
        window.SetCapture(true);  // the release must come here wherever it happens
    }
}

void Form_MouseUp(AppContext& ctx, int16_t button, int16_t, int, int) {
    WindowRuntime& win = ctx.win;
    MainWindow& window = *ctx.platform.window;
    if ((button & kButtonLeft) && win.Dragging) {
        win.Dragging = false;
        MoveTimer_Timer(ctx);  // a last move; it also stops the timer
        const PixelRect b = window.Bounds();
        ctx.live.Settings.WindowLeft = ToInt16(b.left);
        ctx.live.Settings.WindowTop = ToInt16(b.top);
    }
    for (int i = 0; i < 3; ++i) {
        if (!(button & (1 << (i + 2))) || !win.ExtraButtonHeld[i]) continue;
        RunPlayerCommand(ctx, ctx.live.Settings.ButtonMap[i + 2], kEventButtonUp, false);
        win.ExtraButtonHeld[i] = false;
        win.ButtonCaptured = false;
        window.SetCapture(false);
    }
}

int WheelSteps(int delta) {
    const double notches = std::abs(static_cast<double>(delta)) / 120.0;
    return std::max(RoundHalfEven(notches - 1.0) + 1, 0);
}

void Form_MouseWheel(AppContext& ctx, int delta) {
    const Settings& s = ctx.live.Settings;
    if (!s.UseInternalPlayer || ctx.live.PlayCount <= 0) return;
    const int16_t code = delta >= 1 ? s.ButtonMap[0] : s.ButtonMap[1];
    for (int n = WheelSteps(delta); n > 0; --n) RunPlayerCommand(ctx, code, kEventWheelStep, false);
}

void IM_MouseDown(AppContext& ctx, int index, int16_t button, int16_t, int, int) {
    WindowRuntime& win = ctx.win;
    if (index < 0 || index > 3) return;
    if (button == kButtonLeft && win.PadState[index] > 0) {
        win.PressedPad = static_cast<int16_t>(index);
        RunPlayerCommand(ctx, ctx.run.PadCommands[index], kEventPadDown, false);
    }
    win.LastPadButton = button;
}

void IM_MouseUp(AppContext& ctx, int index, int16_t button, int16_t, int, int) {
    WindowRuntime& win = ctx.win;
    if (index < 0 || index > 3) return;
    if ((button & kButtonLeft) && win.PadState[index] > 0) {
        win.PressedPad = -1;
        // Over the same pad is judged by where the pointer was last seen.
        RunPlayerCommand(ctx, ctx.run.PadCommands[index], kEventPadUp, index == win.HoverPad);
    }
}

void IM_DblClick(AppContext& ctx, int index) {
    // The second click of a double click arrives as this, not as a press.
    IM_MouseDown(ctx, index, ctx.win.LastPadButton, 0, 0, 0);
}

void Form_OLEDragDrop(AppContext& ctx, const std::vector<std::string>& paths) {
    StateRecord& live = ctx.live;
    RuntimeState& run = ctx.run;
    FileSystem& fs = *ctx.platform.files;
    const int16_t oldCount = live.PlayCount;
    live.PlayCount = 0;
    long long leftOut = 0;
    auto append = [&](std::string folder, std::string name) {
        if (!AppendCapped(live.PlayList, live.PlayCount, SearchHit{"", std::move(folder), std::move(name)}))
            ++leftOut;
    };
    for (const std::string& path : paths) {
        if (GetAttributesSafe(fs, path) & kAttrDirectory) {
            std::string folder = path;
            if (folder.empty() || folder.back() != '\\') folder += '\\';
            for (std::string& name : ListFolderEntries(fs, path)) append(folder, std::move(name));
        } else {
            // A file, or a path whose attributes cannot be read: the player
            // reports it if it cannot be opened.
            const size_t slash = path.rfind('\\');
            const size_t cut = slash == std::string::npos ? 0 : slash + 1;
            append(path.substr(0, cut), path.substr(cut));
        }
    }

    run.MessageTime = ctx.platform.clock->GetTickCount();
    if (live.PlayCount <= 0) {
        live.PlayCount = oldCount;  // nothing was written over the old list
        run.MessageText = "再生できませんでした";
        return;
    }
    ctx.player.PlayIndex = 0;
    if (!live.Settings.UseInternalPlayer) {
        PlayDropExternally(ctx);
    } else {
        run.MessageText = "一括再生します  ( " + std::to_string(live.PlayCount) + " 曲 )";
        RunPlayerCommand(ctx, kCmdStartList, kEventDirect, false);
    }
    if (leftOut > 0)
        run.MessageText += kCrLf + std::string("上限を超えたため ") + std::to_string(leftOut) +
                           " 個のファイルを再生リストに入れられませんでした";
}

void MoveTimer_Timer(AppContext& ctx) {
    WindowRuntime& win = ctx.win;
    MainWindow& window = *ctx.platform.window;
    // Stops itself on the tick after the drag ended.
    window.SetTimerEnabled(TimerId::Move, win.Dragging);
    const PixelPoint p = window.CursorPos();
    window.MoveTo(p.x - win.GrabX, p.y - win.GrabY);
}

}  // namespace tw
