#include "app/main_tick.h"

#include <string>

#include "app/startup.h"
#include "model/app_context.h"
#include "platform/clock.h"
#include "platform/main_window.h"
#include "platform/message_pump.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "playback/file_ops.h"
#include "playback/play_list_ops.h"
#include "library/watched_folders.h"
#include "playback/player.h"
#include "window/rest.h"
#include "window/type_ahead.h"
#include "window/window_layout.h"

namespace tw {

namespace {

const char kCrLf[] = "\r\n";
const char kNoFolders[] = "検索するフォルダの設定をしてください";
const char kCheckFolders[] = "検索するフォルダの設定を確認してください";

std::string Num(long long n) { return std::to_string(n); }

uint32_t Now(AppContext& ctx) { return ctx.platform.clock->GetTickCount(); }

const char* FolderAdvice(const AppContext& ctx) {
    return ctx.live.Settings.WatchFolderSet.WatchFolderCount == 0 ? kNoFolders : kCheckFolders;
}

// Entries past a root's 32,767-entry limit are not kept; say how many.
std::string OverLimitNote(const RuntimeState& run) {
    std::string note;
    if (run.FilesOverLimit > 0)
        note += kCrLf + std::string("上限を超えたため ") + Num(run.FilesOverLimit) +
                " 個のファイルを登録できませんでした";
    if (run.FoldersOverLimit > 0)
        note += kCrLf + std::string("上限を超えたため ") + Num(run.FoldersOverLimit) +
                " 個のフォルダを登録できませんでした";
    return note;
}

std::string RefreshPath(const AppContext& ctx) {
    const WatchFolderSet& set = ctx.live.Settings.WatchFolderSet;
    const int16_t c = ctx.watch.RefreshRoot;
    return c >= 0 && c < set.WatchFolderCount ? set.WatchFolders[c].Path : std::string();
}

std::string RefreshProgress(const AppContext& ctx) {
    const TrackLibrary& fresh = ctx.watch.Fresh;
    std::string m = "フォルダの変更を反映中...  ";
    if (fresh.TagsReadCount > 0) m += "タグ情報 " + Num(fresh.TagsReadCount) + " / ";
    m += Num(fresh.RegisteredFileCount) + " 個";
    return m + kCrLf + RefreshPath(ctx);
}

std::string EntryLine(const SearchHit& h) { return kCrLf + h.FileName + " ( " + h.FolderPath + " )"; }

void ComposePlayStatus(AppContext& ctx) {
    const StateRecord& live = ctx.live;
    PlayerRuntime& p = ctx.player;
    RuntimeState& run = ctx.run;
    if (live.PlayCount < 1 || p.PlayIndex < 0 || p.PlayIndex >= live.PlayCount) return;
    const std::string s = EntryLine(live.PlayList[p.PlayIndex]);
    const std::string n = Num(p.PlayIndex + 1);
    std::string times = " ";  // not a literal plus a temporary: g++ 12 warns falsely on that
    times += FormatTime(p.PlayPosition) + "  -" + FormatTime(p.TrackLength - p.PlayPosition);
    switch (p.PlayerState) {
    case 0:
    case 60:
        if (p.PlayPosition == 0) {
            run.IdleText = "停止中 No." + n + s;
            break;
        }
        {
            // Paused: the time shows for half a second of every second.
            const uint32_t now = Now(ctx);
            uint32_t e = ElapsedMs(now, run.BlinkBase);
            if (e > 1500) {
                e = 0;
                run.BlinkBase = now;
            } else if (e >= 1000) {
                run.BlinkBase -= 1000;
            }
            run.IdleText = e <= 500 ? "停止中 No." + n + times + s : "停止中 No." + n + s;
        }
        break;
    case 10:
    case 11:
    case 20:
        run.IdleText = "再生中 No." + n + times + s;
        break;
    case 30:
        run.IdleText = "変更中 No." + n + s;
        break;
    case 80:
    case 81:
        run.IdleText = "エラー No." + n + s;
        break;
    default:
        break;
    }
}

// Returns the next state; `stop` ends the dispatch for this tick.
int16_t PlayChoice(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    const SearchState& search = ctx.live.Search;
    const bool valid = run.ChosenHit >= 0 && run.ChosenHit < search.SearchHitCount;
    if (ctx.platform.system->ShiftDown() && valid) {
        const SearchHit& hit = search.SearchHits[run.ChosenHit];
        run.MessageText = "フォルダを開きます... " + std::string(kCrLf) + hit.FolderPath + hit.FileName;
        run.MessageTime = Now(ctx);
        OpenFolder(ctx, hit.RootPath + hit.FolderPath);
        // A search with one hit comes here still busy; opening a folder is
        // no job, so its message gets the usual 2.5 s and then gives way.
        run.Busy = false;
        return 10;
    }
    if (run.ChosenHit != -1 && !valid) return 10;  // a choice from a list that has since changed
    run.Busy = true;
    if (ctx.live.Settings.UseInternalPlayer) return run.ChosenHit == -1 ? 75 : 70;
    if (run.ChosenHit == -1) {
        ctx.platform.window->SetTimerEnabled(TimerId::Next, true);
        return 64;
    }
    return 61;
}

void PlayOneExternal(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    const SearchHit& hit = ctx.live.Search.SearchHits[run.ChosenHit];
    const std::string t = hit.FileName + " ( " + hit.FolderPath + ")";
    run.MessageText = "再生中... (外部)" + std::string(kCrLf) + t;
    ShowStatus(ctx);  // so the text is drawn while the shell starts the player
    ctx.platform.pump->Yield();
    ctx.platform.shell->Execute(true, hit.FullPath(), "", "", kSwShowNA);
    run.MessageText = "再生完了 (外部)" + std::string(kCrLf) + t;
}

std::string PlayAllProgress(const AppContext& ctx) {
    const RuntimeState& run = ctx.run;
    std::string progress = " ";
    return progress += Num(run.ChosenHit + 1) + " / " + Num(ctx.live.Search.SearchHitCount);
}

// One state's action. Sets the next state and says whether to go on.
bool Step(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    StateRecord& live = ctx.live;
    TrackLibrary& lib = live.Library;
    MainWindow& window = *ctx.platform.window;
    int16_t& state = run.AppState;

    switch (state) {
    case 0:
        run.MessageText = std::string("Tunewhistle") + " version " + "3.10" + kCrLf;
        run.MessageTime = Now(ctx);
        run.WakeRequest = true;
        state = 1;
        return true;
    case 1:
        state = 10;
        if (lib.RegisteredFileCount < 1) run.MessageText += FolderAdvice(ctx);
        else run.MessageText += Num(lib.RegisteredFileCount) + " 個のファイルから検索が出来ます";
        if (!run.StartNotice.empty()) run.MessageText += kCrLf + run.StartNotice;
        return false;
    case 10:
        window.SetBoxEnabled(lib.RegisteredFileCount > 0);
        state = live.Settings.UseInternalPlayer ? 30 : 20;
        return true;
    case 20:
        run.IdleText = lib.RegisteredFileCount < 1 ? FolderAdvice(ctx) : "検索する語句を入力してください";
        state = 21;
        return false;
    case 30:
        if (live.PlayCount == 0) run.IdleText = "停止  待機しています";
        state = 31;
        return true;
    case 31:
        ComposePlayStatus(ctx);
        return false;
    case 40:
        window.SetBoxEnabled(false);
        run.Busy = true;
        window.SetTimerEnabled(TimerId::Next, true);
        lib.RegisteredFileCount = 0;
        lib.LibraryRoots.Clear();
        lib.RootCount = 0;
        ctx.watch.RefreshRoot = -1;
        ctx.watch.TagStamps.clear();
        run.FilesOverLimit = run.FoldersOverLimit = 0;
        run.MessageText = "登録中...";
        state = 41;
        return false;
    case 41:
        if (ctx.watch.RefreshRoot >= 0) {
            run.MessageText = RefreshProgress(ctx);
            return false;
        }
        run.MessageText = "登録中...  現在 " + Num(lib.RegisteredFileCount) + " 個";
        if (lib.RootCount > 0) run.MessageText += kCrLf + lib.LibraryRoots[lib.RootCount - 1].Path;
        return false;
    case 42:
        run.MessageText = "mp3タグ情報読み込み中...  " + std::string(kCrLf) + Num(lib.TagsReadCount) +
                          " / " + Num(lib.RegisteredFileCount);
        return false;
    case 43:  // a watched folder changed: its root alone is registered again
        run.Busy = true;
        window.SetTimerEnabled(TimerId::Next, true);
        run.FilesOverLimit = run.FoldersOverLimit = 0;
        ctx.watch.Fresh = TrackLibrary{};
        run.MessageText = RefreshProgress(ctx);
        state = 41;
        return false;
    case 45: {
        const WatchState& w = ctx.watch;
        run.MessageText = "フォルダの変更を反映しました" + std::string(kCrLf) + "追加 " + Num(w.Added) + " 個・削除 " +
                          Num(w.Removed) + " 個  全 " + Num(lib.RegisteredFileCount) + " 個" + OverLimitNote(run) +
                          kCrLf + RefreshPath(ctx);
        ctx.watch.RefreshRoot = -1;
        state = 49;
        return true;
    }
    case 46:
        run.MessageText = "フォルダの変更の反映を中止しました" + std::string(kCrLf) + RefreshPath(ctx);
        ctx.watch.RefreshRoot = -1;
        ctx.watch.Fresh = TrackLibrary{};
        state = 49;
        return true;
    case 47:
        run.MessageText = "登録中止" + std::string(kCrLf) + Num(lib.RegisteredFileCount);
        if (live.Settings.UseTagInfo)
            run.MessageText += "個のファイルを登録し、" + Num(lib.TagsReadCount) +
                               " 個のファイルのタグ情報を読み込みました";
        else
            run.MessageText += "個のファイルを登録しました";
        run.MessageText += OverLimitNote(run);
        state = 49;
        return true;
    case 48: {
        std::string& m = run.MessageText;
        m = "登録完了" + std::string(kCrLf);
        const int32_t files = lib.RegisteredFileCount, tags = lib.TagsReadCount;
        if (files < 1) m += "ファイルが見つかりませんでした";
        else if (!live.Settings.UseTagInfo) m += Num(files) + "個のファイルを登録しました";
        else if (files == tags) m += Num(files) + "個のファイルを登録し、タグ情報を読み込みました";
        else m += Num(files) + "個のファイルを登録し、" + Num(tags) + " 個のファイルのタグ情報を読み込みました";
        m += OverLimitNote(run);
        state = 49;
        return true;
    }
    case 49:
    case 59:
    case 69:
        run.Busy = false;
        run.MessageTime = Now(ctx);
        state = 10;
        return true;
    case 50:
        live.Settings.Keyword = window.BoxText();
        run.Busy = true;
        // Typed and searched already: the menu opens at once.
        if (TakeTypeAheadResult(ctx, live.Settings.Keyword)) {
            state = 58;
            return true;
        }
        window.SetTimerEnabled(TimerId::Next, true);
        run.MessageText = "検索中..." + std::string(kCrLf) + "0 個のファイルが見つかりました";
        state = 51;
        return false;
    case 51:
        run.MessageText = "検索中..." + std::string(kCrLf) + Num(live.Search.SearchHitCount) +
                          " 個のファイルが見つかりました";
        return false;
    case 57:
        run.MessageText = "検索中止" + std::string(kCrLf) + Num(live.Search.SearchHitCount) +
                          " 個のファイルが見つかりました";
        state = 59;
        return true;
    case 58: {
        const int16_t hits = live.Search.SearchHitCount;
        if (hits == live.Settings.MaxHits) {
            run.MessageText = "検索中止" + std::string(kCrLf) + Num(hits) + " 個以上のファイルが見つかりました";
        } else if (hits == 1) {
            run.ChosenHit = 0;
            state = 60;
            return true;
        } else {
            run.MessageText = "検索完了" + std::string(kCrLf) + Num(hits) + " 個のファイルが見つかりました";
        }
        if (hits > 0) {
            run.PendingMenu = 0;
            window.SetTimerEnabled(TimerId::Popup, true);
        }
        state = 59;
        return true;
    }
    case 60:
        state = PlayChoice(ctx);
        return true;
    case 61:
        PlayOneExternal(ctx);
        state = 69;
        return true;
    case 64:
        run.MessageText = "一括再生中... (外部)";
        if (run.ChosenHit >= 0 && run.ChosenHit < live.Search.SearchHitCount)
            run.MessageText += PlayAllProgress(ctx) + kCrLf + live.Search.SearchHits[run.ChosenHit].FileName;
        return false;
    case 65:
        run.MessageText = "一括再生中止 (外部)";
        if (run.ChosenHit >= 0) run.MessageText += PlayAllProgress(ctx);
        state = 69;
        return true;
    case 66:
        run.MessageText = "一括再生完了 (外部)" + PlayAllProgress(ctx);
        state = 69;
        return true;
    case 70: {
        const SearchHit hit = live.Search.SearchHits[run.ChosenHit];
        live.PlayList.Clear();
        live.PlayCount = 0;
        AppendCapped(live.PlayList, live.PlayCount, hit);
        run.MessageText = "再生します" + std::string(kCrLf) + hit.FileName + " ( " + hit.FolderPath + " )";
        state = 79;
        return true;
    }
    case 75: {
        const int16_t hits = live.Search.SearchHitCount;
        live.PlayCount = hits;
        ctx.player.PlayIndex = 0;
        live.PlayList.Clear();
        live.PlayList.Resize(hits);
        for (int16_t i = 0; i < hits; ++i) live.PlayList[i] = live.Search.SearchHits[i];
        const bool shuffled = live.Settings.ShuffleOnList != 0;
        if (shuffled) ShufflePlayList(ctx);
        run.MessageText = "一括再生します  ( " + Num(hits) + " 曲 " + (shuffled ? "ランダム )" : ")");
        state = 79;
        return true;
    }
    case 79:
        run.Busy = false;
        run.MessageTime = Now(ctx);
        ctx.player.PlayIndex = 0;
        RunPlayerCommand(ctx, kCmdStartList, kEventDirect);
        state = 10;
        return true;
    case 90: {
        if (live.PlayCount < 1) {  // nothing to rename
            state = 10;
            return true;
        }
        window.SetBoxEnabled(true);
        run.SavedBoxText = window.BoxText();
        run.Renaming = true;
        run.RenameItem = live.PlayList[ctx.player.PlayIndex];
        window.SetBoxText(run.RenameItem.FileName);
        window.SelectAllBoxText();
        run.MessageText = "ファイル名を変更します" + std::string(kCrLf) + "ESCでキャンセル";
        run.MessageTime = Now(ctx);
        run.IdleText = "ファイル名を変更します" + std::string(kCrLf) + run.RenameItem.FileName;
        state = 91;
        return false;
    }
    case 95:
        state = RenameCurrentFile(ctx) ? 96 : 97;
        return false;
    case 96:
        run.MessageText = "変更しました" + std::string(kCrLf) + run.RenameItem.FileName;
        state = 99;
        return false;
    case 97:
        run.MessageText = "変更できませんでした" + std::string(kCrLf) + run.RenameItem.FileName;
        state = 99;
        return false;
    case 98:
        run.MessageText = "変更をキャンセルしました" + std::string(kCrLf) + run.RenameItem.FileName;
        state = 99;
        return true;
    case 99:
        run.Renaming = false;
        run.MessageTime = Now(ctx);
        window.SetBoxText(run.SavedBoxText);
        window.SelectAllBoxText();
        state = 10;
        return true;
    case -1:
        run.MessageText = "終了処理中です";
        run.Busy = true;
        ShowStatus(ctx);
        state = -2;
        return false;
    case -2:
        state = 10;
        ExitProgram(ctx);
        if (!run.Quitting) {
            run.Busy = false;
            run.MessageTime = Now(ctx);
        }
        return false;
    default:  // 21, 91 and anything unknown wait
        return false;
    }
}

}  // namespace

std::string FormatTime(int32_t ms) {
    auto floorDiv = [](long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
    const long long s = floorDiv(ms, 1000);
    const long long minutes = floorDiv(s, 60);
    const long long sec = s - minutes * 60;
    std::string m = Num(minutes);
    if (m.size() < 2) m.insert(0, 2 - m.size(), '0');
    return m + ":" + (sec < 10 ? "0" : "") + Num(sec);
}

void ShowStatus(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    if (run.Busy) {
        ShowStatusText(ctx, run.MessageText);
        run.MessageTime = 0;
        return;
    }
    // MessageTime 0 means no fresh message, whatever the tick count is.
    if (run.MessageTime == 0 || ElapsedMs(Now(ctx), run.MessageTime) >= 2500) {
        run.MessageTime = 0;
        ShowStatusText(ctx, run.IdleText);
    } else {
        ShowStatusText(ctx, run.MessageText);
    }
}

void MainTick(AppContext& ctx) {
    RuntimeState& run = ctx.run;
    // A tick that yields (state 61) or waits on a message box (exit) lets
    // timer events through; the tick must not run inside itself.
    if (run.InMainTick) return;
    run.InMainTick = true;
    const bool internal = ctx.live.Settings.UseInternalPlayer != 0;
    if (internal) HeldCommandStep(ctx);
    while (Step(ctx)) {
    }
    if (run.Quitting) {  // the exit routine has unloaded the windows
        run.InMainTick = false;
        return;
    }
    TypeAheadTick(ctx);
    WatchTick(ctx);
    ShowStatus(ctx);
    if (internal) PlayerStep(ctx);
    run.InMainTick = false;
    SettleTimers(ctx);
}

}  // namespace tw
