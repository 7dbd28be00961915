#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/posix/iconv_codec.h"
#include "platform/posix/posix_files.h"

namespace tw {
namespace {

TEST(Posix_Wildcard, MatchesLikeTheWindowsListing) {
    struct Case { const char* pattern; const char* name; bool match; } cases[] = {
        {"*.mp3", "a.mp3", true},     {"*.mp3", "A.MP3", true},   {"*.mp3", "a.mp3.txt", false},
        {"*.mp3", ".mp3", true},      {"*.*", "noext", true},     {"*.*", "a.b", true},
        {"a?c", "abc", true},         {"a?c", "ac", false},       {"*", "", true},
        {"*.mp3", "mp3", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Posix_Codec, Cp932RoundTripAndByteCounts) {
    IconvCodec codec("CP932");
    EXPECT_EQ(codec.ToAnsi("音楽").size(), 4u);
    EXPECT_EQ(codec.ToAnsi("ｵﾝｶﾞｸ").size(), 5u);
    EXPECT_EQ(codec.FromAnsi(codec.ToAnsi("音楽 ｵﾝｶﾞｸ mp3")), "音楽 ｵﾝｶﾞｸ mp3");
    // A lone lead byte at the end is not a character; it must not abort.
    EXPECT_EQ(codec.FromAnsi(std::string("a\x82", 2)).substr(0, 1), "a");
}

class Posix_Files : public ::testing::Test {
protected:
    std::filesystem::path dir;
    PosixFileSystem fs;
    void SetUp() override {
        char tmpl[] = "/tmp/tw-posix-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Win(const std::filesystem::path& p) {
        std::string s = p.string();
        for (char& c : s)
            if (c == '/') c = '\\';
        return s;
    }
    void Write(const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
};

TEST_F(Posix_Files, ListsMatchesWithAttributes) {
    Write(dir / "a.mp3", "x");
    Write(dir / "B.MP3", "x");
    Write(dir / "c.txt", "x");
    std::filesystem::create_directory(dir / "x.mp3");
    std::filesystem::create_directory(dir / ".hidden");
    std::vector<FindEntry> found;
    ASSERT_TRUE(fs.FindEntries(Win(dir) + "\\*.mp3", found));
    std::map<std::string, uint32_t> byName;
    for (const auto& e : found) byName[e.name] = e.attributes;
    EXPECT_EQ(byName.size(), 3u);
    EXPECT_TRUE(byName["x.mp3"] & kAttrDirectory);
    EXPECT_FALSE(byName["a.mp3"] & kAttrDirectory);
    uint32_t attr = 0;
    ASSERT_TRUE(fs.GetAttributes(Win(dir / ".hidden"), attr));
    EXPECT_EQ(attr & (kAttrDirectory | kAttrHidden), kAttrDirectory | kAttrHidden);
    EXPECT_FALSE(fs.GetAttributes(Win(dir / "missing"), attr));
    EXPECT_FALSE(fs.FindEntries(Win(dir) + "\\*.ogg", found));
}

TEST_F(Posix_Files, WritesReplacesRenamesAndReadsTails) {
    const std::string dat = Win(dir / "dat"), tmp = Win(dir / "dat.tmp");
    ASSERT_TRUE(fs.WriteNewFile(tmp, "new"));
    Write(dir / "dat", "old");
    ASSERT_TRUE(fs.ReplaceFile(tmp, dat));
    std::string bytes;
    ASSERT_TRUE(fs.ReadWholeFile(dat, bytes));
    EXPECT_EQ(bytes, "new");
    EXPECT_FALSE(fs.FileExists(tmp));

    std::filesystem::permissions(dir / "dat", std::filesystem::perms::owner_read);
    ASSERT_TRUE(fs.WriteNewFile(tmp, "newer"));
    EXPECT_FALSE(fs.ReplaceFile(tmp, dat));
    ASSERT_TRUE(fs.ReadWholeFile(dat, bytes));
    EXPECT_EQ(bytes, "new");

    Write(dir / "long.mp3", std::string(200, 'a') + std::string(128, 'T'));
    ASSERT_TRUE(fs.ReadTail(Win(dir / "long.mp3"), 128, bytes));
    EXPECT_EQ(bytes, std::string(128, 'T'));
    ASSERT_TRUE(fs.ReadTail(Win(dir / "dat"), 128, bytes));
    EXPECT_EQ(bytes, "new");

    EXPECT_FALSE(fs.RenameFile(Win(dir / "long.mp3"), dat));  // target exists
    EXPECT_TRUE(fs.RenameFile(Win(dir / "long.mp3"), Win(dir / "short.mp3")));
    EXPECT_TRUE(fs.FileExists(Win(dir / "short.mp3")));
}

}  // namespace
}  // namespace tw
