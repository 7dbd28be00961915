#include "app/work_scheduler.h"

#include <gtest/gtest.h>

#include "app/main_tick.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

using test::TestApp;

std::string Block(const std::string& title) { return test::Id3v1Block(title); }

// Runs jobs as the window would: the main tick keeps running inside every
// yield of a job, and NextTimer fires whenever it is armed.
class Core_Jobs : public ::testing::Test {
protected:
    TestApp app;
    AppContext& ctx = app.ctx;
    std::vector<std::string> progress;

    void SetUp() override {
        ctx.live.Settings.UseInternalPlayer = kTrue;
        ctx.live.Settings.UseTagInfo = kTrue;
        ctx.live.Settings.MaxHits = 30;
        ctx.live.Settings.MatchFileName = kTrue;
        app.window.timers[TimerId::Next] = false;
        app.pump.every = [&] {
            app.clock.Advance(1);
            MainTick(ctx);
            progress.push_back(ctx.run.MessageText);
        };
    }
    void AddFolder(const std::string& path) {
        auto& set = ctx.live.Settings.WatchFolderSet;
        AppendCapped(set.WatchFolders, set.WatchFolderCount, WatchFolder{path + "\\", kTrue});
        app.files.AddDir(path);
    }
    // Ticks until no job is armed and the state machine rests.
    void RunUntilIdle() {
        for (int i = 0; i < 100; ++i) {
            MainTick(ctx);
            if (app.window.timers[TimerId::Next]) {
                RunWorkStep(ctx);
                continue;
            }
            if (ctx.run.AppState == 21 || ctx.run.AppState == 31) return;
        }
        FAIL() << "never came to rest, state " << ctx.run.AppState;
    }
    std::string Message() const { return ctx.run.MessageText; }
};

TEST_F(Core_Jobs, RegistrationChainsIntoTagReadingAndReports) {
    AddFolder("C:\\a");
    AddFolder("C:\\b");
    app.files.AddFile("C:\\a\\1.mp3", Block("One"));
    app.files.AddFile("C:\\a\\2.mp3");
    app.files.AddFile("C:\\b\\3.mp3", Block("Three"));
    ctx.live.Search.SearchHits.Resize(1);
    ctx.live.Search.SearchHitCount = 1;
    ctx.run.AppState = 40;
    RunUntilIdle();
    EXPECT_EQ(Message(), "登録完了\r\n3個のファイルを登録し、タグ情報を読み込みました");
    EXPECT_EQ(ctx.live.Library.RootCount, 2);
    EXPECT_EQ(ctx.live.Library.TagsReadCount, 3);
    EXPECT_EQ(ctx.live.Library.LibraryRoots[1].Tracks[0].Title, "Three");
    EXPECT_EQ(ctx.live.Search.SearchHitCount, 0);  // a registration empties the hits
    EXPECT_FALSE(ctx.run.Busy);
    EXPECT_TRUE(app.window.boxEnabled);
    // The tick reported progress from inside the jobs.
    EXPECT_NE(std::find(progress.begin(), progress.end(), "登録中...  現在 2 個\r\nC:\\a\\"), progress.end());
    EXPECT_NE(std::find(progress.begin(), progress.end(), "登録中...  現在 3 個\r\nC:\\b\\"), progress.end());
    EXPECT_NE(std::find(progress.begin(), progress.end(), "mp3タグ情報読み込み中...  \r\n1 / 3"), progress.end());
}

TEST_F(Core_Jobs, WithoutTagUseNoTagJobRuns) {
    ctx.live.Settings.UseTagInfo = kFalse;
    AddFolder("C:\\a");
    app.files.AddFile("C:\\a\\1.mp3", Block("One"));
    ctx.run.AppState = 40;
    RunUntilIdle();
    EXPECT_EQ(Message(), "登録完了\r\n1個のファイルを登録しました");
    EXPECT_EQ(ctx.live.Library.TagsReadCount, 0);
    EXPECT_EQ(ctx.live.Library.LibraryRoots[0].Tracks[0].Title, "");
}

TEST_F(Core_Jobs, NoFoldersFindsNothing) {
    ctx.run.AppState = 40;
    RunUntilIdle();
    EXPECT_EQ(Message(), "登録完了\r\nファイルが見つかりませんでした");
    EXPECT_EQ(ctx.live.Library.RootCount, 0);
    EXPECT_FALSE(app.window.boxEnabled);
}

TEST_F(Core_Jobs, EscDuringTheFirstOfThreeFoldersStopsAfterIt) {
    for (const char* f : {"C:\\a", "C:\\b", "C:\\c"}) AddFolder(f);
    for (const char* f : {"C:\\a\\sub", "C:\\a\\sub2"}) app.files.AddDir(f);
    app.files.AddFile("C:\\a\\1.mp3");
    app.files.AddFile("C:\\a\\sub2\\2.mp3");
    app.files.AddFile("C:\\b\\3.mp3");
    app.pump.at[2] = [&] { ctx.run.CancelRequested = true; };  // Esc while C:\a is listed
    ctx.run.AppState = 40;
    RunUntilIdle();
    EXPECT_EQ(ctx.live.Library.RootCount, 1);
    EXPECT_EQ(ctx.live.Library.LibraryRoots[0].TrackCount, 1);  // partial: sub2 never listed
    EXPECT_EQ(Message(), "登録中止\r\n1個のファイルを登録し、0 個のファイルのタグ情報を読み込みました");
}

TEST_F(Core_Jobs, CancellingTheTagReadingReportsBothCounts) {
    AddFolder("C:\\a");
    for (int i = 0; i < 5; ++i) app.files.AddFile("C:\\a\\" + std::to_string(i) + ".mp3");
    ctx.run.AppState = 40;
    MainTick(ctx);
    RunWorkStep(ctx);  // registration
    ASSERT_EQ(ctx.run.AppState, 42);
    app.pump.yields = 0;
    app.pump.at[2] = [&] { ctx.run.CancelRequested = true; };
    RunWorkStep(ctx);
    EXPECT_EQ(ctx.run.AppState, 47);
    RunUntilIdle();
    EXPECT_EQ(Message(), "登録中止\r\n5個のファイルを登録し、2 個のファイルのタグ情報を読み込みました");
}

TEST_F(Core_Jobs, OneHitPlaysAtOnceWithoutTheMenu) {
    AddFolder("C:\\a");
    app.files.AddFile("C:\\a\\alpha.mp3");
    app.files.AddFile("C:\\a\\beta.mp3");
    ctx.run.AppState = 40;
    RunUntilIdle();
    app.window.boxText = "ALPHA";
    ctx.run.AppState = 50;
    RunUntilIdle();
    EXPECT_EQ(ctx.live.Settings.Keyword, "ALPHA");
    ASSERT_EQ(ctx.live.PlayCount, 1);
    EXPECT_EQ(ctx.live.PlayList[0], (SearchHit{"C:\\a\\", "", "alpha.mp3"}));
    EXPECT_EQ(Message(), "再生します\r\nalpha.mp3 (  )");
    EXPECT_FALSE(app.window.timers[TimerId::Popup]);
}

TEST_F(Core_Jobs, PlayAllThroughTheShellHandsOverEveryHitInOrder) {
    ctx.live.Settings.UseInternalPlayer = kFalse;
    for (int i = 0; i < 5; ++i)
        AppendCapped(ctx.live.Search.SearchHits, ctx.live.Search.SearchHitCount,
                     SearchHit{"D:\\m\\", "x\\", std::to_string(i) + ".mp3"});
    ctx.run.ChosenHit = -1;
    ctx.run.AppState = 60;
    RunUntilIdle();
    ASSERT_EQ(app.shell.executed.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(app.shell.executed[i].file, "D:\\m\\x\\" + std::to_string(i) + ".mp3");
        EXPECT_TRUE(app.shell.executed[i].ownedByMainWindow);
        EXPECT_EQ(app.shell.executed[i].showMode, 8);
    }
    EXPECT_EQ(Message(), "一括再生完了 (外部) 5 / 5");
    EXPECT_NE(std::find(progress.begin(), progress.end(), "一括再生中... (外部) 3 / 5\r\n2.mp3"), progress.end());
}

TEST_F(Core_Jobs, PlayAllCancelledStopsHandingOver) {
    ctx.live.Settings.UseInternalPlayer = kFalse;
    for (int i = 0; i < 5; ++i)
        AppendCapped(ctx.live.Search.SearchHits, ctx.live.Search.SearchHitCount,
                     SearchHit{"D:\\", "", std::to_string(i) + ".mp3"});
    ctx.run.ChosenHit = -1;
    app.pump.at[3] = [&] { ctx.run.CancelRequested = true; };
    ctx.run.AppState = 60;
    RunUntilIdle();
    EXPECT_EQ(app.shell.executed.size(), 2u);
    EXPECT_EQ(Message(), "一括再生中止 (外部) 2 / 5");
}

TEST_F(Core_Jobs, AStrayTimerEventRunsNothing) {
    ctx.run.AppState = 31;
    app.window.timers[TimerId::Next] = true;
    RunWorkStep(ctx);
    EXPECT_FALSE(app.window.timers[TimerId::Next]);
    EXPECT_EQ(ctx.run.AppState, 31);
    EXPECT_EQ(app.pump.yields, 0);
}

}  // namespace
}  // namespace tw
