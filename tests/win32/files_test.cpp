// The Win32 file layer on a real file system, in a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/data_file.h"
#include "library/tag_reader.h"
#include "model/defaults.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_basics.h"
#include "platform/win32/win_files.h"
#include "temp_folder.h"

namespace tw::win {
namespace {

using test::ReadRaw;
using test::SetReadOnly;
using test::TempFolder;
using test::WriteRaw;

// Sorted so the platform's own listing order does not matter.
std::vector<FindEntry> Sorted(std::vector<FindEntry> v) {
    std::sort(v.begin(), v.end(),
              [](const FindEntry& a, const FindEntry& b) { return a.name < b.name; });
    return v;
}

TEST(Win32_Files, ListsDirectoriesMatchingThePattern) {
    TempFolder dir;
    WinFileSystem fs;
    ASSERT_TRUE(WriteRaw(dir / "a.mp3", "a"));
    ASSERT_TRUE(WriteRaw(dir / "B.MP3", "b"));
    ASSERT_TRUE(WriteRaw(dir / "c.txt", "c"));
    ASSERT_TRUE(CreateDirectoryW(Widen(dir / "x.mp3").c_str(), nullptr));

    std::vector<FindEntry> found;
    ASSERT_TRUE(fs.FindEntries(dir / "*.mp3", found));
    found = Sorted(found);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].name, "B.MP3");  // the match ignores case
    EXPECT_EQ(found[1].name, "a.mp3");
    EXPECT_EQ(found[2].name, "x.mp3");
    EXPECT_EQ(found[1].attributes & kAttrDirectory, 0u);
    EXPECT_NE(found[2].attributes & kAttrDirectory, 0u);

    // A listing that cannot start reports nothing, not the last results.
    EXPECT_FALSE(fs.FindEntries(dir / "nowhere\\*.mp3", found));
    EXPECT_TRUE(found.empty());
}

TEST(Win32_Files, JapaneseNamesRoundTrip) {
    TempFolder dir;
    WinFileSystem fs;
    const std::string name = "曲 テスト.mp3";
    ASSERT_TRUE(fs.WriteNewFile(dir / name, "data"));
    // The name on disk is the right UTF-16, not UTF-8 bytes read as ANSI.
    const std::wstring wide = Widen(dir.path()) + L"\\\x66F2 \x30C6\x30B9\x30C8.mp3";
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);

    std::vector<FindEntry> found;
    ASSERT_TRUE(fs.FindEntries(dir / "*.mp3", found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, name);
    std::string bytes;
    EXPECT_TRUE(fs.ReadWholeFile(dir / found[0].name, bytes));
    EXPECT_EQ(bytes, "data");
}

TEST(Win32_Files, AttributesAreReadBack) {
    TempFolder dir;
    WinFileSystem fs;
    ASSERT_TRUE(WriteRaw(dir / "h.mp3", "h"));
    ASSERT_TRUE(SetFileAttributesW(Widen(dir / "h.mp3").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    uint32_t a = 0;
    ASSERT_TRUE(fs.GetAttributes(dir / "h.mp3", a));
    EXPECT_NE(a & kAttrHidden, 0u);
    EXPECT_NE(a & kAttrSystem, 0u);
    EXPECT_EQ(a & kAttrDirectory, 0u);

    ASSERT_TRUE(fs.GetAttributes(dir.path(), a));
    EXPECT_NE(a & kAttrDirectory, 0u);

    a = 12345;
    EXPECT_FALSE(fs.GetAttributes(dir / "missing.mp3", a));
}

TEST(Win32_Files, ExistsReadAndDelete) {
    TempFolder dir;
    WinFileSystem fs;
    ASSERT_TRUE(WriteRaw(dir / "empty", ""));
    EXPECT_TRUE(fs.FileExists(dir / "empty"));
    EXPECT_FALSE(fs.FileExists(dir.path()));  // a folder is not a file
    EXPECT_FALSE(fs.FileExists(dir / "missing"));

    std::string bytes = "stale";
    EXPECT_TRUE(fs.ReadWholeFile(dir / "empty", bytes));
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(fs.ReadWholeFile(dir / "missing", bytes));

    EXPECT_TRUE(fs.DeleteFile(dir / "empty"));
    EXPECT_FALSE(fs.FileExists(dir / "empty"));
    EXPECT_FALSE(fs.DeleteFile(dir / "empty"));
}

TEST(Win32_Files, ShortPathOpensTheSameFile) {
    TempFolder dir;
    WinFileSystem fs;
    const std::string longName = dir / "a rather long file name.mp3";
    ASSERT_TRUE(WriteRaw(longName, "same file"));
    const std::string shortPath = fs.ShortPath(longName);
    ASSERT_FALSE(shortPath.empty());
    EXPECT_EQ(shortPath.find(' '), std::string::npos);
    EXPECT_EQ(ReadRaw(shortPath), "same file");

    EXPECT_EQ(fs.ShortPath(dir / "missing.mp3"), "");
}

TEST(Win32_Files, RenameRefusesAnExistingTarget) {
    TempFolder dir;
    WinFileSystem fs;
    ASSERT_TRUE(WriteRaw(dir / "one", "1"));
    ASSERT_TRUE(WriteRaw(dir / "two", "2"));

    EXPECT_TRUE(fs.RenameFile(dir / "one", dir / "uno"));
    EXPECT_FALSE(fs.FileExists(dir / "one"));
    EXPECT_EQ(ReadRaw(dir / "uno"), "1");

    EXPECT_FALSE(fs.RenameFile(dir / "uno", dir / "two"));
    EXPECT_EQ(ReadRaw(dir / "uno"), "1");
    EXPECT_EQ(ReadRaw(dir / "two"), "2");
}

TEST(Win32_Files, WriteNewFileTruncatesAndReplaceSwapsItIn) {
    TempFolder dir;
    WinFileSystem fs;
    ASSERT_TRUE(WriteRaw(dir / "dat", "old contents, longer than the new"));
    ASSERT_TRUE(WriteRaw(dir / "dat.tmp", std::string(100, 'x')));

    const std::string fresh("new\0bytes", 9);  // binary safe
    ASSERT_TRUE(fs.WriteNewFile(dir / "dat.tmp", fresh));
    EXPECT_EQ(ReadRaw(dir / "dat.tmp"), fresh);

    EXPECT_TRUE(fs.ReplaceFile(dir / "dat.tmp", dir / "dat"));
    EXPECT_EQ(ReadRaw(dir / "dat"), fresh);
    EXPECT_FALSE(fs.FileExists(dir / "dat.tmp"));

    EXPECT_FALSE(fs.WriteNewFile(dir / "no folder\\dat", "x"));
}

TEST(Win32_Files, ReadOnlyTargetsAreLeftAlone) {
    TempFolder dir;
    WinFileSystem fs;
    ASSERT_TRUE(WriteRaw(dir / "dat", "keep me"));
    ASSERT_TRUE(SetReadOnly(dir / "dat", true));
    ASSERT_TRUE(fs.WriteNewFile(dir / "dat.tmp", "replacement"));

    EXPECT_FALSE(fs.ReplaceFile(dir / "dat.tmp", dir / "dat"));
    EXPECT_EQ(ReadRaw(dir / "dat"), "keep me");
    EXPECT_FALSE(fs.WriteNewFile(dir / "dat", "overwritten"));
    EXPECT_EQ(ReadRaw(dir / "dat"), "keep me");
}

TEST(Win32_Files, ReadTailTakesTheEndOfTheFile) {
    TempFolder dir;
    WinFileSystem fs;
    std::string big;
    for (int i = 0; i < 300; ++i) big.push_back(static_cast<char>(i * 7));
    ASSERT_TRUE(WriteRaw(dir / "big.mp3", big));
    ASSERT_TRUE(WriteRaw(dir / "small.mp3", big.substr(0, 50)));

    std::string tail;
    ASSERT_TRUE(fs.ReadTail(dir / "big.mp3", 128, tail));
    EXPECT_EQ(tail, big.substr(300 - 128));
    ASSERT_TRUE(fs.ReadTail(dir / "small.mp3", 128, tail));
    EXPECT_EQ(tail, big.substr(0, 50));
    EXPECT_FALSE(fs.ReadTail(dir / "missing.mp3", 128, tail));
}

TEST(Win32_Files, OpenReadReadsAnyPlaceOfTheFile) {
    TempFolder dir;
    WinFileSystem fs;
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes.push_back(static_cast<char>(i * 13));
    ASSERT_TRUE(WriteRaw(dir / "音楽.mp3", bytes));
    const std::unique_ptr<ByteSource> file = fs.OpenRead(dir / "音楽.mp3");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), 5000u);
    std::string got;
    ASSERT_TRUE(file->ReadAt(4000, 300, got));
    EXPECT_EQ(got, bytes.substr(4000, 300));
    ASSERT_TRUE(file->ReadAt(0, 10, got));
    EXPECT_EQ(got, bytes.substr(0, 10));
    ASSERT_TRUE(file->ReadAt(4900, 4096, got));  // cut at the end
    EXPECT_EQ(got, bytes.substr(4900));
    ASSERT_TRUE(file->ReadAt(9000, 10, got));
    EXPECT_EQ(got, "");
    EXPECT_FALSE(fs.OpenRead(dir / "missing.mp3"));
}

TEST(Win32_Files, AFrontTagIsReadThroughTheRealLayer) {
    TempFolder dir;
    WinFileSystem fs;
    // ID3v2.3: TPE1 "Frontline Duo" in UTF-16 with a byte-order mark.
    std::string frame = std::string("\x01\xFF\xFE", 3);
    for (char c : std::string("Frontline Duo")) frame += {c, '\0'};
    std::string tag = std::string("TPE1\0\0\0", 7) + static_cast<char>(frame.size()) + std::string(2, '\0') + frame;
    tag += std::string(80, '\0');
    const std::string file = std::string("ID3\x03\0\0\0\0\0", 9) + static_cast<char>(tag.size()) + tag +
                             std::string(3000, '\x55');
    ASSERT_LT(tag.size(), 128u);
    ASSERT_TRUE(WriteRaw(dir / "front.mp3", file));
    WinTextCodec codec;
    TagBlock block;
    ASSERT_TRUE(ReadTag(fs, codec, dir / "front.mp3", block));
    EXPECT_EQ(block.Artist, "Frontline Duo");
}

// The data file's save path over the real layer: a read-only data file
// makes the save fail without touching it or leaving the temporary behind.
TEST(Win32_DataFile, SaveRoundTripsAndRespectsReadOnlyFile) {
    TempFolder dir;
    WinFileSystem fs;
    WinTextCodec codec;
    const std::string path = DataFilePath(dir.path());

    StateRecord rec;
    rec.Version = kVersionText;
    SetDefaults(rec.Settings, 1024, 768);
    rec.Settings.Keyword = "guitar";
    ASSERT_TRUE(WriteStateFile(fs, codec, path, rec));
    StateRecord back;
    ASSERT_EQ(LoadState(fs, codec, path, back), LoadOutcome::Loaded);
    EXPECT_EQ(back, rec);

    // A second save keeps the first generation beside it, byte for byte,
    // and a name the code page lacks comes back whole.
    const std::string first = ReadRaw(path);
    rec.Settings.Keyword = "소녀시대";
    ASSERT_TRUE(WriteStateFile(fs, codec, path, rec));
    EXPECT_EQ(ReadRaw(path + kBackupSuffix), first);
    ASSERT_EQ(LoadState(fs, codec, path, back), LoadOutcome::Loaded);
    EXPECT_EQ(back.Settings.Keyword, "소녀시대");

    const std::string before = ReadRaw(path);
    ASSERT_TRUE(SetReadOnly(path, true));
    rec.Settings.Keyword = "piano";
    EXPECT_FALSE(WriteStateFile(fs, codec, path, rec));
    EXPECT_EQ(ReadRaw(path), before);
    EXPECT_FALSE(fs.FileExists(path + ".tmp"));
}

}  // namespace
}  // namespace tw::win
