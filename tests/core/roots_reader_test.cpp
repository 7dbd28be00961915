// A large data file is read on two threads; whatever the second thread
// makes of its half, the record must be the one a single thread reads.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/data_file.h"
#include "fakes/fakes.h"
#include "model/defaults.h"
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

// ---- writing on two threads: the second writes the later roots ----

class DataFile_SaveOnTwoThreads : public ::testing::Test {
protected:
    IconvCodec codec{"CP932"};

    std::string TwoThreads(const StateRecord& rec, Threads& threads, size_t* taken = nullptr) {
        EncodeOptions o;
        o.threads = &threads;
        o.twoThreadsFrom = 0;
        o.rootsFromSecondThread = taken;
        return EncodeState(rec, codec, o);
    }
};

TEST_F(DataFile_SaveOnTwoThreads, WritesTheSameBytesWhoeverWritesTheLaterRoots) {
    StateRecord uneven = Library(5, 20);
    for (int t = 0; t < 3000; ++t)
        AppendCapped(uneven.Library.LibraryRoots[4].Tracks, uneven.Library.LibraryRoots[4].TrackCount,
                     TrackEntry{std::to_string(t) + " 歌.mp3", 0, "Song", "Singer", "", ""});
    for (const StateRecord& rec : {Library(16, 300), uneven}) {
        const std::string one = EncodeState(rec, codec);

        FinishedThreads finished;
        size_t taken = 0;
        EXPECT_EQ(TwoThreads(rec, finished, &taken), one);
        EXPECT_EQ(finished.started, 1);
        EXPECT_GE(taken, 1u);
        EXPECT_LT(taken, rec.Library.LibraryRoots.size());

        NoThreads none;
        EXPECT_EQ(TwoThreads(rec, none, &taken), one);
        EXPECT_EQ(taken, 0u);

        PosixThreads real;
        for (int round = 0; round < 10; ++round) EXPECT_EQ(TwoThreads(rec, real), one) << round;
    }
}

TEST_F(DataFile_SaveOnTwoThreads, ASmallLibraryOrASingleRootIsWrittenOnOneThread) {
    FinishedThreads finished;
    EncodeOptions o;
    o.threads = &finished;  // the usual threshold, far above this library
    const StateRecord small = Library(4, 20);
    EXPECT_EQ(EncodeState(small, codec, o), EncodeState(small, codec));
    const StateRecord single = Library(1, 300);
    EXPECT_EQ(TwoThreads(single, finished), EncodeState(single, codec));
    EXPECT_EQ(finished.started, 0);
}

// A character the code page lacks needs the codec, which only the first
// thread may call: a root with one, in a track or a folder, is written by
// the first thread, in its place.
TEST_F(DataFile_SaveOnTwoThreads, TextsForTheCodecAreWrittenByTheFirstThread) {
    const std::string note = "a\xF0\x9F\x8E\xB5z";  // a musical-note emoji
    struct Case { const char* name; int root; bool inFolder; bool secondTaken; } cases[] = {
        {"in a late track", 14, false, false},
        {"in a late folder", 13, true, false},
        {"in an early track", 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StateRecord rec = Library(16, 300);
        RootEntry& root = rec.Library.LibraryRoots[c.root];
        if (c.inFolder) root.Folders.Set(1, FolderEntry{note, 0, note + "\\"});
        else root.Tracks.SetTags(7, note, "", "", "");
        const std::string one = EncodeState(rec, codec);
        ASSERT_NE(one.find("a?z"), std::string::npos);
        FinishedThreads finished;
        size_t taken = 0;
        EXPECT_EQ(TwoThreads(rec, finished, &taken), one);
        EXPECT_EQ(taken > 0, c.secondTaken);
        PosixThreads real;
        EXPECT_EQ(TwoThreads(rec, real), one);
    }
}

// ---- loading a file on two threads: the second reads the later half ----

// The data file's bytes behind a scripted handle: reads from `failFrom`
// on fail, the file may end before the size it claims, and every read is
// noted. `onLaterHalf` runs at the first read of the later half.
struct FileScript {
    std::string bytes;
    uint64_t claimedSize = 0;  // 0: the bytes' size
    uint64_t failFrom = UINT64_MAX;
    std::mutex m;
    std::vector<std::pair<uint64_t, size_t>> reads;
    std::function<void()> onLaterHalf;
};

class ScriptedSource : public ByteSource {
public:
    explicit ScriptedSource(FileScript& s) : s_(s) {}
    uint64_t Size() const override { return s_.claimedSize ? s_.claimedSize : s_.bytes.size(); }
    bool ReadAt(uint64_t offset, size_t count, std::string& bytes) override {
        bytes = offset < s_.bytes.size() ? s_.bytes.substr(offset, count) : "";
        return true;
    }
    bool ReadExactly(uint64_t offset, char* out, size_t count) override {
        std::function<void()> open;
        {
            std::lock_guard<std::mutex> lock(s_.m);
            s_.reads.emplace_back(offset, count);
            if (offset > 0) std::swap(open, s_.onLaterHalf);
        }
        if (open) open();
        if (offset + count > s_.failFrom || offset + count > s_.bytes.size()) return false;
        std::memcpy(out, s_.bytes.data() + offset, count);
        return true;
    }

private:
    FileScript& s_;
};

class ScriptedFiles : public test::MemoryFileSystem {
public:
    explicit ScriptedFiles(FileScript& s) : s_(s) { files["C:\\tw\\dat"] = s.bytes; }
    std::unique_ptr<ByteSource> OpenRead(const std::string&) override {
        return std::make_unique<ScriptedSource>(s_);
    }

private:
    FileScript& s_;
};

// Threads that hold the work back until told to go.
class HeldThreads : public Threads {
public:
    std::mutex m;
    std::condition_variable cv;
    bool go = false;
    void Go() {
        {
            std::lock_guard<std::mutex> lock(m);
            go = true;
        }
        cv.notify_all();
    }
    std::thread Start(std::function<void()> work) override {
        return std::thread([this, work = std::move(work)] {
            {
                std::unique_lock<std::mutex> lock(m);
                cv.wait(lock, [this] { return go; });
            }
            work();
        });
    }
};

class DataFile_LoadOnTwoThreads : public DataFile_TwoThreads {
protected:
    bool Load(FileScript& script, Threads& threads, StateRecord& out, size_t* taken = nullptr) {
        ScriptedFiles fs(script);
        DecodeOptions o;
        o.threads = &threads;
        o.twoThreadsFrom = 0;
        o.rootsFromSecondThread = taken;
        const bool ok = LoadState(fs, codec, "C:\\tw\\dat", out, o);
        wholeReads = std::count(fs.log.begin(), fs.log.end(), "read C:\\tw\\dat");
        return ok;
    }
    // Whether the bytes from the middle on were read with one read, and
    // nothing was read twice.
    static bool ReadInTwoHalves(const FileScript& s) {
        const size_t half = s.bytes.size() / 2;
        const auto first = std::make_pair(uint64_t{0}, half);
        const auto later = std::make_pair(uint64_t{half}, s.bytes.size() - half);
        return s.reads.size() == 2 && std::count(s.reads.begin(), s.reads.end(), first) == 1 &&
               std::count(s.reads.begin(), s.reads.end(), later) == 1;
    }
    long wholeReads = 0;
};

TEST_F(DataFile_LoadOnTwoThreads, ReadsTheSameRecordWhoeverReadsTheLaterHalf) {
    const StateRecord rec = Library(16, 300);
    FileScript script;
    script.bytes = EncodeState(rec, codec);

    // The second thread reads its half (and its roots) before the first
    // has begun.
    FinishedThreads finished;
    StateRecord out;
    size_t taken = 0;
    ASSERT_TRUE(Load(script, finished, out, &taken));
    EXPECT_EQ(out, rec);
    EXPECT_GT(taken, 4u);
    EXPECT_TRUE(ReadInTwoHalves(script));
    EXPECT_EQ(wholeReads, 0);

    // No thread to be had: the first reads the later half when it gets there.
    NoThreads none;
    script.reads.clear();
    ASSERT_TRUE(Load(script, none, out, &taken));
    EXPECT_EQ(out, rec);
    EXPECT_EQ(taken, 0u);
    EXPECT_TRUE(ReadInTwoHalves(script));

    // The second thread starts only once the first has begun on the later
    // half: it leaves that half to the first and reads nothing.
    HeldThreads held;
    script.reads.clear();
    script.onLaterHalf = [&] { held.Go(); };
    ASSERT_TRUE(Load(script, held, out, &taken));
    EXPECT_EQ(out, rec);
    EXPECT_EQ(taken, 0u);
    EXPECT_TRUE(ReadInTwoHalves(script));

    PosixThreads real;
    for (int round = 0; round < 20; ++round) {
        script.reads.clear();
        ASSERT_TRUE(Load(script, real, out)) << round;
        EXPECT_EQ(out, rec) << round;
        EXPECT_TRUE(ReadInTwoHalves(script)) << round;
    }
}

// The first thread meets the end of its half wherever it falls: inside a
// count, a text, a list of tracks or the play list after the library.
TEST_F(DataFile_LoadOnTwoThreads, TheMiddleMayFallAnywhere) {
    FinishedThreads finished;
    NoThreads none;
    StateRecord rec = Library(1, 400);
    StateRecord lists = Library(2, 3);
    for (int i = 0; i < 600; ++i)
        AppendCapped(lists.PlayList, lists.PlayCount,
                     SearchHit{"D:\\音楽\\", "ライブ\\", std::to_string(i) + " 歌.mp3"});
    // A list so long that most of it is read with no bounds check a text,
    // and again after the rest has been taken in.
    StateRecord large = Library(1, 20000);
    for (StateRecord* r : {&rec, &lists, &large}) {
        for (int pad = 0; pad < 48; ++pad) {
            r->Version = std::string(static_cast<size_t>(pad), 'v');
            FileScript script;
            script.bytes = EncodeState(*r, codec);
            StateRecord out;
            ASSERT_TRUE(Load(script, finished, out)) << pad;
            EXPECT_EQ(out, *r) << pad;
            ASSERT_TRUE(Load(script, none, out)) << pad;
            EXPECT_EQ(out, *r) << pad;
        }
    }
}

// A root that begins exactly in the middle: the first thread arrives there
// without having needed a byte of the later half, and takes the second's
// root from there.
TEST_F(DataFile_LoadOnTwoThreads, ARootThatBeginsInTheMiddle) {
    StateRecord rec = Library(2, 100);
    RootEntry& first = rec.Library.LibraryRoots[0];
    for (int t = 0; t < 40; ++t)
        AppendCapped(first.Tracks, first.TrackCount,
                     TrackEntry{std::to_string(t) + ".mp3", 0, "", "", "", ""});
    const std::string path = codec.ToAnsi(rec.Library.LibraryRoots[1].Path);
    std::string bytes = EncodeState(rec, codec);
    const size_t start = bytes.find(path) - 2;
    ASSERT_GT(2 * start, bytes.size() + 20);
    // A search word to make up the difference (its array's header too).
    AppendCapped(rec.Search.SearchWords, rec.Search.SearchWordCount, std::string());
    rec.Search.SearchWords[0].assign(2 * start - EncodeState(rec, codec).size(), 'w');
    bytes = EncodeState(rec, codec);
    ASSERT_EQ(bytes.size(), 2 * start);
    ASSERT_EQ(bytes.find(path) - 2, start);

    FinishedThreads finished;
    FileScript script;
    script.bytes = bytes;
    StateRecord out;
    size_t taken = 0;
    ASSERT_TRUE(Load(script, finished, out, &taken));
    EXPECT_EQ(taken, 1u);
    EXPECT_EQ(out, rec);
}

// When the later half cannot be read (a read error, or a file cut short
// since it was opened), the file is read again the usual way, whole.
TEST_F(DataFile_LoadOnTwoThreads, ALaterHalfThatCannotBeReadIsReadAgainWhole) {
    const StateRecord rec = Library(8, 200);
    const std::string bytes = EncodeState(rec, codec);
    FinishedThreads finished;
    NoThreads none;
    for (Threads* threads : std::initializer_list<Threads*>{&finished, &none}) {
        FileScript failing;
        failing.bytes = bytes;
        failing.failFrom = bytes.size() * 3 / 4;
        StateRecord out;
        ASSERT_TRUE(Load(failing, *threads, out));
        EXPECT_EQ(out, rec);
        EXPECT_EQ(wholeReads, 1);

        FileScript shorter;
        shorter.bytes = bytes.substr(0, bytes.size() - 100);
        shorter.claimedSize = bytes.size();
        EXPECT_FALSE(Load(shorter, *threads, out));  // what the whole read finds
        EXPECT_EQ(wholeReads, 1);
    }
    // A file that is whole but damaged is refused without a second read.
    FileScript damaged;
    damaged.bytes = EncodeState(Library(8, 200, "", 6, 10), codec);
    StateRecord out;
    EXPECT_FALSE(Load(damaged, finished, out));
    EXPECT_EQ(wholeReads, 0);
}

}  // namespace
}  // namespace tw
