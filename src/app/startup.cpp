#include "app/startup.h"

#include "core/data_file.h"
#include "library/watched_folders.h"
#include "menus/popup_menus.h"
#include "menus/tray_icon.h"
#include "menus/window_hook.h"
#include "model/app_context.h"
#include "model/defaults.h"
#include "platform/clock.h"
#include "platform/dialog_host.h"
#include "platform/files.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "playback/player.h"
#include "playback/resume_point.h"
#include "window/keyboard.h"
#include "window/visibility.h"
#include "window/window_layout.h"

namespace tw {

int32_t ClassifyOs(const OsVersion& v) {
    switch (v.platformId) {
    case 0: return kOsWin32s;
    case 1: return v.minor == 0 ? kOsWin95 : kOsWin98;
    default:
        if (v.major == 3) return kOsNt3;
        if (v.major == 4) return kOsNt4;
        return kOsNt5;
    }
}

int32_t GetOsKind(SystemInfo& system) { return ClassifyOs(system.GetVersion()); }

std::string DataPath(AppContext& ctx) {
    return DataFilePath(ctx.platform.system->ProgramFolder());
}

void InitRuntime(AppContext& ctx) {
    ctx.random.seed(ctx.platform.clock->GetTickCount());
    ctx.run = RuntimeState{};  // pads 9 1 0 8, AppState 0, no flags
    ctx.player = PlayerRuntime{};  // idle, no held command
    ctx.win = WindowRuntime{};     // opacity never applied, no line shown
    ctx.run.OsKind = GetOsKind(*ctx.platform.system);
}

void StartUp(AppContext& ctx) {
    SystemInfo& system = *ctx.platform.system;
    if (system.AnotherInstanceRunning()) {
        ctx.platform.boxes->Show(kAlreadyRunningText, kAppTitle, BoxIcon::Information,
                                 BoxButtons::Ok, BoxDefault::First);
        return;
    }
    InitRuntime(ctx);

    StateRecord rec;
    FileSystem& fs = *ctx.platform.files;
    const std::string path = DataPath(ctx);
    const LoadOutcome outcome = LoadState(fs, *ctx.platform.codec, path, rec);
    if (outcome != LoadOutcome::Loaded || rec.Version != kVersionText) {
        // One flipped byte must not cost the whole library: a file that is
        // there but cannot be used is kept beside the new one.
        if (outcome != LoadOutcome::Missing && fs.ReplaceFile(path, path + kBrokenSuffix))
            ctx.run.StartNotice = std::string(kDataFileName) + " を読み込めなかったため、" + kDataFileName +
                                  kBrokenSuffix + " として残しました";
        SetDefaults(ctx.live.Settings, system.ScreenWidth(), system.ScreenHeight());
        ctx.platform.shell->Execute(false, system.ProgramFolder() + "\\readme.txt", "", "",
                                    kSwShowNA);
        SaveState(ctx);  // a failure here surfaces at the next exit
        ctx.run.FirstRun = true;
    } else {
        ctx.live = std::move(rec);
        ctx.run.FirstRun = false;
    }

    if (ctx.run.OsKind != kOsNt5) ctx.live.Settings.UseTransparency = kFalse;

    PlaceOnAMonitor(ctx);  // a monitor that was unplugged must not take the window with it
    ApplyWindowSettings(ctx);
    ApplyKeyboard(ctx, true);
    TakeResumePoint(ctx);
    ArmWatches(ctx);
    if (ctx.live.Settings.UseTransparency) SetOpacity(ctx, 0.0f);
    ctx.platform.window->Show();
}

bool SaveState(AppContext& ctx) {
    const std::string path = DataPath(ctx);
    ctx.live.Version = kVersionText;
    return WriteStateFile(*ctx.platform.files, *ctx.platform.codec, path, ctx.live);
}

void ExitProgram(AppContext& ctx) {
    KeepResumePoint(ctx);
    if (!SaveState(ctx)) {
        const std::string text = std::string("設定を保存している際にエラーが発生しました") +
                                 "\r\n" + "設定ファイル " + kDataFileName +
                                 " が編集可能であるか確認してください" + "\r\n" +
                                 "現在の設定を破棄して終了しますか？";
        const BoxAnswer answer = ctx.platform.boxes->Show(
            text, kAppTitle, BoxIcon::Exclamation, BoxButtons::YesNo, BoxDefault::Second);
        if (answer != BoxAnswer::Yes) {
            ctx.run.WakeRequest = true;
            return;
        }
    }
    ctx.run.Quitting = true;
    ctx.run.CancelRequested = true;
    RunPlayerCommand(ctx, kCmdCloseDevice, kEventDirect);
    StopWatches(ctx);

    MainWindow& window = *ctx.platform.window;
    for (TimerId id : {TimerId::Main, TimerId::Next, TimerId::Move, TimerId::Popup, TimerId::Win})
        window.SetTimerEnabled(id, false);
    DestroyMenus(ctx);
    window.UnloadAll();
    if (ctx.platform.dialogs) ctx.platform.dialogs->UnloadDialogs();
}

void Form_Load(AppContext& ctx) {
    MainWindow& window = *ctx.platform.window;
    window.SetBoxText(ctx.live.Settings.Keyword);
    window.SelectAllBoxText();
    InstallHook(ctx);
    SetTrayIcon(ctx, TrayAction::Add);
}

void Form_Unload(AppContext& ctx) {
    ReleaseKeyboard(ctx);
    RemoveHook(ctx);
    SetTrayIcon(ctx, TrayAction::Delete);
}

}  // namespace tw
