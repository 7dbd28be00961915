#include "library/folder_scan.h"

#include <gtest/gtest.h>

#include "app/work_scheduler.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

using test::TestApp;

std::vector<std::string> TrackNames(const RootEntry& root) {
    std::vector<std::string> names;
    for (int16_t i = 0; i < root.TrackCount; ++i)
        names.push_back(RelativeFolderPath(root.Folders[root.Tracks[i].FolderIndex]) + std::string(root.Tracks[i].FileName));
    return names;
}

std::vector<std::string> FolderNames(const RootEntry& root) {
    std::vector<std::string> names;
    for (int16_t i = 0; i < root.FolderCount; ++i) names.push_back(RelativeFolderPath(root.Folders[i]));
    return names;
}

class Library_Register : public ::testing::Test {
protected:
    TestApp app;
    test::MemoryFileSystem& fs = app.files;
    Registration reg = RegistrationOf(app.ctx);
    const RootEntry& Root(int i = 0) { return app.ctx.live.Library.LibraryRoots[i]; }
};

TEST_F(Library_Register, WalksDepthFirstWithEachFoldersFilesFirst) {
    fs.AddDir("C:\\m");
    fs.AddFile("C:\\m\\b.mp3");
    fs.AddFile("C:\\m\\a.MP3");
    fs.AddFile("C:\\m\\notes.txt");
    fs.AddDir("C:\\m\\A");
    fs.AddFile("C:\\m\\A\\a1.mp3");
    fs.AddDir("C:\\m\\A\\AA");
    fs.AddFile("C:\\m\\A\\AA\\aa.mp3");
    fs.AddDir("C:\\m\\B");
    fs.AddFile("C:\\m\\B\\b1.mp3");
    ASSERT_TRUE(RegisterRoot(reg, "C:\\m\\", true));

    EXPECT_EQ(app.ctx.live.Library.RootCount, 1);
    EXPECT_EQ(Root().Path, "C:\\m\\");
    EXPECT_EQ(TrackNames(Root()), (std::vector<std::string>{"a.MP3", "b.mp3", "A\\a1.mp3",
                                                            "A\\AA\\aa.mp3", "B\\b1.mp3"}));
    EXPECT_EQ(FolderNames(Root()), (std::vector<std::string>{"", "A\\", "A\\AA\\", "B\\"}));
    EXPECT_EQ(Root().Folders[2].Parent, 1);
    EXPECT_EQ(Root().Folders[2].PathFromRoot, "A\\");
    EXPECT_EQ(Root().Folders[0].Parent, -1);
    EXPECT_EQ(app.ctx.live.Library.RegisteredFileCount, 5);
    EXPECT_EQ(Root().TagsRead, 0);
    // Each folder is searched with the pattern built from the root.
    EXPECT_EQ(fs.patterns[0], "C:\\m\\*.mp3");
    EXPECT_NE(std::find(fs.patterns.begin(), fs.patterns.end(), "C:\\m\\A\\AA\\*.mp3"), fs.patterns.end());
}

TEST_F(Library_Register, HiddenAndSystemFoldersComeOnceInTheirOwnPass) {
    fs.AddDir("C:\\m");
    fs.AddDir("C:\\m\\a-hidden", kAttrHidden);
    fs.AddDir("C:\\m\\b-system", kAttrSystem);
    fs.AddDir("C:\\m\\c-both", kAttrHidden | kAttrSystem);
    fs.AddDir("C:\\m\\d-plain", kAttrReadOnly);
    fs.AddDir("C:\\m\\x.mp3");  // a folder the pattern lists as a track
    fs.AddFile("C:\\m\\e-hidden-file");
    fs.fileAttributes["C:\\m\\e-hidden-file"] = kAttrHidden;
    ASSERT_TRUE(RegisterRoot(reg, "C:\\m\\", true));
    EXPECT_EQ(FolderNames(Root()), (std::vector<std::string>{"", "d-plain\\", "x.mp3\\", "a-hidden\\",
                                                             "b-system\\", "c-both\\"}));
    EXPECT_EQ(TrackNames(Root()), std::vector<std::string>{"x.mp3"});
}

TEST_F(Library_Register, WithoutSubfoldersOnlyTheFolderItself) {
    fs.AddDir("C:\\m");
    fs.AddFile("C:\\m\\a.mp3");
    fs.AddDir("C:\\m\\A");
    fs.AddFile("C:\\m\\A\\a1.mp3");
    RegisterRoot(reg, "C:\\m\\", false);
    EXPECT_EQ(TrackNames(Root()), std::vector<std::string>{"a.mp3"});
    EXPECT_EQ(Root().FolderCount, 1);
}

TEST_F(Library_Register, EmptyOrMissingFoldersGiveAnEmptyRoot) {
    fs.AddDir("C:\\empty");
    RegisterRoot(reg, "C:\\empty\\", true);
    RegisterRoot(reg, "C:\\gone\\", true);
    ASSERT_EQ(app.ctx.live.Library.RootCount, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Root(i).TrackCount, 0);
        EXPECT_EQ(Root(i).FolderCount, 1);
    }
}

// Cancel while the sub-folders of R\A\A1 are being listed: A1's own
// sub-folders are lost, the folders already listed above (A2 at A's level,
// B at the root's) are still registered with their files but nothing below.
TEST_F(Library_Register, CancelDuringADeepListingKeepsWhatWasListedAbove) {
    for (const char* d : {"R", "R\\A", "R\\A\\A1", "R\\A\\A1\\X", "R\\A\\A2", "R\\A\\A2\\Y", "R\\B", "R\\B\\Z"})
        fs.AddDir(d);
    for (const char* f : {"R\\r.mp3", "R\\A\\a.mp3", "R\\A\\A1\\a1.mp3", "R\\A\\A1\\X\\x.mp3",
                          "R\\A\\A2\\a2.mp3", "R\\A\\A2\\Y\\y.mp3", "R\\B\\b.mp3", "R\\B\\Z\\z.mp3"})
        fs.AddFile(f);
    app.pump.every = [&] {
        if (fs.patterns.back() == "R\\A\\A1\\*") app.ctx.run.CancelRequested = true;
    };
    RegisterRoot(reg, "R\\", true);
    EXPECT_EQ(FolderNames(Root()), (std::vector<std::string>{"", "A\\", "A\\A1\\", "A\\A2\\", "B\\"}));
    EXPECT_EQ(TrackNames(Root()), (std::vector<std::string>{"r.mp3", "A\\a.mp3", "A\\A1\\a1.mp3",
                                                            "A\\A2\\a2.mp3", "B\\b.mp3"}));
    // Nothing below the cancel point was even listed.
    EXPECT_EQ(std::count(fs.patterns.begin(), fs.patterns.end(), "R\\A\\A2\\*"), 0);
}

TEST_F(Library_Register, YieldsOncePerEntryExaminedInEachPass) {
    fs.AddDir("C:\\m");
    fs.AddFile("C:\\m\\a.mp3");
    fs.AddDir("C:\\m\\h", kAttrHidden);
    RegisterRoot(reg, "C:\\m\\", false);
    // Pass 16 admits ".", "..", a.mp3; pass 18 those and h; 20 as 16; 22 as 18.
    EXPECT_EQ(app.pump.yields, 3 + 4 + 3 + 4);
}

// As the registration job does it: the library emptied, every folder
// registered again. A root whose files are gone is empty (no storage, as a
// fresh one), and when they come back it is exactly as first registered.
TEST_F(Library_Register, ARootEmptiedAndRegisteredAgainIsAsNew) {
    fs.AddDir("C:\\m");
    fs.AddDir("C:\\m\\sub");
    for (const char* f : {"C:\\m\\a.mp3", "C:\\m\\sub\\b.mp3", "C:\\m\\sub\\桜.mp3"}) fs.AddFile(f);
    auto registerAgain = [&] {
        TrackLibrary& lib = app.ctx.live.Library;
        lib.RegisteredFileCount = 0;
        lib.LibraryRoots.Clear();
        lib.RootCount = 0;
        RegisterRoot(reg, "C:\\m\\", true);
    };
    registerAgain();
    const RootEntry first = Root();
    ASSERT_EQ(first.TrackCount, 3);
    app.ctx.live.Library.LibraryRoots[0].Tracks.SetTags(1, "t", "a", "", "");  // tags read since

    const auto files = fs.files;
    fs.files.clear();
    registerAgain();
    EXPECT_EQ(Root().TrackCount, 0);
    EXPECT_FALSE(Root().Tracks.hasStorage);
    EXPECT_EQ(Root().Tracks.Bytes(), 0u);
    EXPECT_EQ(FolderNames(Root()), (std::vector<std::string>{"", "sub\\"}));

    fs.files = files;
    registerAgain();
    EXPECT_EQ(Root(), first);
    EXPECT_EQ(Root().Tracks[1].Title, "");
    EXPECT_EQ(app.ctx.live.Library.RegisteredFileCount, 3);
}

TEST_F(Library_Register, ARootsListsStopAtTheSixteenBitLimit) {
    fs.AddDir("C:\\big");
    for (int i = 0; i < 32770; ++i) fs.AddFile("C:\\big\\" + std::to_string(100000 + i) + ".mp3");
    RegisterRoot(reg, "C:\\big\\", false);
    EXPECT_EQ(Root().TrackCount, 32767);
    EXPECT_EQ(Root().Tracks.size(), 32767u);
    EXPECT_EQ(app.ctx.live.Library.RegisteredFileCount, 32767);
    EXPECT_EQ(app.ctx.run.FilesOverLimit, 3);
}

// Links back up the tree (junctions, symbolic links) are not walked again;
// a link elsewhere is an ordinary folder.
TEST_F(Library_Register, AFolderOnTheWayDownIsNotEnteredAgain) {
    struct Case {
        const char* link;
        const char* target;
        std::vector<std::string> tracks;
    } cases[] = {
        {"C:\\m\\A\\up", "C:\\m", {"r.mp3", "A\\a.mp3", "B\\b.mp3"}},
        {"C:\\m\\A\\self", "C:\\m\\A", {"r.mp3", "A\\a.mp3", "B\\b.mp3"}},
        {"C:\\m\\A\\side", "C:\\m\\B", {"r.mp3", "A\\a.mp3", "A\\side\\b.mp3", "B\\b.mp3"}},
    };
    for (const Case& c : cases) {
        TestApp fresh;
        test::MemoryFileSystem& f = fresh.files;
        f.AddDir("C:\\m");
        f.AddFile("C:\\m\\r.mp3");
        f.AddDir("C:\\m\\A");
        f.AddFile("C:\\m\\A\\a.mp3");
        f.AddDir("C:\\m\\B");
        f.AddFile("C:\\m\\B\\b.mp3");
        f.AddLink(c.link, c.target);
        f.AddLink("C:\\m\\B\\back", "C:\\m");  // a second loop, as in a profile
        Registration r = RegistrationOf(fresh.ctx);
        ASSERT_TRUE(RegisterRoot(r, "C:\\m\\", true));
        EXPECT_EQ(TrackNames(fresh.ctx.live.Library.LibraryRoots[0]), c.tracks) << c.link;
    }
}

TEST(Library_Listing, FolderEntriesAndAttributes) {
    TestApp app;
    auto& fs = app.files;
    fs.AddDir("C:\\d");
    fs.AddFile("C:\\d\\song.mp3");
    fs.AddDir("C:\\d\\sub");
    EXPECT_EQ(ListFolderEntries(fs, "C:\\d"), (std::vector<std::string>{"song.mp3", "sub"}));
    EXPECT_EQ(fs.patterns.back(), "C:\\d\\*.*");
    EXPECT_EQ(ListFolderEntries(fs, "C:\\d\\"), (std::vector<std::string>{"song.mp3", "sub"}));
    EXPECT_TRUE(ListFolderEntries(fs, "C:\\none").empty());
    ListFolderEntries(fs, "");
    EXPECT_EQ(fs.patterns.back(), "*.*");
    EXPECT_EQ(GetAttributesSafe(fs, "C:\\d\\sub") & kAttrDirectory, kAttrDirectory);
    EXPECT_EQ(GetAttributesSafe(fs, "C:\\d\\missing"), 0);
}

}  // namespace
}  // namespace tw
