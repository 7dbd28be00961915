#include "model/text_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "model/state_record.h"

namespace tw {
namespace {

TrackEntry Track(int i, const std::string& extra = "") {
    const std::string n = std::to_string(i);
    return {n + ".mp3", static_cast<int16_t>(i % 7), "title " + n + extra, "artist", extra, ""};
}

TEST(Library_TrackList, EntriesSetFromTheirOwnTextsSurviveTheBufferGrowing) {
    TrackList list;
    for (int i = 0; i < 50; ++i) list.Append(Track(i));
    list.Compact();  // no spare room: the next block moves the buffer
    for (int round = 0; round < 20; ++round)
        for (size_t i = 0; i < list.size(); ++i) {
            const TrackView v = list[i];
            // Views into the list itself, as a caller copying one field
            // over another would pass them.
            list.SetTags(i, v.Artist, v.Title, v.FileName, v.Album);
        }
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackEntry e = list.Entry(i);
        const std::string n = std::to_string(i);
        // Twenty swaps of title and artist leave them where they were.
        EXPECT_EQ(e.Title, "title " + n);
        EXPECT_EQ(e.Artist, "artist");
        EXPECT_EQ(e.Album, n + ".mp3");
        EXPECT_EQ(e.FolderIndex, static_cast<int16_t>(i % 7));
    }
}

TEST(Library_TrackList, CompactKeepsEveryEntryAndDropsReplacedBlocks) {
    TrackList list;
    for (int i = 0; i < 100; ++i) list.Append(Track(i, i % 3 ? "" : "桜"));
    list.Compact();
    const size_t compact = list.Bytes();
    for (size_t i = 0; i < list.size(); ++i) list.SetFileName(i, list[i].FileName);  // each block written again
    EXPECT_GT(list.Bytes(), compact);
    TrackList before = list;
    list.Compact();
    EXPECT_EQ(list.Bytes(), compact);
    EXPECT_EQ(list, before);
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.Entry(i), Track(static_cast<int>(i), i % 3 ? "" : "桜"));
        EXPECT_EQ(std::as_const(list).Records()[i].ascii, i % 3 != 0) << i;
    }
}

TEST(Library_TrackList, AppendStopsAtTheLimitAndReplacesStaleEntries) {
    RootEntry root;
    for (int i = 0; i < kMaxListCount; ++i) ASSERT_TRUE(AppendCapped(root.Tracks, root.TrackCount, Track(i)));
    const size_t bytes = std::as_const(root.Tracks).Buffer().size();
    EXPECT_FALSE(AppendCapped(root.Tracks, root.TrackCount, Track(1)));
    EXPECT_EQ(root.TrackCount, kMaxListCount);
    EXPECT_EQ(root.Tracks.size(), static_cast<size_t>(kMaxListCount));
    EXPECT_EQ(std::as_const(root.Tracks).Buffer().size(), bytes);
    EXPECT_EQ(root.Tracks.Entry(kMaxListCount - 1), Track(kMaxListCount - 1));

    // Entries past the count (as a data file may hold) give way to new ones.
    root.TrackCount = 2;
    ASSERT_TRUE(AppendCapped(root.Tracks, root.TrackCount, Track(99, "new")));
    EXPECT_EQ(root.TrackCount, 3);
    EXPECT_EQ(root.Tracks.size(), 3u);
    EXPECT_EQ(root.Tracks.Entry(2), Track(99, "new"));
    EXPECT_EQ(root.Tracks.Entry(1), Track(1));
    // The dropped entries' blocks went with them.
    EXPECT_EQ(std::as_const(root.Tracks).Buffer().size(),
              root.Tracks.Block(0).size() + root.Tracks.Block(1).size() + root.Tracks.Block(2).size());
}

TEST(Library_TrackList, TextsPastACountAreCutAtACharacter) {
    std::string longText = "a";
    while (longText.size() < 70000) longText += "あ";
    TrackList list;
    list.Append(TrackEntry{"f.mp3", 0, longText, "x", "", ""});
    const TrackView v = list[0];
    EXPECT_EQ(v.Title.size(), 65533u);  // 'a' and 21,844 three-byte characters
    EXPECT_EQ(v.Title, std::string_view(longText).substr(0, 65533));
    EXPECT_EQ(v.Artist, "x");
}

}  // namespace
}  // namespace tw
