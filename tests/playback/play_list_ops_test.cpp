#include "playback/play_list_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "fakes/fakes.h"

namespace tw {
namespace {

using test::TestApp;

std::vector<SearchHit> Entries(int n) {
    std::vector<SearchHit> list;
    for (int i = 0; i < n; ++i) list.push_back({"D:\\m\\", "f\\", std::to_string(i) + ".mp3"});
    return list;
}

void SetPlayList(AppContext& ctx, const std::vector<SearchHit>& list, int16_t count) {
    ctx.live.PlayList.Clear();
    for (const SearchHit& h : list) ctx.live.PlayList.items.push_back(h);
    ctx.live.PlayList.hasStorage = true;
    ctx.live.PlayCount = count;
}

TEST(Shuffle_Order, IsAPermutationForEverySize) {
    TestApp app;
    for (int16_t n = 0; n <= 40; ++n) {
        for (uint32_t seed = 1; seed <= 5; ++seed) {
            app.ctx.random.seed(seed * 7919 + n);
            ShuffleOrder(app.ctx, n);
            std::vector<int16_t> sorted = app.ctx.run.ShuffleMap;
            std::sort(sorted.begin(), sorted.end());
            std::vector<int16_t> expected(n);
            std::iota(expected.begin(), expected.end(), int16_t{0});
            ASSERT_EQ(sorted, expected) << "n " << n << " seed " << seed;
        }
    }
}

TEST(Shuffle_PlayList, KeepsEveryEntryOnceAndTheCurrentOneCurrent) {
    for (int16_t current : {0, 3, 9}) {
        SCOPED_TRACE(current);
        TestApp app;
        app.ctx.random.seed(current + 1);
        app.clock.now = 4242;
        // Two entries past the count are not part of the list.
        const std::vector<SearchHit> before = Entries(12);
        SetPlayList(app.ctx, before, 10);
        app.ctx.player.PlayIndex = current;
        ShufflePlayList(app.ctx);

        const std::vector<SearchHit>& after = app.ctx.live.PlayList.items;
        ASSERT_EQ(after.size(), 12u);
        EXPECT_EQ(app.ctx.live.PlayCount, 10);
        EXPECT_EQ(after[10], before[10]);
        EXPECT_EQ(after[11], before[11]);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(std::count(after.begin(), after.begin() + 10, before[i]), 1) << before[i].FileName;
        EXPECT_NE(std::vector<SearchHit>(after.begin(), after.begin() + 10),
                  std::vector<SearchHit>(before.begin(), before.begin() + 10));
        EXPECT_EQ(after[app.ctx.player.PlayIndex], before[current]);
        EXPECT_EQ(app.ctx.run.MessageText, "曲順をシャッフルしました  ( 10 曲 )");
        EXPECT_EQ(app.ctx.run.MessageTime, 4242u);
    }
}

TEST(Shuffle_PlayList, OneEntryOrNoneStaysAsItIs) {
    for (int16_t n : {1, 0}) {
        TestApp app;
        SetPlayList(app.ctx, Entries(n), n);
        ShufflePlayList(app.ctx);
        EXPECT_EQ(app.ctx.live.PlayList.items, Entries(n));
        EXPECT_EQ(app.ctx.player.PlayIndex, 0);
        EXPECT_EQ(app.ctx.run.MessageText, "曲順をシャッフルしました  ( " + std::to_string(n) + " 曲 )");
    }
}

// Three files on disk, registered under one root; a second root holds a
// file of the same name, and the play list holds one file twice.
class Rename : public ::testing::Test {
protected:
    TestApp app;
    AppContext& ctx = app.ctx;
    const SearchHit top{"D:\\m\\", "", "a.mp3"};
    const SearchHit inSub{"D:\\m\\", "sub\\", "b.mp3"};
    const SearchHit sameNameInSub{"D:\\m\\", "sub\\", "a.mp3"};
    const SearchHit otherRoot{"E:\\n\\", "", "a.mp3"};

    void SetUp() override {
        for (const SearchHit* h : {&top, &inSub, &sameNameInSub, &otherRoot})
            app.files.AddFile(h->FullPath(), "bytes of " + h->FileName);
        AddRoot("D:\\m\\", {{"a.mp3", 0}, {"b.mp3", 1}, {"a.mp3", 1}});
        AddRoot("E:\\n\\", {{"a.mp3", 0}});
        SetPlayList(ctx, {top, inSub, top, sameNameInSub, {"D:\\m\\", "", "A.MP3"}}, 5);
        for (const SearchHit& h : {inSub, top, otherRoot})
            AppendCapped(ctx.live.Search.SearchHits, ctx.live.Search.SearchHitCount, h);
        app.files.log.clear();
    }
    void AddRoot(const std::string& path, std::vector<std::pair<std::string, int16_t>> tracks) {
        RootEntry root;
        root.Path = path;
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"sub", 0, ""});
        for (auto& [name, folder] : tracks)
            AppendCapped(root.Tracks, root.TrackCount, TrackEntry{name, folder, "t", "", "", ""});
        AppendCapped(ctx.live.Library.LibraryRoots, ctx.live.Library.RootCount, std::move(root));
    }
    bool RenameTo(const SearchHit& item, const std::string& name) {
        ctx.run.RenameItem = item;
        app.window.boxText = name;
        return RenameCurrentFile(ctx);
    }
    std::string Track(int r, int t) const { return std::string(ctx.live.Library.LibraryRoots[r].Tracks[t].FileName); }
};

TEST_F(Rename, AFileInTheRootFolderIsRenamedOnDiskAndInEveryList) {
    ASSERT_TRUE(RenameTo(top, "z.mp3"));
    EXPECT_EQ(app.files.files.count("D:\\m\\a.mp3"), 0u);
    EXPECT_EQ(app.files.files["D:\\m\\z.mp3"], "bytes of a.mp3");
    const SearchHit renamed{"D:\\m\\", "", "z.mp3"};
    const std::vector<SearchHit> list = {renamed, inSub, renamed, sameNameInSub, {"D:\\m\\", "", "A.MP3"}};
    EXPECT_EQ(ctx.live.PlayList.items, list);
    EXPECT_EQ(ctx.live.Search.SearchHits.items, (std::vector<SearchHit>{inSub, renamed, otherRoot}));
    EXPECT_EQ(Track(0, 0), "z.mp3");
    EXPECT_EQ(Track(0, 2), "a.mp3");  // same name, other folder
    EXPECT_EQ(Track(1, 0), "a.mp3");  // same name, other root
    EXPECT_EQ(ctx.run.RenameItem, top);  // keeps the old name for the message
}

TEST_F(Rename, AFileInASubfolderIsRenamedInEveryList) {
    ASSERT_TRUE(RenameTo(sameNameInSub, "新しい名前.mp3"));
    EXPECT_TRUE(app.files.files.count("D:\\m\\sub\\新しい名前.mp3"));
    EXPECT_EQ(ctx.live.PlayList[3].FileName, "新しい名前.mp3");
    EXPECT_EQ(ctx.live.PlayList[0], top);
    EXPECT_EQ(ctx.live.PlayList[2], top);
    EXPECT_EQ(Track(0, 2), "新しい名前.mp3");
    EXPECT_EQ(Track(0, 0), "a.mp3");
    EXPECT_EQ(Track(0, 1), "b.mp3");
}

// The library keeps a renamed track's texts in a new block; a second rename
// of the same file must find and keep them again.
TEST_F(Rename, AFileRenamedTwiceKeepsItsTagsAndItsPlaces) {
    ctx.live.Library.LibraryRoots[0].Tracks.SetTags(0, "Title", "Artist", "Album", "Comment");
    ASSERT_TRUE(RenameTo(top, "z.mp3"));
    const SearchHit once{"D:\\m\\", "", "z.mp3"};
    ASSERT_TRUE(RenameTo(once, "最後.mp3"));
    const SearchHit twice{"D:\\m\\", "", "最後.mp3"};
    EXPECT_EQ(app.files.files["D:\\m\\最後.mp3"], "bytes of a.mp3");
    EXPECT_EQ(ctx.live.PlayList[0], twice);
    EXPECT_EQ(ctx.live.PlayList[2], twice);
    EXPECT_EQ(ctx.live.PlayList[3], sameNameInSub);
    const TrackEntry renamed = ctx.live.Library.LibraryRoots[0].Tracks.Entry(0);
    EXPECT_EQ(renamed, (TrackEntry{"最後.mp3", 0, "Title", "Artist", "Album", "Comment"}));
    EXPECT_EQ(Track(0, 1), "b.mp3");
    EXPECT_EQ(Track(0, 2), "a.mp3");
    EXPECT_EQ(ctx.live.Library.LibraryRoots[0].Tracks[2].Title, "t");
}

// The lists take the name the file has on disk, not the text typed.
TEST_F(Rename, TheListsHoldTheNameTheSystemGaveTheFile) {
    app.files.windowsNames = true;
    app.files.AddDir("D:\\m");
    ASSERT_TRUE(RenameTo(top, "z.mp3. "));
    EXPECT_TRUE(app.files.files.count("D:\\m\\z.mp3"));
    EXPECT_EQ(ctx.live.PlayList[0].FileName, "z.mp3");
    EXPECT_EQ(Track(0, 0), "z.mp3");
}

TEST_F(Rename, AFailedOrRefusedRenameChangesNothing) {
    struct Case { const char* name; SearchHit item; std::string newName; bool reachesDisk; } cases[] = {
        {"name taken", inSub, "a.mp3", true},
        {"file gone", {"D:\\m\\", "", "gone.mp3"}, "z.mp3", true},
        {"empty", top, "", false},
        {"backslash", top, "sub\\z.mp3", false},
        {"slash", top, "x/z.mp3", false},
        {"drive colon", top, "C:z.mp3", false},
    };
    const StateRecord live = ctx.live;
    const auto files = app.files.files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app.files.log.clear();
        EXPECT_FALSE(RenameTo(c.item, c.newName));
        EXPECT_EQ(app.files.log.size(), c.reachesDisk ? 1u : 0u);
        EXPECT_TRUE(ctx.live.PlayList == live.PlayList);
        EXPECT_TRUE(ctx.live.Search == live.Search);
        EXPECT_TRUE(ctx.live.Library == live.Library);
        EXPECT_EQ(app.files.files, files);
    }
}

}  // namespace
}  // namespace tw
