#include "core/data_file.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "model/defaults.h"

namespace tw {
namespace {

using test::MemoryFileSystem;

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

StateRecord DefaultRecord(int w = 1024, int h = 768) {
    StateRecord rec;
    rec.Version = "3.10";
    SetDefaults(rec.Settings, w, h);
    return rec;
}

// A record with something in every list, Japanese texts included.
StateRecord RichRecord() {
    StateRecord rec = DefaultRecord();
    rec.Settings.Keyword = "桜 ｻｸﾗ";
    AppendCapped(rec.Settings.WatchFolderSet.WatchFolders,
                 rec.Settings.WatchFolderSet.WatchFolderCount,
                 WatchFolder{"D:\\音楽\\", kTrue});
    RootEntry root;
    root.Path = "D:\\音楽\\";
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"Live", 0, ""});
    AppendCapped(root.Tracks, root.TrackCount,
                 TrackEntry{"01 春.mp3", 0, "春", "歌手", "アルバム", "コメント"});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"02.mp3", 1, "", "", "", ""});
    root.TagsRead = 2;
    AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    rec.Library.RegisteredFileCount = 2;
    rec.Library.TagsReadCount = 2;
    SearchHit hit{"D:\\音楽\\", "Live\\", "02.mp3"};
    AppendCapped(rec.PlayList, rec.PlayCount, hit);
    AppendCapped(rec.Search.SearchHits, rec.Search.SearchHitCount, hit);
    AppendCapped(rec.Search.SearchWords, rec.Search.SearchWordCount, std::string("桜"));
    AppendCapped(rec.Search.SearchWords, rec.Search.SearchWordCount, std::string("ｻｸﾗ"));
    return rec;
}

// Every Boolean setting with a non-zero value of its own, so reading one
// flag into another's place cannot go unseen.
StateRecord DistinctFlagsRecord() {
    StateRecord rec = DefaultRecord();
    Settings& s = rec.Settings;
    VBool* flags[] = {&s.UseInternalPlayer, &s.UseTransparency, &s.Reserved,   &s.AlwaysOnTop,
                      &s.AutoHide,          &s.LoopAll,         &s.ShuffleOnList, &s.NoExternalBatch,
                      &s.HideText,          &s.UseTagInfo,      &s.MatchPath,   &s.MatchFileName,
                      &s.MatchArtist,       &s.MatchTrackName,  &s.MatchAlbum,  &s.MatchComment};
    int16_t value = 1;
    for (VBool* f : flags) *f = value++;
    return rec;
}

class DataFile : public ::testing::Test {
protected:
    IconvCodec codec{"CP932"};
    StateRecord Decode(const std::string& bytes, bool expectOk = true) {
        StateRecord out;
        EXPECT_EQ(DecodeState(bytes, out, codec), expectOk);
        return out;
    }
};

TEST(DataFile_Defaults, WindowPositionRoundsHalvesToEven) {
    struct Case { int w, h, left, top; } cases[] = {
        {1024, 768, 742, 611},   // 741.6, 611.2
        {1280, 1024, 972, 842},  // 972.0, 841.6
        {1025, 765, 742, 608},   // 742.5 and 608.5 go to the even neighbour
        {1035, 775, 752, 618},   // 751.5 and 617.5 go up to the even one
    };
    for (const auto& c : cases) {
        Settings s;
        SetDefaults(s, c.w, c.h);
        EXPECT_EQ(s.WindowLeft, c.left) << c.w;
        EXPECT_EQ(s.WindowTop, c.top) << c.h;
    }
}

TEST_F(DataFile, FirstStartFileIsExactly119KnownBytes) {
    const std::string expected = Bytes({
        0x04, 0x00, '3', '.', '1', '0',              // Version
        0xE6, 0x02, 0x63, 0x02, 0xB4, 0x00,          // WindowLeft 742, WindowTop 611, WindowWidth 180
        0x00, 0x00, 0x00, 0x00,                      // WatchFolders (no storage), WatchFolderCount
        0x00, 0x00, 0x00, 0x00, 0xFF, 0x00,          // TextColor 0 0 255
        0xC8, 0x00, 0xC8, 0x00, 0xFF, 0x00,          // BackColor 200 200 255
        0x12, 0x00, 0x0D, 0x00, 0x06, 0x00,          // PadSize 18, LineHeight 13, TextLines 6
        0xFF, 0xFF, 0x1E, 0x00,                      // UseInternalPlayer, MaxHits 30
        0x03, 0x00, 'm', 'p', '3',                   // Keyword
        0x02, 0x00, 0x1E, 0x00, 0x20, 0x00,          // AutoHideParams 2 30 32
        0x41, 0x00, 0x43, 0x00, 0x02, 0x00,          //                65 67 2
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // UseTransparency Reserved AlwaysOnTop AutoHide
        0x07, 0x00, 0x06, 0x00, 0x01, 0x00, 0x04, 0x00, 0x05, 0x00,  // ButtonMap
        0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // LoopAll ShuffleOnList NoExternalBatch HideText
        0xFF, 0xFF,                                  // UseTagInfo
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,          // MatchPath MatchFileName MatchArtist
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,          // MatchTrackName MatchAlbum MatchComment
        0x00, 0x00, 0x00, 0x00,                      // LibraryRoots (no storage), RootCount
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // RegisteredFileCount, TagsReadCount
        0x00, 0x00, 0x00, 0x00,                      // PlayList, PlayCount
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // SearchHits, count, SearchWords, count
    });
    ASSERT_EQ(expected.size(), 119u);
    EXPECT_EQ(EncodeState(DefaultRecord(), codec), expected);
}

TEST_F(DataFile, DefaultsAndRichRecordsReadBackUnchanged) {
    for (const StateRecord& rec : {DefaultRecord(), RichRecord(), DistinctFlagsRecord()}) {
        const StateRecord back = Decode(EncodeState(rec, codec));
        EXPECT_EQ(back, rec);
        EXPECT_EQ(back.Settings.AutoHideParams, (std::array<int16_t, 6>{2, 30, 32, 65, 67, 2}));
        EXPECT_EQ(back.Settings.ButtonMap, (std::array<int16_t, 5>{7, 6, 1, 4, 5}));
    }
}

TEST_F(DataFile, ArraysKeepTheirStorageShape) {
    StateRecord rec = DefaultRecord();
    // Storage for more elements than the count says are valid, and storage
    // for none: both are written as they stand.
    rec.PlayList.Resize(3);
    rec.PlayCount = 1;
    rec.Search.SearchWords.Resize(0);
    const std::string bytes = EncodeState(rec, codec);
    EXPECT_EQ(bytes.size(), 119u + 8 + 3 * 6 + 8);
    EXPECT_EQ(Decode(bytes), rec);
}

TEST_F(DataFile, JapaneseTextsCarryTheirCodePageByteCount) {
    StateRecord rec = DefaultRecord();
    rec.Settings.Keyword = "検索ﾃｽﾄ";  // two full-width (2 bytes each), three half-width (1 byte)
    const std::string bytes = EncodeState(rec, codec);
    const size_t keywordAt = 6 + 6 + 4 + 12 + 10;
    EXPECT_EQ(static_cast<unsigned char>(bytes[keywordAt]), 7);
    EXPECT_EQ(bytes[keywordAt + 1], 0);
    EXPECT_EQ(bytes.substr(keywordAt + 2, 2), Bytes({0x8C, 0x9F}));  // 検 in CP932
    EXPECT_EQ(bytes.size(), 119u + 4);
    EXPECT_EQ(Decode(bytes).Settings.Keyword, "検索ﾃｽﾄ");
}

TEST_F(DataFile, LongPathRoundTripsWithItsSixteenBitLength) {
    std::string path = "C:\\";
    while (codec.ToAnsi(path).size() < 296) path += "音楽\\";
    while (codec.ToAnsi(path).size() < 300) path.insert(3, "a");
    ASSERT_EQ(codec.ToAnsi(path).size(), 300u);
    StateRecord rec = DefaultRecord();
    AppendCapped(rec.Settings.WatchFolderSet.WatchFolders,
                 rec.Settings.WatchFolderSet.WatchFolderCount, WatchFolder{path, kFalse});
    const std::string bytes = EncodeState(rec, codec);
    EXPECT_EQ(bytes.substr(12 + 2 + 4 + 4, 2), Bytes({0x2C, 0x01}));  // 300
    EXPECT_EQ(Decode(bytes).Settings.WatchFolderSet.WatchFolders[0].Path, path);
}

TEST_F(DataFile, TextsBeyondTheLengthPrefixAreCutAtACharacter) {
    StateRecord rec = DefaultRecord();
    rec.Settings.Keyword.clear();
    for (int i = 0; i < 40000; ++i) rec.Settings.Keyword += "あ";  // 80,000 bytes in CP932
    const StateRecord back = Decode(EncodeState(rec, codec));
    EXPECT_EQ(codec.ToAnsi(back.Settings.Keyword).size(), 65534u);
    EXPECT_EQ(back.Settings.Keyword, rec.Settings.Keyword.substr(0, 32767 * 3));
}

TEST_F(DataFile, UnrepresentableCharactersBecomeTheReplacement) {
    StateRecord rec = DefaultRecord();
    rec.Settings.Keyword = "a\xF0\x9F\x8E\xB5z";  // a musical-note emoji has no CP932 form
    EXPECT_EQ(Decode(EncodeState(rec, codec)).Settings.Keyword, "a?z");
}

TEST_F(DataFile, EveryTruncationFailsAndTrailingBytesAreIgnored) {
    const std::string full = EncodeState(RichRecord(), codec);
    for (size_t n = 0; n < full.size(); ++n) {
        StateRecord out;
        EXPECT_FALSE(DecodeState(full.substr(0, n), out, codec)) << "length " << n;
    }
    EXPECT_EQ(Decode(full + "junk"), RichRecord());
}

// Cut short anywhere in a large list, the file must fail, though the bytes
// that were cut off still lie in memory right after those it was given.
TEST_F(DataFile, ALargeFileCutShortFailsWithTheRestOfItInMemory) {
    StateRecord rec = RichRecord();
    RootEntry& root = rec.Library.LibraryRoots[0];
    for (int i = 0; i < 25000; ++i)
        AppendCapped(root.Tracks, root.TrackCount,
                     TrackEntry{std::to_string(i) + " Song.mp3", 1, i % 7 ? "Song" : std::string(300, 's'),
                                "Singer", "桜", ""});
    const std::string full = EncodeState(rec, codec);
    ASSERT_GT(full.size() / 2, 400000u);  // over a most any entry could take
    std::string cut;
    auto failsAt = [&](size_t n) {
        cut = full;
        cut.resize(n);  // leaves what follows in place, all but the byte at n
        StateRecord out;
        return !DecodeState(cut, out, codec);
    };
    for (size_t n = full.size() / 2; n < full.size() / 2 + 300; ++n) EXPECT_TRUE(failsAt(n)) << n;
    for (size_t n = full.size() - 300; n < full.size(); ++n) EXPECT_TRUE(failsAt(n)) << n;
}

TEST_F(DataFile, ListsAtTheSixteenBitLimitStayThere) {
    RootEntry root;
    root.Path = "E:\\";
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{});
    for (int i = 0; i < 32767; ++i)
        ASSERT_TRUE(AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"t.mp3", 0, "", "", "", ""}));
    EXPECT_FALSE(AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"one.more", 0, "", "", "", ""}));
    EXPECT_EQ(root.TrackCount, 32767);
    EXPECT_EQ(root.Tracks.size(), 32767u);

    StateRecord rec = DefaultRecord();
    AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    const std::string bytes = EncodeState(rec, codec);
    const StateRecord back = Decode(bytes);
    EXPECT_EQ(back.Library.LibraryRoots[0].TrackCount, 32767);
    // The count as stored: 0x7FFF, never a wrapped negative.
    const size_t countAt = 6 + 89 + 2 + 4 + 4 + (2 + 3) + (2 + 4 + 4) + 32767 * (2 + 5 + 2 + 8);
    EXPECT_EQ(bytes.substr(countAt, 2), Bytes({0xFF, 0x7F}));
}

// A file whose first track has the given code-page texts, made by writing
// placeholders and putting the raw texts in their place. With `far`,
// tracks of long texts follow it, so that it lies more than any one entry
// could take before the end of the bytes.
std::string FileWithTrackTexts(TextCodec& codec, const std::vector<std::string>& raw, int16_t folder,
                               bool far = false) {
    StateRecord rec = DefaultRecord();
    RootEntry root;
    root.Path = "D:\\m\\";
    for (int i = 0; i <= folder; ++i) AppendCapped(root.Folders, root.FolderCount, FolderEntry{"f", -1, ""});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"@0@", folder, "@1@", "@2@", "@3@", "@4@"});
    const std::string longText(60000, 'f');
    for (int i = 0; far && i < 6; ++i)
        AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"f.mp3", 0, longText, "", "", ""});
    AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    std::string bytes = EncodeState(rec, codec);
    for (size_t k = 0; k < raw.size(); ++k) {
        const std::string mark = "@" + std::to_string(k) + "@";
        const size_t at = bytes.find(mark);
        std::string counted = Bytes({static_cast<int>(raw[k].size() & 0xFF), static_cast<int>(raw[k].size() >> 8)});
        bytes.replace(at - 2, 2 + mark.size(), counted + raw[k]);
    }
    return bytes;
}

// The library's lists are decoded in one pass straight into their blocks;
// every text must come out as the codec alone makes it, whatever its
// length, its characters or the numbers around it, near the end of the
// bytes or far from it.
TEST_F(DataFile, LibraryTextsDecodeAsTheCodecMakesThem) {
    const std::string kana(30000, '\xB1');  // half-width katakana: 3 bytes each in UTF-8
    std::string mixed;
    for (int i = 0; i < 60; ++i) mixed += codec.ToAnsi("桜 a") + "b";
    struct Case { const char* name; std::vector<std::string> raw; int16_t folder; } cases[] = {
        {"ascii", {"01 a.mp3", "Title", "", "Album", "c"}, 0},
        {"japanese", {codec.ToAnsi("春.mp3"), codec.ToAnsi("春の歌"), "Artist", codec.ToAnsi("ｱﾙﾊﾞﾑ"), ""}, 1},
        {"long ascii texts", {std::string(200, 'x'), std::string(128, 'y'), std::string(300, 'z'), "", ""}, 0},
        {"a folder number with its top bit", {"a.mp3", "", "", "", ""}, 200},
        {"long mixed text", {"a.mp3", mixed, "", "", mixed.substr(0, 129)}, 130},
        {"a lead byte at the end", {"a.mp3", "ab\x82", "", "", ""}, 0},
        {"a byte the code page lacks", {"a.mp3", "x\xA0y", "\xFD", "", ""}, 0},
        {"longer than a count in UTF-8", {"a.mp3", kana, "", "", ""}, 0},
    };
    for (const auto& c : cases) {
        for (const bool far : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (far ? ", far from the end" : ""));
            const StateRecord back = Decode(FileWithTrackTexts(codec, c.raw, c.folder, far));
            const RootEntry& root = back.Library.LibraryRoots[0];
            ASSERT_EQ(root.Tracks.size(), far ? 7u : 1u);
            const TrackView t = root.Tracks[0];
            const std::string_view got[5] = {t.FileName, t.Title, t.Artist, t.Album, t.Comment};
            for (size_t k = 0; k < 5; ++k) {
                std::string expected = codec.FromAnsi(c.raw[k]);
                if (expected.size() > 65535) expected = std::string(TrackList::CutUtf8(expected, 65535));
                EXPECT_EQ(got[k], expected) << "text " << k;
            }
            EXPECT_EQ(t.FolderIndex, c.folder);
            // And what was read is written back as the codec writes it.
            EXPECT_EQ(Decode(EncodeState(back, codec)), back);
        }
    }
}

// Hand-made files that no writer produces: each must be refused quickly.
TEST_F(DataFile, RefusesImpossibleCountsAndShapes) {
    const std::string good = EncodeState(DefaultRecord(), codec);
    const size_t watchAt = 12;  // dimension count of WatchFolders
    const size_t rootsAt = 6 + 89;
    auto with = [&](size_t at, const std::string& replacement, size_t replaced) {
        std::string b = good;
        b.replace(at, replaced, replacement);
        return b;
    };
    struct Case { const char* name; std::string bytes; } cases[] = {
        {"two dimensions", with(watchAt, Bytes({2, 0}), 2)},
        {"negative dimensions", with(watchAt, Bytes({0xFF, 0xFF}), 2)},
        {"negative element count", with(watchAt, Bytes({1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}), 2)},
        {"lower bound not zero", with(watchAt, Bytes({1, 0, 0, 0, 0, 0, 1, 0, 0, 0}), 2)},
        {"more roots than bytes", with(rootsAt, Bytes({1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}), 2)},
        {"count without storage", with(watchAt + 2, Bytes({1, 0}), 2)},
        {"negative count", with(rootsAt + 2, Bytes({0xFF, 0xFF}), 2)},
        {"text longer than the file", with(0, Bytes({0xFF, 0xFF}), 2)},
    };
    for (const auto& c : cases) {
        StateRecord out;
        EXPECT_FALSE(DecodeState(c.bytes, out, codec)) << c.name;
        EXPECT_LT(out.Library.LibraryRoots.size(), 1000u) << c.name;
    }
}

TEST_F(DataFile, RefusesIndexesOutsideTheirLists) {
    StateRecord rec = RichRecord();
    rec.Library.LibraryRoots[0].Tracks.SetFolderIndex(1, 2);  // only folders 0 and 1 exist
    Decode(EncodeState(rec, codec), false);
    rec = RichRecord();
    rec.Library.LibraryRoots[0].Folders.SetParent(1, 5);
    Decode(EncodeState(rec, codec), false);
    rec = RichRecord();
    rec.PlayCount = 2;  // one entry stored
    Decode(EncodeState(rec, codec), false);
}

class DataFileSave : public DataFile {
protected:
    MemoryFileSystem fs;
    const std::string path = "C:\\app\\dat";
    const std::string old = "previous file";
    void SetUp() override { fs.files[path] = old; }
};

TEST_F(DataFileSave, ReplacesTheFileOnlyWhenTheNewOneIsComplete) {
    EXPECT_TRUE(WriteStateFile(fs, codec, path, DefaultRecord()));
    EXPECT_EQ(fs.files[path], EncodeState(DefaultRecord(), codec));
    EXPECT_EQ(fs.files[path + ".bak"], old);  // the previous generation
    EXPECT_EQ(fs.files.size(), 2u);  // no temporary file left
    StateRecord back;
    EXPECT_EQ(LoadState(fs, codec, path, back), LoadOutcome::Loaded);
    EXPECT_EQ(back, DefaultRecord());
}

TEST_F(DataFileSave, AFailureAtAnyStepLeavesThePreviousFile) {
    struct Case { const char* step; size_t partial; } cases[] = {
        {"create", 0}, {"write", 0}, {"write", 50}, {"replace", 0},
    };
    for (const auto& c : cases) {
        MemoryFileSystem f;
        f.files[path] = old;
        f.failOn = {c.step};
        f.failWriteAfter = c.partial;
        EXPECT_FALSE(WriteStateFile(f, codec, path, RichRecord())) << c.step;
        EXPECT_EQ(f.files[path], old) << c.step;
        EXPECT_EQ(f.files.size(), 1u) << c.step << ": temporary file left behind";
    }
}

TEST_F(DataFileSave, AReadOnlyFileIsNotReplaced) {
    fs.readOnly.insert(path);
    EXPECT_FALSE(WriteStateFile(fs, codec, path, DefaultRecord()));
    EXPECT_EQ(fs.files[path], old);
}

TEST_F(DataFileSave, LoadFailsForMissingUnreadableOrMalformedFiles) {
    StateRecord out;
    EXPECT_EQ(LoadState(fs, codec, "C:\\app\\none", out), LoadOutcome::Missing);
    EXPECT_EQ(LoadState(fs, codec, path, out), LoadOutcome::Damaged);  // "previous file" is no record
    fs.files[path] = EncodeState(RichRecord(), codec);
    fs.failOn = {"read"};
    EXPECT_EQ(LoadState(fs, codec, path, out), LoadOutcome::Damaged);
}

}  // namespace
}  // namespace tw
