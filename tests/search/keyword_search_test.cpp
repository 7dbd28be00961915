#include "search/keyword_search.h"

#include <gtest/gtest.h>

#include "app/work_scheduler.h"
#include "fakes/fakes.h"
#include "model/defaults.h"

namespace tw {
namespace {

using test::TestApp;

const char kIdeoSpace[] = "\xE3\x80\x80";  // U+3000

std::vector<std::string> Words(const AppContext& ctx) {
    const SearchState& s = ctx.live.Search;
    return {s.SearchWords.items.begin(), s.SearchWords.items.begin() + s.SearchWordCount};
}

TEST(Search_SplitKeyword, FoldsIdeographicSpacesAndRunsOfSpaces) {
    const std::string i = kIdeoSpace;
    struct Case { std::string keyword; std::vector<std::string> words; } cases[] = {
        {i + "abc" + i + i + "def ", {"abc", "def"}},
        {"  rock    blue  ", {"rock", "blue"}},
        {"桜" + i + " " + i + "ｻｸﾗ", {"桜", "ｻｸﾗ"}},
        {"a\tb c\t", {"a\tb", "c\t"}},  // only spaces separate words
        {"one", {"one"}},
        {"", {}},
        {" " + i + "  " + i, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyword);
        TestApp app;
        SplitKeyword(app.ctx.live.Search, "left over words");
        SplitKeyword(app.ctx.live.Search, c.keyword);
        EXPECT_EQ(Words(app.ctx), c.words);
        EXPECT_EQ(app.ctx.live.Search.SearchWordCount, static_cast<int16_t>(c.words.size()));
    }
}

// A library built by hand: roots, folders and tracks as registration
// leaves them.
class Search_Library : public ::testing::Test {
protected:
    TestApp app;
    AppContext& ctx = app.ctx;
    Settings& set = ctx.live.Settings;

    void SetUp() override {
        SetDefaults(set, 1024, 768);
    }
    int16_t AddRoot(const std::string& path) {
        RootEntry root;
        root.Path = path;
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
        TrackLibrary& lib = ctx.live.Library;
        AppendCapped(lib.LibraryRoots, lib.RootCount, std::move(root));
        return lib.RootCount - 1;
    }
    int16_t AddFolder(int16_t r, int16_t parent, const std::string& name) {
        RootEntry& root = ctx.live.Library.LibraryRoots[r];
        const FolderView p = root.Folders[parent];
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{name, parent, RelativeFolderPath(p)});
        return root.FolderCount - 1;
    }
    void AddTrack(int16_t r, int16_t folder, const std::string& file, const std::string& title = "",
                  const std::string& artist = "", const std::string& album = "",
                  const std::string& comment = "") {
        RootEntry& root = ctx.live.Library.LibraryRoots[r];
        AppendCapped(root.Tracks, root.TrackCount, TrackEntry{file, folder, title, artist, album, comment});
    }
    void Search(const std::string& keyword) {
        SearchTracks(ctx.live.Search, ctx.live.Library, set, app.codec, JobOf(ctx), keyword);
    }
    std::vector<std::string> HitPaths() const {
        std::vector<std::string> paths;
        const SearchState& s = ctx.live.Search;
        for (int16_t i = 0; i < s.SearchHitCount; ++i) paths.push_back(s.SearchHits[i].FullPath());
        return paths;
    }
};

TEST_F(Search_Library, TrackTextJoinsTheChosenPartsInOrder) {
    const int16_t r = AddRoot("D:\\m\\");
    const int16_t live = AddFolder(r, 0, "live");
    const int16_t year = AddFolder(r, live, "2001");
    AddTrack(r, year, "x.mp3", "Title", "Artist", "Album", "Comment");
    AddTrack(r, 0, "y.mp3", "T", "Ar", "Al", "C");
    struct Case {
        const char* name;
        void (*edit)(Settings&);
        const char* nested;
        const char* inRoot;
    } cases[] = {
        {"everything", [](Settings&) {},
         "live\\2001\\x.mp3 Album Artist Comment Title", "y.mp3 Al Ar C T"},
        {"no path: the backslash stays", [](Settings& s) { s.MatchPath = kFalse; },
         "\\x.mp3 Album Artist Comment Title", "y.mp3 Al Ar C T"},
        {"no file name", [](Settings& s) { s.MatchFileName = kFalse; },
         "live\\2001\\ Album Artist Comment Title", " Al Ar C T"},
        {"tags not used", [](Settings& s) { s.UseTagInfo = kFalse; }, "live\\2001\\x.mp3", "y.mp3"},
        {"artist and title only",
         [](Settings& s) { s.MatchAlbum = s.MatchComment = kFalse; },
         "live\\2001\\x.mp3 Artist Title", "y.mp3 Ar T"},
        {"comment only, no path or name",
         [](Settings& s) {
             s.MatchPath = s.MatchFileName = s.MatchAlbum = s.MatchArtist = s.MatchTrackName = kFalse;
         },
         "\\ Comment", " C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetDefaults(set, 1024, 768);
        c.edit(set);
        EXPECT_EQ(TrackText(ctx.live.Library, set, r, 0), c.nested);
        EXPECT_EQ(TrackText(ctx.live.Library, set, r, 1), c.inRoot);
    }
}

TEST_F(Search_Library, MatchingFoldsCaseButNotWidthOrKana) {
    struct Case { const char* keyword; const char* text; bool found; } cases[] = {
        {"ABC", "xabcx.mp3", true},
        {"abc", "XABCX.MP3", true},
        {"abcdefghijklmnopqrstuvwxyz", "01 ABCDEFGHIJKLMNOPQRSTUVWXYZ.mp3", true},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "01 abcdefghijklmnopqrstuvwxyz.mp3", true},
        {"ａｂｃ", "ＡＢＣ.mp3", true},   // full-width letters have case too
        {"ＡＢＣ", "abc.mp3", false},     // but are not half-width letters
        {"abc", "ａｂｃ.mp3", false},
        {"ｱｲ", "アイ.mp3", false},
        {"あい", "アイ.mp3", false},
        {"blue rock", "Rock Blue", true},  // every word, in any order
        {"rock jazz", "Rock Blue", false},
        {"", "anything", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keyword) + " in " + c.text);
        SplitKeyword(ctx.live.Search, c.keyword);
        EXPECT_EQ(MatchesAllWords(ctx.live.Search, app.codec, c.text), c.found);
    }
}

TEST_F(Search_Library, HitsNameTheirRootFolderAndFile) {
    const int16_t r = AddRoot("D:\\m\\");
    const int16_t abc = AddFolder(r, 0, "abc");
    const int16_t deep = AddFolder(r, abc, "deep");
    AddTrack(r, 0, "x1.mp3");
    AddTrack(r, abc, "x2.mp3");
    AddTrack(r, deep, "x3.mp3");
    AddTrack(r, abc, "y.mp3");
    Search("x");
    ASSERT_EQ(ctx.live.Search.SearchHitCount, 3);
    EXPECT_EQ(ctx.live.Search.SearchHits[0], (SearchHit{"D:\\m\\", "", "x1.mp3"}));
    EXPECT_EQ(ctx.live.Search.SearchHits[1], (SearchHit{"D:\\m\\", "abc\\", "x2.mp3"}));
    EXPECT_EQ(ctx.live.Search.SearchHits[2], (SearchHit{"D:\\m\\", "abc\\deep\\", "x3.mp3"}));

    // Folder and file are joined by exactly one backslash.
    Search("abc\\x");
    EXPECT_EQ(HitPaths(), (std::vector<std::string>{"D:\\m\\abc\\x2.mp3"}));
    Search("deep\\x3");
    EXPECT_EQ(HitPaths(), (std::vector<std::string>{"D:\\m\\abc\\deep\\x3.mp3"}));
    // The root's own path never takes part.
    Search("m\\");
    EXPECT_EQ(ctx.live.Search.SearchHitCount, 0);
}

TEST_F(Search_Library, ABackslashAloneFindsEverySubfolderTrackWithoutPaths) {
    set.MatchPath = kFalse;
    const int16_t r = AddRoot("D:\\m\\");
    AddTrack(r, 0, "top.mp3");
    AddTrack(r, AddFolder(r, 0, "sub"), "below.mp3");
    Search("\\");
    EXPECT_EQ(HitPaths(), (std::vector<std::string>{"D:\\m\\sub\\below.mp3"}));
    Search("sub");  // the path is not searched
    EXPECT_EQ(ctx.live.Search.SearchHitCount, 0);
}

TEST_F(Search_Library, TagWordsMatchAcrossFieldsButNotAcrossTheirJoin) {
    const int16_t r = AddRoot("D:\\m\\");
    AddTrack(r, 0, "01.mp3", "", "Blue Note", "Hard Rock", "");
    Search("rock blue");
    EXPECT_EQ(ctx.live.Search.SearchHitCount, 1);
    Search("rockblue");
    EXPECT_EQ(ctx.live.Search.SearchHitCount, 0);
    set.UseTagInfo = kFalse;
    Search("rock");
    EXPECT_EQ(ctx.live.Search.SearchHitCount, 0);
}

// The search matches tracks straight from the library's storage; it must
// find exactly the tracks whose TrackText holds every word, under every
// choice of fields, with texts whose byte counts look like letters.
TEST_F(Search_Library, FindsWhatTrackTextHoldsUnderEveryChoiceOfFields) {
    const int16_t r = AddRoot("D:\\m\\");
    const int16_t live = AddFolder(r, 0, "Live");
    const int16_t deep = AddFolder(r, live, "ａｂｃ深い");
    const std::string longA(65, 'a');  // a count of 0x41, 'A'
    AddTrack(r, 0, "top.mp3", "Sky", "Road", "Blue", "note");
    AddTrack(r, live, "01 love.mp3", longA, "", "Moon", "");
    AddTrack(r, live, "02.mp3", "", "Sky", "", "Blue");
    AddTrack(r, deep, "さくら.mp3", "ＳＡＫＵＲＡ", "桜", "", longA + "z");
    AddTrack(r, deep, std::string(97, 'x') + ".mp3", "a\tb");  // a count of 'e'
    // A second root whose folder 1 is another folder: nothing of the
    // first root's folder may carry over.
    const int16_t r2 = AddRoot("E:\\n\\");
    AddTrack(r2, AddFolder(r2, 0, "Other"), "02 sky.mp3", "", "Moon");
    const char* keywords[] = {"sky", "live\\02", "other\\0", "blue note", "live\\0", "\\0", "\\",
                              "mp3 a", "ｓａｋｕｒａ", "深い\\さ", "aA", "mp3A", "3e", "a\tb",
                              "moon love", "m\\top", "az", "x.mp3 ", "ｂｃ"};
    VBool Settings::*flags[] = {&Settings::MatchPath,   &Settings::MatchFileName,  &Settings::UseTagInfo,
                                &Settings::MatchArtist, &Settings::MatchTrackName, &Settings::MatchAlbum,
                                &Settings::MatchComment};
    for (int bits = 0; bits < 128; ++bits) {
        for (int f = 0; f < 7; ++f) set.*flags[f] = (bits >> f & 1) ? kTrue : kFalse;
        for (const char* k : keywords) {
            SCOPED_TRACE(std::string(k) + " with choice " + std::to_string(bits));
            std::vector<std::string> expected;
            SplitKeyword(ctx.live.Search, k);
            for (int16_t q : {r, r2}) {
                const RootEntry& root = ctx.live.Library.LibraryRoots[q];
                for (int16_t t = 0; t < root.TrackCount; ++t)
                    if (MatchesAllWords(ctx.live.Search, app.codec, TrackText(ctx.live.Library, set, q, t)))
                        expected.push_back(root.Path +
                                           RelativeFolderPath(root.Folders[root.Tracks[t].FolderIndex]) +
                                           std::string(root.Tracks[t].FileName));
            }
            Search(k);
            ASSERT_EQ(HitPaths(), expected);
        }
    }
}

TEST_F(Search_Library, StopsAtMaxHitsWithTheFirstInLibraryOrder) {
    const int16_t a = AddRoot("C:\\a\\");
    const int16_t b = AddRoot("C:\\b\\");
    std::vector<std::string> expected;
    for (int i = 0; i < 31; ++i) {
        const int16_t r = i < 20 ? a : b;
        const std::string name = "song" + std::to_string(i) + ".mp3";
        AddTrack(r, 0, name);
        AddTrack(r, 0, "other" + std::to_string(i) + ".mp3");
        if (i < 30) expected.push_back(ctx.live.Library.LibraryRoots[r].Path + name);
    }
    set.MaxHits = 30;
    Search("SONG");
    EXPECT_EQ(ctx.live.Search.SearchHitCount, 30);
    EXPECT_EQ(HitPaths(), expected);
    // The pass ends at the 30th hit, track 18 of the second root.
    EXPECT_EQ(app.pump.yields, 40 + 19);
}

TEST_F(Search_Library, NothingIsSearchedWithoutWordsOrRoomForHits) {
    const int16_t r = AddRoot("C:\\a\\");
    AddTrack(r, 0, "a.mp3");
    struct Case { const char* keyword; int16_t maxHits; } cases[] = {
        {"a", 0}, {"a", -1}, {"", 30}, {"\xE3\x80\x80 ", 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyword + std::string(" max ") + std::to_string(c.maxHits));
        Search("a");
        ASSERT_EQ(ctx.live.Search.SearchHitCount, 1);  // an earlier result is emptied
        app.pump.yields = 0;
        set.MaxHits = c.maxHits;
        Search(c.keyword);
        EXPECT_EQ(ctx.live.Search.SearchHitCount, 0);
        EXPECT_EQ(app.pump.yields, 0);
        set.MaxHits = 30;
    }
}

TEST_F(Search_Library, ACancelAtAYieldKeepsTheHitsSoFar) {
    const int16_t r = AddRoot("C:\\a\\");
    for (int i = 0; i < 5; ++i) AddTrack(r, 0, std::to_string(i) + ".mp3");
    for (bool quitting : {false, true}) {
        SCOPED_TRACE(quitting ? "quitting" : "cancel");
        ctx.run.CancelRequested = ctx.run.Quitting = false;
        app.pump.yields = 0;
        app.pump.at[3] = [&] { (quitting ? ctx.run.Quitting : ctx.run.CancelRequested) = true; };
        Search("mp3");
        EXPECT_EQ(app.pump.yields, 3);
        EXPECT_EQ(HitPaths(), (std::vector<std::string>{"C:\\a\\0.mp3", "C:\\a\\1.mp3"}));
    }
}

}  // namespace
}  // namespace tw
