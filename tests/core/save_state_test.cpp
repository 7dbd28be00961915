#include <gtest/gtest.h>

#include <stdexcept>

#include "core/data_file.h"
#include "core/startup.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

using test::TestApp;

// A live state with something in every part a save lends out.
void Fill(PersistentState& live) {
    SetDefaults(live.Settings, 1024, 768);
    live.Settings.Keyword = "夜明け love";
    live.Settings.WatchFolderSet.WatchFolders.Resize(1);
    live.Settings.WatchFolderSet.WatchFolders[0] = {"D:\\音楽\\", kTrue};
    live.Settings.WatchFolderSet.WatchFolderCount = 1;
    TrackLibrary& lib = live.Library;
    lib.LibraryRoots.Resize(2);
    lib.RootCount = 2;
    for (int r = 0; r < 2; ++r) {
        RootEntry& root = lib.LibraryRoots[r];
        root.Path = r ? "E:\\Music\\" : "D:\\音楽\\";
        root.Folders.Resize(2);
        root.Folders.Set(0, FolderEntry{"", -1, ""});
        root.Folders.Set(1, FolderEntry{"さくら Album", 0, ""});
        root.FolderCount = 2;
        root.Tracks.Resize(3);
        root.Tracks.Set(0, TrackEntry{"01 Long enough to leave the small buffer.mp3", 1, "Title", "Artist", "Album", ""});
        root.Tracks.Set(1, TrackEntry{"02 夜明けの歌.mp3", 1, "夜明けの歌", "青い空", "さくら", "ライブ"});
        root.Tracks.Set(2, TrackEntry{"x.mp3", 0, "", "", "", ""});
        root.TrackCount = 3;
        root.TagsRead = 3;
    }
    lib.RegisteredFileCount = 6;
    lib.TagsReadCount = 6;
    live.PlayList.Resize(1);
    live.PlayList[0] = {"D:\\音楽\\", "さくら Album\\", "02 夜明けの歌.mp3"};
    live.PlayCount = 1;
    live.Search.SearchHits.Resize(1);
    live.Search.SearchHits[0] = live.PlayList[0];
    live.Search.SearchHitCount = 1;
    live.Search.SearchWords.Resize(2);
    live.Search.SearchWords[0] = "夜明け";
    live.Search.SearchWords[1] = "love";
    live.Search.SearchWordCount = 2;
}

StateRecord RecordOf(const PersistentState& live) {
    StateRecord rec;
    rec.Version = kVersionText;
    rec.Settings = live.Settings;
    rec.Library = live.Library;
    rec.PlayList = live.PlayList;
    rec.PlayCount = live.PlayCount;
    rec.Search = live.Search;
    return rec;
}

// The save borrows the live state rather than copying it; whatever
// happens, all of it must be back afterwards.
TEST(Core_Save, WritesTheRecordAndGivesTheLiveStateBack) {
    TestApp app;
    Fill(app.ctx.live);
    const StateRecord before = RecordOf(app.ctx.live);
    ASSERT_TRUE(SaveState(app.ctx));
    EXPECT_EQ(RecordOf(app.ctx.live), before);
    EXPECT_EQ(app.files.files.at(app.DataPath()), EncodeState(before, app.codec));
}

// A library of over a megabyte is written on two threads, to the same file.
TEST(Core_Save, ALargeLibraryIsWrittenOnTwoThreads) {
    TestApp app;
    test::FinishedThreads threads;
    app.ctx.platform.threads = &threads;
    Fill(app.ctx.live);
    for (RootEntry& root : app.ctx.live.Library.LibraryRoots.items)
        for (int t = 0; t < 12000; ++t)
            AppendCapped(root.Tracks, root.TrackCount,
                         TrackEntry{std::to_string(t) + " 夜明けの歌.mp3", 1, "夜明けの歌", "Artist", "Album", ""});
    const StateRecord before = RecordOf(app.ctx.live);
    ASSERT_TRUE(SaveState(app.ctx));
    EXPECT_EQ(threads.started, 1);
    EXPECT_EQ(app.files.files.at(app.DataPath()), EncodeState(before, app.codec));
}

TEST(Core_Save, AFailedWriteStillGivesTheLiveStateBack) {
    TestApp app;
    Fill(app.ctx.live);
    const StateRecord before = RecordOf(app.ctx.live);
    app.files.failOn.insert("write");
    EXPECT_FALSE(SaveState(app.ctx));
    EXPECT_EQ(RecordOf(app.ctx.live), before);
}

// Throws at the first text it cannot pass through unchanged.
class ThrowingCodec : public TextCodec {
public:
    std::string ToAnsi(const std::string&) override { throw std::runtime_error("no code page"); }
    std::string FromAnsi(const std::string& s) override { return s; }
};

TEST(Core_Save, AThrowingConversionStillGivesTheLiveStateBack) {
    TestApp app;
    Fill(app.ctx.live);
    const StateRecord before = RecordOf(app.ctx.live);
    ThrowingCodec codec;
    app.ctx.platform.codec = &codec;
    EXPECT_THROW(SaveState(app.ctx), std::runtime_error);
    EXPECT_EQ(RecordOf(app.ctx.live), before);
}

// ASCII texts skip the codec up to the 16-bit length prefix; one byte more
// must still be cut to fit, as every other text is.
TEST(Core_Save, AsciiTextsAtTheLengthLimitKeepOrLoseTheirLastByte) {
    IconvCodec codec("CP932");
    StateRecord rec = RecordOf(PersistentState{});
    for (size_t size : {65535u, 65536u}) {
        rec.Settings.Keyword.assign(size, 'k');
        const std::string bytes = EncodeState(rec, codec);
        StateRecord back;
        ASSERT_TRUE(DecodeState(bytes, back, codec));
        EXPECT_EQ(back.Settings.Keyword, std::string(65535, 'k')) << size;
    }
}

}  // namespace
}  // namespace tw
