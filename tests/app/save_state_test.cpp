#include <gtest/gtest.h>

#include "app/startup.h"
#include "core/data_file.h"
#include "fakes/fakes.h"
#include "model/defaults.h"

namespace tw {
namespace {

using test::TestApp;

// A live state with something in every part the data file keeps.
void Fill(StateRecord& live) {
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

// The live state is the record the program saves, with its version.
TEST(Core_Save, WritesTheLiveStateAsARecordOfThisVersion) {
    TestApp app;
    Fill(app.ctx.live);
    ASSERT_TRUE(SaveState(app.ctx));
    StateRecord expected = app.ctx.live;
    expected.Version = "3.10";
    EXPECT_EQ(app.files.files.at(app.DataPath()), EncodeState(expected, app.codec));
    app.files.failOn.insert("write");
    EXPECT_FALSE(SaveState(app.ctx));
}

// ASCII texts skip the codec up to the 16-bit length prefix; one byte more
// must still be cut to fit, as every other text is.
TEST(Core_Save, AsciiTextsAtTheLengthLimitKeepOrLoseTheirLastByte) {
    IconvCodec codec("CP932");
    StateRecord rec;
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
