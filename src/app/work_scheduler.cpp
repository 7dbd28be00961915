#include "app/work_scheduler.h"

#include "library/folder_scan.h"
#include "library/tag_reader.h"
#include "library/watched_folders.h"
#include "model/app_context.h"
#include "platform/main_window.h"
#include "platform/message_pump.h"
#include "platform/shell.h"
#include "search/keyword_search.h"

namespace tw {

JobControl JobOf(AppContext& ctx) { return {*ctx.platform.pump, ctx.run.CancelRequested, ctx.run.Quitting}; }

Registration RegistrationOf(AppContext& ctx) {
    return {ctx.live.Library, *ctx.platform.files, JobOf(ctx), ctx.run.FilesOverLimit, ctx.run.FoldersOverLimit};
}

namespace {

void RegisterFolders(AppContext& ctx) {
    StateRecord& live = ctx.live;
    live.Library.TagsReadCount = 0;
    const WatchFolderSet& folders = live.Settings.WatchFolderSet;
    Registration reg = RegistrationOf(ctx);
    std::vector<std::vector<FileStamp>>& stamps = ctx.watch.TagStamps;
    stamps.assign(folders.WatchFolderCount, {});
    for (int16_t c = 0; c < folders.WatchFolderCount; ++c) {
        live.Search.SearchHits.Clear();
        live.Search.SearchHitCount = 0;
        reg.stamps = &stamps[c];
        RegisterRoot(reg, folders.WatchFolders[c].Path, folders.WatchFolders[c].IncludeSubfolders != 0);
        if (ctx.run.CancelRequested) break;
    }
    // The folders are watched from the library they now give; one that
    // could not be watched before is tried again.
    ArmWatches(ctx);
    if (ctx.run.CancelRequested) {
        ctx.run.AppState = 47;
    } else if (live.Settings.UseTagInfo) {
        ctx.platform.window->SetTimerEnabled(TimerId::Next, true);  // tag reading follows
        ctx.run.AppState = 42;
    } else {
        ctx.run.AppState = 48;
    }
}

void ReadAllTags(AppContext& ctx) {
    const int16_t roots = ctx.live.Library.RootCount;
    for (int16_t r = 0; r < roots; ++r) {
        ReadRootTags(ctx.live.Library, *ctx.platform.files, *ctx.platform.codec, JobOf(ctx), r,
                     ctx.live.Settings.PreferId3v2 != 0);
        if (ctx.run.CancelRequested) break;
    }
    ctx.run.AppState = ctx.run.CancelRequested ? 47 : 48;
}

}  // namespace

void PlayAllExternal(AppContext& ctx) {
    const SearchState& s = ctx.live.Search;
    for (int16_t i = 0; i < s.SearchHitCount; ++i) {
        ctx.platform.pump->Yield();
        if (JobOf(ctx).Stopped()) return;
        ctx.run.ChosenHit = i;
        ctx.platform.shell->Execute(true, s.SearchHits[i].FullPath(), "", "", kSwShowNA);
    }
}

void RunWorkStep(AppContext& ctx) {
    ctx.platform.window->SetTimerEnabled(TimerId::Next, false);
    ctx.run.CancelRequested = false;
    switch (ctx.run.AppState) {
    case 41:
        if (ctx.watch.RefreshRoot < 0) {
            RegisterFolders(ctx);
        } else {
            ctx.run.AppState = RegisterRootAgain(ctx, JobOf(ctx)) ? 45 : 46;
            ArmWatches(ctx);
        }
        break;
    case 42:
        ReadAllTags(ctx);
        break;
    case 51:
        SearchTracks(ctx.live.Search, ctx.live.Library, ctx.live.Settings, *ctx.platform.codec, JobOf(ctx),
                     ctx.live.Settings.Keyword);
        ctx.run.AppState = ctx.run.CancelRequested ? 57 : 58;
        break;
    case 64:
        PlayAllExternal(ctx);
        ctx.run.AppState = ctx.run.CancelRequested ? 65 : 66;
        break;
    default:
        // Only the main tick arms the timer, always with one of the states
        // above; a stray event has no job to run.
        break;
    }
}

}  // namespace tw
