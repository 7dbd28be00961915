#include "library/watched_folders.h"

#include <gtest/gtest.h>

#include "app/main_tick.h"
#include "app/work_scheduler.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

using test::TestApp;

std::string Tag(const std::string& title) { return "audio" + test::Id3v1Block(title); }

// Everything a registration gives, root by root, in order.
std::vector<std::string> Describe(const TrackLibrary& lib) {
    std::vector<std::string> out;
    out.push_back(std::to_string(lib.RootCount) + " roots, " + std::to_string(lib.RegisteredFileCount) + " files, " +
                  std::to_string(lib.TagsReadCount) + " tags");
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        const RootEntry& root = lib.LibraryRoots[r];
        out.push_back(root.Path + " tags read " + std::to_string(root.TagsRead));
        for (int16_t i = 0; i < root.FolderCount; ++i) {
            const FolderEntry f = root.Folders.Entry(i);
            out.push_back("  folder " + f.PathFromRoot + f.Name + " of " + std::to_string(f.Parent));
        }
        for (int16_t i = 0; i < root.TrackCount; ++i) {
            const TrackEntry t = root.Tracks.Entry(i);
            out.push_back("  " + std::to_string(t.FolderIndex) + " " + t.FileName + " " + t.Title);
        }
    }
    return out;
}

// The program with its folders registered; time passes in ticks, and jobs
// run whenever the work timer is armed, as in the window.
struct Watched {
    TestApp app;
    AppContext& ctx = app.ctx;
    int refreshJobs = 0;

    Watched() {
        ctx.live.Settings.UseTagInfo = kTrue;
        ctx.live.Settings.MatchFileName = kTrue;
        ctx.live.Settings.MaxHits = 30;
        ctx.run.AppState = 40;
    }
    void AddFolder(const std::string& path) {
        auto& set = ctx.live.Settings.WatchFolderSet;
        AppendCapped(set.WatchFolders, set.WatchFolderCount, WatchFolder{path + "\\", kTrue});
        app.files.AddDir(path);
    }
    void Run(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 50) {
            app.clock.Advance(50);
            MainTick(ctx);
            if (app.window.timers[TimerId::Next]) {
                if (ctx.run.AppState == 41 && ctx.watch.RefreshRoot >= 0) ++refreshJobs;
                RunWorkStep(ctx);
            }
        }
    }
    void Touch(const std::string& folder) { app.watcher.Touch(folder + "\\"); }
};

TEST(Library_Watch, ABurstGivesOneJobOnceQuietAndTheProgramRests) {
    struct Hold {
        const char* what;
        void (*on)(AppContext&);
        void (*off)(AppContext&);
    } const holds[] = {
        {"nothing", [](AppContext&) {}, [](AppContext&) {}},
        {"a job", [](AppContext& c) { c.run.AppState = 51, c.run.Busy = true; },
         [](AppContext& c) { c.run.AppState = 10, c.run.Busy = false; }},
        {"a menu", [](AppContext& c) { c.run.OpenMenuCount = 1; }, [](AppContext& c) { c.run.OpenMenuCount = 0; }},
        // Closed with OK: the watches are armed anew, the change still due.
        {"the settings", [](AppContext& c) { c.run.SettingsDialogOpen = true; },
         [](AppContext& c) {
             c.run.SettingsDialogOpen = false;
             ArmWatches(c);
         }},
        {"the version dialog", [](AppContext& c) { c.run.VersionDialogOpen = true; },
         [](AppContext& c) { c.run.VersionDialogOpen = false; }},
        {"a rename", [](AppContext& c) { c.run.AppState = 91, c.run.Renaming = true; },
         [](AppContext& c) { c.run.AppState = 10, c.run.Renaming = false; }},
    };
    for (const Hold& h : holds) {
        SCOPED_TRACE(h.what);
        Watched w;
        AppContext& ctx = w.ctx;
        w.AddFolder("C:\\m");
        w.app.files.AddFile("C:\\m\\old.mp3");
        w.Run(500);
        ASSERT_EQ(ctx.run.AppState, 21);
        ASSERT_EQ(w.app.watcher.watching.size(), 1u);

        // A thousand files copied: changes for two seconds.
        h.on(ctx);
        for (int i = 0; i < 10; ++i) {
            w.app.files.AddFile("C:\\m\\new" + std::to_string(i) + ".mp3");
            w.Touch("C:\\m");
            w.Run(200);
        }
        w.Run(2700);  // not yet quiet for three seconds
        EXPECT_EQ(w.refreshJobs, 0);
        w.Run(600);
        if (std::string(h.what) != "nothing") {
            EXPECT_EQ(w.refreshJobs, 0);
            w.Run(5000);
            EXPECT_EQ(w.refreshJobs, 0);
            h.off(ctx);
            w.Run(500);
        }
        EXPECT_EQ(w.refreshJobs, 1);
        EXPECT_EQ(ctx.live.Library.RegisteredFileCount, 11);
        w.Run(10000);
        EXPECT_EQ(w.refreshJobs, 1);
        EXPECT_EQ(ctx.run.AppState, 21);
    }
}

TEST(Library_Watch, OneRootAgainIsWhatAFullRegistrationGives) {
    Watched w;
    AppContext& ctx = w.ctx;
    TestApp& app = w.app;
    w.AddFolder("C:\\a");
    w.AddFolder("C:\\b");
    test::MemoryFileSystem& fs = app.files;
    fs.AddFile("C:\\a\\1.mp3", Tag("One"));
    fs.AddDir("C:\\b\\x");
    fs.AddFile("C:\\b\\x\\2.mp3", Tag("Two"));
    fs.AddFile("C:\\b\\x\\3.mp3", Tag("Three"));
    fs.AddFile("C:\\b\\4.mp3", Tag("Four"));
    fs.AddFile("C:\\b\\5.mp3", Tag("Five"));
    w.Run(500);
    const std::vector<std::string> rootA = Describe(ctx.live.Library);

    // Files come and go, a folder is renamed, a file gets a new tag of the
    // same size, another is copied over by one with another date.
    fs.AddFile("C:\\b\\0.mp3", Tag("Zero"));
    fs.files.erase("C:\\b\\5.mp3");
    fs.dirs.erase("C:\\b\\x");
    fs.AddDir("C:\\b\\y");
    fs.files.erase("C:\\b\\x\\2.mp3");
    fs.files.erase("C:\\b\\x\\3.mp3");
    fs.AddFile("C:\\b\\y\\2.mp3", Tag("Two"));
    fs.AddFile("C:\\b\\y\\3.mp3", Tag("Three"));
    fs.AddFile("C:\\b\\4.mp3", Tag("Vier"));
    fs.writeTimes["C:\\b\\4.mp3"] = 2;
    w.Touch("C:\\b");
    fs.log.clear();
    ctx.typeAhead.HaveResult = true;  // its matches name tracks by their place
    w.Run(4000);
    EXPECT_FALSE(ctx.typeAhead.HaveResult);
    ASSERT_EQ(w.refreshJobs, 1);
    EXPECT_EQ(ctx.run.MessageText,
              "フォルダの変更を反映しました\r\n追加 3 個・削除 3 個  全 5 個\r\nC:\\b\\");

    TestApp full;
    full.files.dirs = fs.dirs;
    full.files.files = fs.files;
    full.files.writeTimes = fs.writeTimes;
    full.ctx.live.Settings = ctx.live.Settings;
    full.ctx.run.AppState = 40;
    for (int i = 0; i < 20 && full.ctx.run.AppState != 21; ++i) {
        MainTick(full.ctx);
        if (full.window.timers[TimerId::Next]) RunWorkStep(full.ctx);
    }
    EXPECT_EQ(Describe(ctx.live.Library), Describe(full.ctx.live.Library));
    const std::vector<std::string> now = Describe(ctx.live.Library);
    EXPECT_EQ(std::vector<std::string>(now.begin() + 1, now.begin() + 4),
              std::vector<std::string>(rootA.begin() + 1, rootA.begin() + 4));  // root a as it was
    // Only what changed was read again; root a was not looked at.
    std::vector<std::string> reads;
    for (const std::string& l : fs.log)
        if (l.rfind("read ", 0) == 0) reads.push_back(l.substr(5));
    std::sort(reads.begin(), reads.end());
    EXPECT_EQ(reads, (std::vector<std::string>{"C:\\b\\0.mp3", "C:\\b\\4.mp3", "C:\\b\\y\\2.mp3", "C:\\b\\y\\3.mp3"}));
}

// Esc while the root is walked or its tags are read: the root stays as it
// was, and the message says so.
TEST(Library_Watch, CancellingKeepsTheRootAsItWas) {
    for (const bool tags : {false, true}) {
        SCOPED_TRACE(tags ? "in the tags" : "in the walk");
        Watched w;
        AppContext& ctx = w.ctx;
        ctx.live.Settings.UseTagInfo = ToVBool(tags);
        w.AddFolder("C:\\m");
        w.app.files.AddDir("C:\\m\\sub");
        w.app.files.AddFile("C:\\m\\sub\\1.mp3", Tag("One"));
        w.Run(500);
        const std::vector<std::string> before = Describe(ctx.live.Library);
        w.app.files.AddFile("C:\\m\\2.mp3", Tag("Two"));
        w.app.pump.every = [&] {
            const WatchState& s = ctx.watch;
            if (s.RefreshRoot >= 0 && (!tags || s.Fresh.TagsReadCount > 0)) ctx.run.CancelRequested = true;
        };
        w.Touch("C:\\m");
        w.Run(4000);
        ASSERT_EQ(w.refreshJobs, 1);
        EXPECT_EQ(Describe(ctx.live.Library), before);
        EXPECT_EQ(ctx.run.MessageText, "フォルダの変更の反映を中止しました\r\nC:\\m\\");
    }
}

TEST(Library_Watch, FoldersThatCannotBeWatchedLeaveTheOthersWatched) {
    Watched w;
    AppContext& ctx = w.ctx;
    TestApp& app = w.app;
    for (const char* f : {"C:\\a", "C:\\b", "C:\\c"}) w.AddFolder(f);
    app.watcher.refused.insert("C:\\c\\");
    w.Run(500);
    EXPECT_EQ(app.watcher.watching.size(), 2u);
    app.watcher.Fail("C:\\b\\");
    w.Run(300);
    app.files.AddFile("C:\\a\\1.mp3");
    app.files.AddFile("C:\\b\\2.mp3");
    w.Touch("C:\\a");
    w.Touch("C:\\b");  // unheard: its watch is gone
    w.Run(4000);
    EXPECT_EQ(w.refreshJobs, 1);
    EXPECT_EQ(ctx.live.Library.RegisteredFileCount, 1);
    // That registration tried again: the failed folder is watched again.
    EXPECT_EQ(app.watcher.watching.size(), 2u);
    app.watcher.refused.clear();
    ctx.run.AppState = 40;  // mp3再登録
    w.Run(500);
    EXPECT_EQ(app.watcher.watching.size(), 3u);
    EXPECT_EQ(ctx.live.Library.RegisteredFileCount, 2);

    // Watching off: changes wait for the next registration.
    ctx.live.Settings.WatchForChanges = kFalse;
    ArmWatches(ctx);
    EXPECT_TRUE(app.watcher.watching.empty());
    app.files.AddFile("C:\\c\\3.mp3");
    w.Run(5000);
    EXPECT_EQ(ctx.live.Library.RegisteredFileCount, 2);
}

}  // namespace
}  // namespace tw
