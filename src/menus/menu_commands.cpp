#include "menus/menu_commands.h"

#include <string>

#include "dialogs/settings_dialog.h"
#include "dialogs/version_dialog.h"
#include "library/watched_folders.h"
#include "menus/menu_model.h"
#include "model/app_context.h"
#include "platform/clock.h"
#include "platform/system.h"
#include "playback/file_ops.h"
#include "playback/play_list_ops.h"
#include "playback/player.h"
#include "window/window_layout.h"
#include "window/keyboard.h"
#include "window/type_ahead.h"

namespace tw {

namespace {

bool HasCurrentEntry(const AppContext& ctx) {
    const int16_t i = ctx.player.PlayIndex;
    return i >= 0 && i < ctx.live.PlayCount && static_cast<size_t>(i) < ctx.live.PlayList.size();
}

void OpenSettings(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    run.SettingsDialogOpen = true;
    SetStart(ctx);
    run.SettingsDialogOpen = false;
    run.WakeRequest = true;
    Settings& s = ctx.live.Settings;
    if (!run.SettingsApplied) {
        RepaintOutline(ctx, s.BackColor, s.TextColor);  // undo a colour preview
        return;
    }
    run.AppState = 10;
    if (!s.UseInternalPlayer) {
        RunPlayerCommand(ctx, kCmdCloseDevice, kEventDirect, false);
        ctx.live.PlayCount = 0;
        ctx.live.PlayList.Clear();
    }
    ApplyWindowSettings(ctx);
    ApplyKeyboard(ctx, false);
    DropTypeAheadResult(ctx);  // found with the old search targets
    ArmWatches(ctx);           // the folders, or whether to watch them, may have changed
    if (run.FoldersChanged) run.AppState = 40;
}

void DeleteCurrentFile(AppContext& ctx) {
    if (!HasCurrentEntry(ctx)) return;
    // While the shell asks its question the window must not hide.
    ctx.run.Renaming = true;
    DeleteToRecycleBin(ctx, ctx.live.PlayList[ctx.player.PlayIndex].FullPath());
    ctx.run.Renaming = false;
}

void PlayListEntry(AppContext& ctx, int index) {
    if (ctx.platform.system->ShiftDown()) {
        // The current entry's folder, whichever entry was chosen.
        if (!HasCurrentEntry(ctx)) return;
        const SearchHit& e = ctx.live.PlayList[ctx.player.PlayIndex];
        ctx.run.MessageText = "フォルダを開きます... \r\n" + e.FolderPath + e.FileName;
        ctx.run.MessageTime = ctx.platform.clock->GetTickCount();
        OpenFolder(ctx, e.RootPath + e.FolderPath);
        return;
    }
    if (index >= ctx.live.PlayCount) return;  // from a list that has since shrunk
    ctx.player.PlayIndex = static_cast<int16_t>(index);
    RunPlayerCommand(ctx, kCmdStartList, kEventDirect, false);
}

}  // namespace

void RunMenuCommand(AppContext& ctx, int32_t id) {
    RuntimeState& run = ctx.run;
    // Taken once: a step below may change AppState.
    const bool idle = run.AppState == 21 || run.AppState == 31;

    switch (id) {
    case kMenuExit: run.AppState = -1; break;
    case kMenuVersion:
        run.VersionDialogOpen = true;
        ShowVersionDialog(ctx);
        run.VersionDialogOpen = false;
        break;
    case kMenuPlayAll:
        if (idle) {
            run.ChosenHit = -1;
            run.AppState = 60;
        } else if (run.AppState == 64) {
            run.CancelRequested = true;
        }
        break;
    case kMenuSearch:
        if (idle) run.AppState = 50;
        else if (run.AppState == 51) run.CancelRequested = true;
        break;
    case kMenuRegister:
        if (idle) run.AppState = 40;
        else if (run.AppState == 41) run.CancelRequested = true;
        break;
    case kMenuSettings: OpenSettings(ctx); break;
    case kMenuHide: ctx.win.VisibilityState = 30; break;
    case kMenuShuffle: ShufflePlayList(ctx); break;
    case kMenuRename:
        if (idle) run.AppState = 90;
        else if (run.AppState == 91) run.AppState = 98;
        break;
    case kMenuDelete:
        if (idle) DeleteCurrentFile(ctx);
        break;
    default: break;
    }

    if (id >= kMenuPlayerBase && id < kMenuPlayerBase + 100) {
        RunPlayerCommand(ctx, static_cast<int16_t>(id - kMenuPlayerBase), kEventDirect, false);
    } else if (id >= kMenuHitBase && id < kMenuPlayListBase) {
        if (idle) {
            run.ChosenHit = static_cast<int16_t>(id - kMenuHitBase);
            run.AppState = 60;
        }
    } else if (id >= kMenuPlayListBase && id < kMenuPlayListBase + 1000) {
        PlayListEntry(ctx, id - kMenuPlayListBase);
    }
}

}  // namespace tw
