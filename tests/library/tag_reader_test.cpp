#include "library/tag_reader.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/work_scheduler.h"
#include "fakes/fakes.h"
#include "library/id3v2_builder.h"

namespace tw {
namespace {

using test::TestApp;

using test::Id3v1Block;

// An ID3v2.3 tag of UTF-8 text frames (id, text), as a file's front.
std::string FrontTag(const std::vector<std::pair<std::string, std::string>>& frames) {
    std::string body;
    for (const auto& [id, text] : frames) body += id3build::Frame(3, id, '\3' + text);
    return id3build::Tag(3, body);
}

class Library_Tags : public ::testing::Test {
protected:
    TestApp app;
    TagBlock tag;
    bool Read(const std::string& path, bool preferId3v2 = true) {
        return ReadTag(app.files, app.codec, path, tag, preferId3v2);
    }
};

TEST_F(Library_Tags, FieldsAreCutAtNulAndTrimmed) {
    app.files.AddFile("C:\\a.mp3", std::string(500, 'x') +
                                       Id3v1Block("  Abc  ", std::string(30, ' '), app.codec.ToAnsi("アルバム"),
                                             std::string("text\0\x05", 6)));
    ASSERT_TRUE(Read("C:\\a.mp3"));
    EXPECT_EQ(tag.Title, "Abc");
    EXPECT_EQ(tag.Artist, "");
    EXPECT_EQ(tag.Album, "アルバム");
    EXPECT_EQ(tag.Comment, "text");  // the track number byte after the NUL is gone
    EXPECT_EQ(tag.Year, "1999");
    EXPECT_EQ(tag.Genre, 17);
}

TEST_F(Library_Tags, AFileOfExactlyTheBlockIsRead) {
    app.files.AddFile("C:\\x.mP3", Id3v1Block("Only"));
    ASSERT_TRUE(Read("C:\\x.mP3"));
    EXPECT_EQ(tag.Title, "Only");
}

TEST_F(Library_Tags, NoTagWithoutMarkerExtensionOrEnoughBytes) {
    app.files.AddFile("C:\\audio.mp3", std::string(1000, 'Z'));  // no tag, just audio
    app.files.AddFile("C:\\short.mp3", "TAGshort");
    app.files.AddFile("C:\\tagged.mp4", Id3v1Block("Nope"));
    app.files.AddFile("C:\\lower.mp3", Id3v1Block("Nope", "", "", "", "tag"));
    for (const char* path : {"C:\\audio.mp3", "C:\\short.mp3", "C:\\tagged.mp4", "C:\\lower.mp3",
                             "C:\\missing.mp3", "   ", ""}) {
        EXPECT_FALSE(Read(path)) << path;
        EXPECT_EQ(tag.Title, "") << path;
    }
}

TEST_F(Library_Tags, AFileWithoutTheEndBlockGivesItsFrontTag) {
    const std::string audio(3000, '\x55');
    app.files.AddFile("C:\\v2.mp3", FrontTag({{"TIT2", "桜の歌"}, {"TPE1", "Band"}, {"TALB", "盤"}}) + audio);
    ASSERT_TRUE(Read("C:\\v2.mp3"));
    EXPECT_EQ(tag.Title, "桜の歌");
    EXPECT_EQ(tag.Artist, "Band");
    EXPECT_EQ(tag.Album, "盤");
    EXPECT_EQ(tag.Marker, "");

    // Texts stay whole, whatever the code page holds.
    app.files.AddFile("C:\\latin.mp3", FrontTag({{"TIT2", "Café 𝄞"}}) + audio);
    ASSERT_TRUE(Read("C:\\latin.mp3"));
    EXPECT_EQ(tag.Title, "Café 𝄞");

    // A front tag alone in a file shorter than an end block.
    app.files.AddFile("C:\\tiny.mp3", FrontTag({{"TPE1", "Tiny"}}));
    ASSERT_TRUE(Read("C:\\tiny.mp3"));
    EXPECT_EQ(tag.Artist, "Tiny");
    // A front tag with no text is no tag.
    app.files.AddFile("C:\\empty.mp3", FrontTag({{"TIT2", ""}}) + audio);
    EXPECT_FALSE(Read("C:\\empty.mp3"));
}

// A tagger that writes both tags leaves its own lossy copy in the end
// block: "?" for each character the code page lacks.
TEST_F(Library_Tags, WithBothTagsEachFieldComesFromVersion2WhenPreferred) {
    const std::string audio(3000, '\x55');
    app.files.AddFile("C:\\both.mp3", FrontTag({{"TIT2", "소녀시대"}, {"TPE1", "Front band"}}) + audio +
                                           Id3v1Block("????", "Back band", "Album from v1", "v1 comment"));
    struct Case { bool prefer; const char *title, *artist, *album, *comment; } cases[] = {
        {true, "소녀시대", "Front band", "Album from v1", "v1 comment"},  // no album or comment frame
        {false, "????", "Back band", "Album from v1", "v1 comment"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Read("C:\\both.mp3", c.prefer));
        EXPECT_EQ(tag.Title, c.title) << c.prefer;
        EXPECT_EQ(tag.Artist, c.artist) << c.prefer;
        EXPECT_EQ(tag.Album, c.album) << c.prefer;
        EXPECT_EQ(tag.Comment, c.comment) << c.prefer;
        EXPECT_EQ(tag.Marker, "TAG");
    }
    // A file with the end block alone reads as ever, either way.
    app.files.AddFile("C:\\v1.mp3", audio + Id3v1Block("Only v1"));
    for (bool prefer : {true, false}) {
        ASSERT_TRUE(Read("C:\\v1.mp3", prefer));
        EXPECT_EQ(tag.Title, "Only v1");
    }

}

TEST_F(Library_Tags, RootTagsCountEveryFileAndClearFieldsOfUnreadableOnes) {
    auto& lib = app.ctx.live.Library;
    RootEntry root;
    root.Path = "C:\\m\\";
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"sub", 0, ""});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"1.mp3", 0, {}, {}, {}, {}});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"2.mp3", 1, "stale", "stale", "stale", "stale"});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"3.mp3", 1, {}, {}, {}, {}});
    AppendCapped(lib.LibraryRoots, lib.RootCount, root);
    app.files.AddFile("C:\\m\\1.mp3", Id3v1Block("One", "Band"));
    app.files.AddFile("C:\\m\\sub\\3.mp3", Id3v1Block("Three"));
    ReadRootTags(lib, app.files, app.codec, JobOf(app.ctx), 0, true);
    const RootEntry& r = lib.LibraryRoots[0];
    EXPECT_EQ(r.Tracks[0].Title, "One");
    EXPECT_EQ(r.Tracks[0].Artist, "Band");
    EXPECT_EQ(r.Tracks[1].Title, "");  // missing file: nothing carried over
    EXPECT_EQ(r.Tracks[1].Comment, "");
    EXPECT_EQ(r.Tracks[2].Title, "Three");
    EXPECT_EQ(r.TagsRead, 3);
    EXPECT_EQ(lib.TagsReadCount, 3);
    EXPECT_EQ(app.pump.yields, 3);

    // A cancel at the second yield leaves the third track as it was.
    lib.LibraryRoots[0].Tracks.SetTags(2, "kept", "", "", "");
    lib.LibraryRoots[0].TagsRead = 0;
    lib.TagsReadCount = 0;
    app.pump.yields = 0;
    app.pump.at[2] = [&] { app.ctx.run.CancelRequested = true; };
    ReadRootTags(lib, app.files, app.codec, JobOf(app.ctx), 0, true);
    EXPECT_EQ(lib.TagsReadCount, 2);
    EXPECT_EQ(lib.LibraryRoots[0].Tracks[2].Title, "kept");
}

TEST(Library_CutAtNul, CutsAtTheFirstNul) {
    EXPECT_EQ(CutAtNul(std::string("ab\0cd\0", 6)), "ab");
    EXPECT_EQ(CutAtNul("abc"), "abc");
    EXPECT_EQ(CutAtNul(std::string("\0x", 2)), "");
}

}  // namespace
}  // namespace tw
