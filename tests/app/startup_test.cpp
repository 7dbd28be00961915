#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/main_tick.h"
#include "core/data_file.h"
#include "fakes/fakes.h"
#include "model/defaults.h"

namespace tw {
namespace {

using test::TestApp;

const char kSaveFailedText[] =
    "設定を保存している際にエラーが発生しました\r\n"
    "設定ファイル dat が編集可能であるか確認してください\r\n"
    "現在の設定を破棄して終了しますか？";

std::string StoredFile(TestApp& app, void (*edit)(StateRecord&)) {
    StateRecord rec;
    rec.Version = "3.10";
    SetDefaults(rec.Settings, 800, 600);
    rec.Settings.Keyword = "ジャズ";
    rec.Settings.WindowLeft = 100;
    rec.Settings.WindowTop = 50;
    rec.PlayList.Resize(1);
    rec.PlayList[0] = {"D:\\m\\", "", "a.mp3"};
    rec.PlayCount = 1;
    if (edit) edit(rec);
    return EncodeState(rec, app.codec);
}

const char kFirstRunNoticeText[] =
    "Tunewhistle はタスクバーの中に格納されました。\r\n"
    "タスクバーの中の音符のアイコンをクリックすることにより再度表示されます。";

// A fresh start with translucency begins hidden, and that first hiding
// tells the user where the program went: the notice is used up at once.
void ExpectFirstStart(TestApp& app) {
    EXPECT_FALSE(app.ctx.run.FirstRun);
    ASSERT_EQ(app.boxes.shown.size(), 1u);
    EXPECT_EQ(app.boxes.shown[0].text, kFirstRunNoticeText);
    EXPECT_EQ(app.boxes.shown[0].caption, "Tunewhistle 3.10");
    EXPECT_EQ(app.boxes.shown[0].icon, BoxIcon::Information);
    ASSERT_EQ(app.shell.executed.size(), 1u);
    const auto& call = app.shell.executed[0];
    EXPECT_FALSE(call.ownedByMainWindow);
    EXPECT_EQ(call.file, "C:\\Tools\\Tunewhistle\\readme.txt");
    EXPECT_EQ(call.parameters, "");
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.showMode, 8);
    const std::string& written = app.files.files[app.DataPath()];
    EXPECT_EQ(written.size(), 119u);
    EXPECT_EQ(written.substr(0, 6), std::string("\x04\x00" "3.10", 6));
    EXPECT_EQ(app.ctx.live.Settings.Keyword, "mp3");
}

TEST(Core_StartUp, FirstStartUsesDefaultsOpensReadmeAndWritesTheFile) {
    TestApp app;
    StartUp(app.ctx);
    ExpectFirstStart(app);
    EXPECT_EQ(app.files.files[app.DataPath()], EncodeState([&] {
        StateRecord r;
        r.Version = "3.10";
        SetDefaults(r.Settings, 1024, 768);
        return r;
    }(), app.codec));

    // The window: loaded with the keyword selected in the box, the tray
    // icon added, placed from the settings, transparent, then shown.
    EXPECT_TRUE(app.window.loaded);
    EXPECT_EQ(app.window.boxText, "mp3");
    EXPECT_TRUE(app.window.boxSelected);
    EXPECT_EQ(app.window.trayTip, "Tunewhistle 3.10");
    EXPECT_EQ(app.window.left, 742);
    EXPECT_EQ(app.window.top, 611);
    EXPECT_EQ(app.window.width, 180);
    EXPECT_EQ(app.ctx.win.Opacity, 0.0f);
    EXPECT_TRUE(app.window.shown);
    EXPECT_TRUE(app.window.timers[TimerId::Main]);
    EXPECT_TRUE(app.window.timers[TimerId::Win]);
    EXPECT_FALSE(app.window.timers[TimerId::Next]);
    EXPECT_EQ(app.window.events.back(), "show");
}

// The file is kept beside the new one under its own name, and the start
// banner says so.
TEST(Core_StartUp, ForeignOrBrokenFilesAreTreatedAsAFirstStartAndKeptAside) {
    struct Case { const char* name; std::string (*make)(TestApp&); } cases[] = {
        {"version 3.1", [](TestApp& a) { return StoredFile(a, [](StateRecord& r) { r.Version = "3.1"; }); }},
        {"version with trailing blank", [](TestApp& a) { return StoredFile(a, [](StateRecord& r) { r.Version = "3.10 "; }); }},
        {"version in other case", [](TestApp& a) { return StoredFile(a, [](StateRecord& r) { r.Version = "3.1O"; }); }},
        {"truncated", [](TestApp& a) { return StoredFile(a, nullptr).substr(0, 60); }},
        {"empty", [](TestApp&) { return std::string(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp app;
        const std::string bad = c.make(app);
        app.files.files[app.DataPath()] = bad;
        StartUp(app.ctx);
        ExpectFirstStart(app);
        EXPECT_EQ(app.ctx.live.PlayCount, 0);
        EXPECT_EQ(app.files.files[app.DataPath() + ".broken"], bad);
        EXPECT_FALSE(app.files.files.count(app.DataPath() + ".bak"));
        MainTick(app.ctx);
        EXPECT_EQ(app.ctx.run.MessageText,
                  "Tunewhistle version 3.10\r\n検索するフォルダの設定をしてください\r\n"
                  "dat を読み込めなかったため、dat.broken として残しました");
    }
    // A first start has nothing to keep and nothing to say.
    TestApp fresh;
    StartUp(fresh.ctx);
    MainTick(fresh.ctx);
    EXPECT_FALSE(fresh.files.files.count(fresh.DataPath() + ".broken"));
    EXPECT_EQ(fresh.ctx.run.MessageText, "Tunewhistle version 3.10\r\n検索するフォルダの設定をしてください");
}

TEST(Core_StartUp, AValidFileIsLoadedAndLeftAsItIs) {
    TestApp app;
    const std::string stored = StoredFile(app, nullptr);
    app.files.files[app.DataPath()] = stored;
    StartUp(app.ctx);
    EXPECT_FALSE(app.ctx.run.FirstRun);
    EXPECT_TRUE(app.shell.executed.empty());
    EXPECT_EQ(app.files.files[app.DataPath()], stored);
    for (const auto& op : app.files.log) EXPECT_EQ(op.rfind("write", 0), std::string::npos) << op;
    EXPECT_EQ(app.ctx.live.Settings.Keyword, "ジャズ");
    EXPECT_EQ(app.window.boxText, "ジャズ");
    EXPECT_EQ(app.window.left, 100);
    EXPECT_EQ(app.window.top, 50);
    EXPECT_EQ(app.ctx.live.PlayCount, 1);
    EXPECT_EQ(app.ctx.live.PlayList[0].FileName, "a.mp3");
}

TEST(Core_StartUp, ASecondCopyShowsTheNoticeAndLoadsNothing) {
    TestApp app;
    app.system.otherInstance = true;
    StartUp(app.ctx);
    ASSERT_EQ(app.boxes.shown.size(), 1u);
    const auto& box = app.boxes.shown[0];
    EXPECT_EQ(box.text, "既に起動されています。タスクバーに格納されているアイコンをクリックしてください。");
    EXPECT_EQ(box.caption, "Tunewhistle");
    EXPECT_EQ(box.icon, BoxIcon::Information);
    EXPECT_EQ(box.buttons, BoxButtons::Ok);
    EXPECT_FALSE(app.window.loaded);
    EXPECT_TRUE(app.files.log.empty());
    EXPECT_TRUE(app.shell.executed.empty());
}

TEST(Core_StartUp, OperatingSystemClasses) {
    struct Case { OsVersion v; int32_t kind; } cases[] = {
        {{0, 3, 10}, 0}, {{1, 4, 0}, 1}, {{1, 4, 10}, 2}, {{1, 4, 90}, 2},
        {{2, 3, 51}, 3}, {{2, 4, 0}, 4}, {{2, 5, 0}, 5}, {{2, 6, 1}, 5}, {{2, 10, 0}, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyOs(c.v), c.kind) << c.v.platformId << " " << c.v.major << "." << c.v.minor;
}

TEST(Core_StartUp, OlderSystemsRunWithoutTranslucencyAndSaveItSo) {
    TestApp app;
    app.system.version = {2, 4, 0};
    app.files.files[app.DataPath()] = StoredFile(app, nullptr);
    StartUp(app.ctx);
    EXPECT_EQ(app.ctx.run.OsKind, 4);
    EXPECT_EQ(app.ctx.live.Settings.UseTransparency, kFalse);
    EXPECT_EQ(app.ctx.win.Opacity, -1.0f);  // the window is never made transparent
    ExitProgram(app.ctx);
    StateRecord saved;
    ASSERT_EQ(LoadState(app.files, app.codec, app.DataPath(), saved), LoadOutcome::Loaded);
    EXPECT_EQ(saved.Settings.UseTransparency, kFalse);
}

TEST(Core_StartUp, RuntimeValuesStartAfresh) {
    TestApp app;
    app.ctx.player.HeldCommand = 3;
    app.ctx.win.PadShown = {1, 1, 1, 1};
    app.ctx.run.Quitting = true;
    app.ctx.win.Opacity = 0.5f;
    InitRuntime(app.ctx);
    EXPECT_EQ(app.ctx.player.HeldCommand, -1);
    EXPECT_EQ(app.ctx.run.PadCommands, (std::array<int16_t, 4>{9, 1, 0, 8}));
    EXPECT_EQ(app.ctx.win.PressedPad, -1);
    EXPECT_EQ(app.ctx.win.PadShown, (std::array<int16_t, 4>{-1, -1, -1, -1}));
    EXPECT_EQ(app.ctx.win.StatusLines.size(), 6u);
    EXPECT_FALSE(app.ctx.run.Quitting);
    EXPECT_EQ(app.ctx.win.Opacity, -1.0f);
    EXPECT_EQ(app.ctx.run.OsKind, 5);
}

TEST(Core_StartUp, AWindowStoredOffEveryMonitorComesBackToTheDefaultPlace) {
    struct Case {
        const char* name;
        int16_t left, top;
        int expectLeft, expectTop;
    } cases[] = {
        {"on the screen", 100, 50, 100, 50},
        {"partly off the right edge", 1000, 50, 1000, 50},
        {"partly above the top", 100, -20, 100, -20},
        {"on the unplugged right monitor", 1500, 300, 742, 611},
        {"far above", 100, -500, 742, 611},
        {"on the second monitor at the left", -800, 200, -800, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp app;
        app.system.otherMonitors = {{-1280, 0, 1280, 1024}};
        app.files.files[app.DataPath()] = StoredFile(app, nullptr);
        StateRecord rec;
        ASSERT_TRUE(DecodeState(app.files.files[app.DataPath()], rec, app.codec));
        rec.Settings.WindowLeft = c.left;
        rec.Settings.WindowTop = c.top;
        app.files.files[app.DataPath()] = EncodeState(rec, app.codec);
        StartUp(app.ctx);
        EXPECT_EQ(app.window.left, c.expectLeft);
        EXPECT_EQ(app.window.top, c.expectTop);
        EXPECT_EQ(app.ctx.live.Settings.WindowLeft, c.expectLeft);
    }
}

TEST(Core_StartUp, AFailedFirstWriteIsNotReportedAtStart) {
    TestApp app;
    app.files.failOn = {"create"};
    StartUp(app.ctx);
    ASSERT_EQ(app.boxes.shown.size(), 1u);  // the first-run notice, no save error
    EXPECT_EQ(app.boxes.shown[0].text, kFirstRunNoticeText);
    EXPECT_TRUE(app.window.shown);
}

class Core_Exit : public ::testing::Test {
protected:
    TestApp app;
    std::string stored;
    void SetUp() override {
        stored = StoredFile(app, nullptr);
        app.files.files[app.DataPath()] = stored;
        StartUp(app.ctx);
        app.window.events.clear();
        app.ctx.live.Settings.Keyword = "changed";
    }
    // The exit as the main tick runs it: one tick to say so, one to exit.
    void RequestExit() {
        app.ctx.run.AppState = -1;
        MainTick(app.ctx);
        EXPECT_EQ(app.window.statusShown.back(), "終了処理中です");
        EXPECT_EQ(app.ctx.run.AppState, -2);
        app.clock.Advance(16);
        MainTick(app.ctx);
    }
};

TEST_F(Core_Exit, SavesStopsEveryTimerAndUnloads) {
    RequestExit();
    StateRecord saved;
    ASSERT_EQ(LoadState(app.files, app.codec, app.DataPath(), saved), LoadOutcome::Loaded);
    EXPECT_EQ(saved.Settings.Keyword, "changed");
    EXPECT_EQ(app.files.files[app.DataPath() + ".bak"], stored);  // the previous generation, byte for byte
    EXPECT_TRUE(app.ctx.run.Quitting);
    EXPECT_TRUE(app.ctx.run.CancelRequested);
    EXPECT_TRUE(app.boxes.shown.empty());
    const std::vector<std::string> expected = {
        "disable MainTimer", "disable NextTimer", "disable MoveTimer", "disable PopupTimer",
        "disable WinTimer", "unload", "tray delete"};
    EXPECT_EQ(app.window.events, expected);
}

TEST_F(Core_Exit, AFailedSaveAsksAndNoKeepsTheProgramRunning) {
    app.files.readOnly.insert(app.DataPath());
    app.boxes.answers = {BoxAnswer::No};
    RequestExit();
    ASSERT_EQ(app.boxes.shown.size(), 1u);
    const auto& box = app.boxes.shown[0];
    EXPECT_EQ(box.text, kSaveFailedText);
    EXPECT_EQ(box.caption, "Tunewhistle");
    EXPECT_EQ(box.icon, BoxIcon::Exclamation);
    EXPECT_EQ(box.buttons, BoxButtons::YesNo);
    EXPECT_EQ(box.defaultButton, BoxDefault::Second);

    EXPECT_TRUE(app.ctx.run.WakeRequest);
    EXPECT_FALSE(app.ctx.run.Quitting);
    EXPECT_FALSE(app.ctx.run.CancelRequested);
    EXPECT_EQ(app.ctx.run.AppState, 10);
    EXPECT_FALSE(app.ctx.run.Busy);
    EXPECT_EQ(app.ctx.run.MessageTime, app.clock.now);
    EXPECT_TRUE(app.window.loaded);
    EXPECT_TRUE(app.window.events.empty());  // no timer touched, nothing unloaded
    EXPECT_EQ(app.files.files[app.DataPath()], stored);
    EXPECT_EQ(app.ctx.live.Settings.Keyword, "changed");

    // Asking again tries the save again.
    app.files.readOnly.clear();
    RequestExit();
    EXPECT_TRUE(app.window.unloaded);
    StateRecord saved;
    ASSERT_EQ(LoadState(app.files, app.codec, app.DataPath(), saved), LoadOutcome::Loaded);
    EXPECT_EQ(saved.Settings.Keyword, "changed");
}

TEST_F(Core_Exit, YesEndsWithoutWritingAndTheOldFileStays) {
    app.files.failOn = {"replace"};
    app.boxes.answers = {BoxAnswer::Yes};
    RequestExit();
    EXPECT_EQ(app.boxes.shown.size(), 1u);
    EXPECT_TRUE(app.ctx.run.Quitting);
    EXPECT_TRUE(app.window.unloaded);
    EXPECT_EQ(app.files.files[app.DataPath()], stored);
    EXPECT_EQ(app.files.files.size(), 1u);
}

TEST_F(Core_Exit, ClosingTheWindowOtherwiseSavesNothing) {
    app.window.UnloadAll();  // as when the system closes the window
    EXPECT_EQ(app.files.files[app.DataPath()], stored);
    EXPECT_FALSE(app.window.trayTip.has_value());
}

}  // namespace
}  // namespace tw
