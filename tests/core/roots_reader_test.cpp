// A large data file is read on two threads; whatever the second thread
// makes of its half, the record must be the one a single thread reads.
#include <gtest/gtest.h>

#include "core/data_file.h"
#include "fakes/fakes.h"
#include "platform/posix/posix_threads.h"

namespace tw {
namespace {

using test::FinishedThreads;
using test::NoThreads;

// `roots` roots of `tracks` tracks each, every other one with Japanese
// texts; every comment is `comment`, and the track of `badRoot` (if any)
// with `badTrack` names a folder its root does not have.
StateRecord Library(int roots, int tracks, const std::string& comment = "", int badRoot = -1, int badTrack = 0) {
    StateRecord rec;
    rec.Version = "3.10";
    SetDefaults(rec.Settings, 1024, 768);
    for (int r = 0; r < roots; ++r) {
        RootEntry root;
        root.Path = "D:\\音楽\\" + std::to_string(r) + " Band\\";
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
        AppendCapped(root.Folders, root.FolderCount, FolderEntry{"ライブ", 0, "ライブ\\"});
        for (int t = 0; t < tracks; ++t) {
            const std::string n = std::to_string(t);
            TrackEntry e = t % 2 ? TrackEntry{n + " 桜の歌.mp3", 1, "桜の歌 " + n, "歌手", "アルバム", comment}
                                 : TrackEntry{n + " Song.mp3", 0, "Song " + n, "Singer", "Album", comment};
            if (r == badRoot && t == badTrack) e.FolderIndex = 7;
            AppendCapped(root.Tracks, root.TrackCount, e);
        }
        root.TagsRead = root.TrackCount;
        rec.Library.RegisteredFileCount += root.TrackCount;
        AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    }
    rec.Library.TagsReadCount = rec.Library.RegisteredFileCount;
    AppendCapped(rec.PlayList, rec.PlayCount, SearchHit{"D:\\音楽\\1 Band\\", "", "1 桜の歌.mp3"});
    return rec;
}

// The bytes of a whole, well-formed root ("\x\", one track, one folder),
// to hide inside a text as a decoy.
std::string RootBytes() {
    std::string b;
    auto text = [&](std::string_view t) {
        b += static_cast<char>(t.size() & 0xFF);
        b += static_cast<char>(t.size() >> 8);
        b += t;
    };
    auto i16 = [&](int v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>((v >> 8) & 0xFF);
    };
    auto header = [&](int count) {
        i16(1);
        for (int k = 0; k < 4; ++k) b += static_cast<char>((count >> (8 * k)) & 0xFF);
        for (int k = 0; k < 4; ++k) b += '\0';
    };
    text("\\x\\");
    header(1);
    text("a.mp3");
    i16(0);
    for (int k = 0; k < 4; ++k) text("");
    i16(1);
    header(1);
    text("");
    i16(0);  // its own parent: ASCII all through, and still accepted
    text("");
    i16(1);
    i16(0);
    return b;
}

class DataFile_TwoThreads : public ::testing::Test {
protected:
    IconvCodec codec{"CP932"};

    bool TwoThreads(const std::string& bytes, Threads& threads, StateRecord& out, size_t* taken = nullptr) {
        DecodeOptions o;
        o.threads = &threads;
        o.twoThreadsFrom = 0;
        o.rootsFromSecondThread = taken;
        return DecodeState(bytes, out, codec, o);
    }
};

TEST_F(DataFile_TwoThreads, TakesTheLaterRootsFromTheSecondThread) {
    const StateRecord rec = Library(16, 300);
    const std::string bytes = EncodeState(rec, codec);

    FinishedThreads finished;
    StateRecord two;
    size_t taken = 0;
    ASSERT_TRUE(TwoThreads(bytes, finished, two, &taken));
    EXPECT_EQ(finished.started, 1);
    EXPECT_GT(taken, 4u);
    EXPECT_LT(taken, 12u);
    EXPECT_EQ(two, rec);

    // Threads that really run side by side, whichever gets where first.
    PosixThreads real;
    for (int round = 0; round < 20; ++round) {
        StateRecord again;
        ASSERT_TRUE(TwoThreads(bytes, real, again));
        EXPECT_EQ(again, rec) << "round " << round;
    }
}

TEST_F(DataFile_TwoThreads, ASmallLibraryIsReadOnOneThread) {
    const StateRecord rec = Library(4, 20);
    FinishedThreads finished;
    DecodeOptions o;
    o.threads = &finished;  // the usual threshold, far above this file
    StateRecord out;
    ASSERT_TRUE(DecodeState(EncodeState(rec, codec), out, codec, o));
    EXPECT_EQ(finished.started, 0);
    EXPECT_EQ(out, rec);
}

TEST_F(DataFile_TwoThreads, WithNoThreadToBeHadOneReadsAll) {
    const StateRecord rec = Library(8, 100);
    NoThreads none;
    StateRecord out;
    size_t taken = 1;
    ASSERT_TRUE(TwoThreads(EncodeState(rec, codec), none, out, &taken));
    EXPECT_EQ(taken, 0u);
    EXPECT_EQ(out, rec);
}

// Every comment holds the bytes of a complete root: the second thread
// starts at one of them, which the first never arrives at.
TEST_F(DataFile_TwoThreads, ARootHiddenInATextIsNotTakenForOne) {
    const StateRecord rec = Library(16, 100, RootBytes());
    const std::string bytes = EncodeState(rec, codec);
    FinishedThreads finished;
    StateRecord out;
    size_t taken = 1;
    ASSERT_TRUE(TwoThreads(bytes, finished, out, &taken));
    EXPECT_EQ(taken, 0u);
    EXPECT_EQ(out, rec);
}

// A code-page character the tables do not hold (an NEC-selected IBM
// extension, which the codec gives back in its IBM form) needs the codec,
// which only the first thread may call: the second stops before it.
TEST_F(DataFile_TwoThreads, ATextForTheCodecIsLeftToTheFirstThread) {
    StateRecord rec = Library(16, 300);
    RootEntry& late = rec.Library.LibraryRoots[12];
    TrackEntry marked{"mark.mp3", 0, "", "", "", "@@"};
    AppendCapped(late.Tracks, late.TrackCount, marked);
    std::string bytes = EncodeState(rec, codec);
    const size_t at = bytes.find(std::string("\x02\x00@@", 4));
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2] = '\xED';
    bytes[at + 3] = '\x40';

    StateRecord one;
    ASSERT_TRUE(DecodeState(bytes, one, codec));
    const TrackList& tracks = one.Library.LibraryRoots[12].Tracks;
    EXPECT_EQ(tracks[tracks.size() - 1].Comment, "纊");

    FinishedThreads finished;
    StateRecord two;
    size_t taken = 0;
    ASSERT_TRUE(TwoThreads(bytes, finished, two, &taken));
    EXPECT_GT(taken, 0u);
    EXPECT_LT(taken, 8u);
    EXPECT_EQ(two, one);
}

TEST_F(DataFile_TwoThreads, ADamagedOrCutFileFailsAsOnOneThread) {
    PosixThreads real;
    FinishedThreads finished;
    for (int badRoot : {2, 13}) {
        const std::string bytes = EncodeState(Library(16, 200, "", badRoot, 150), codec);
        StateRecord out;
        EXPECT_FALSE(DecodeState(bytes, out, codec)) << badRoot;
        EXPECT_FALSE(TwoThreads(bytes, finished, out)) << badRoot;
        EXPECT_FALSE(TwoThreads(bytes, real, out)) << badRoot;
    }
    const std::string whole = EncodeState(Library(16, 200), codec);
    for (size_t cut : {whole.size() / 3, whole.size() * 3 / 4, whole.size() - 30}) {
        StateRecord out;
        EXPECT_FALSE(TwoThreads(whole.substr(0, cut), finished, out)) << cut;
        EXPECT_FALSE(TwoThreads(whole.substr(0, cut), real, out)) << cut;
    }
}

}  // namespace
}  // namespace tw
