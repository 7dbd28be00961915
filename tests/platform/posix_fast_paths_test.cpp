#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/posix/posix_files.h"

namespace tw {
namespace {

// The general wildcard rule, "*" backtracking over ASCII-folded letters,
// with "*.*" also matching names without a dot.
bool ReferenceMatch(const std::string& pattern, const std::string& name) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    if (p + 2 == pattern.size() && pattern.compare(p, 2, ".*") == 0) return true;
    return p == pattern.size();
}

TEST(Posix_WildcardShortcut, AgreesWithTheGeneralRule) {
    // Patterns mostly of the "*text" form the shortcut takes, some not.
    const char patternChars[] = "*?.aAmMp3";
    const char nameChars[] = ".aAmMpP3x";
    std::mt19937 rng(5);
    for (int round = 0; round < 50000; ++round) {
        std::string pattern = rng() % 4 ? "*" : "";
        for (size_t i = rng() % 5; i > 0; --i) pattern += patternChars[rng() % 9];
        std::string name;
        for (size_t i = rng() % 8; i > 0; --i) name += nameChars[rng() % 9];
        ASSERT_EQ(WildcardMatch(pattern, name), ReferenceMatch(pattern, name))
            << "pattern \"" << pattern << "\" name \"" << name << "\"";
    }
}

class Posix_Reads : public ::testing::Test {
protected:
    std::filesystem::path dir;
    PosixFileSystem fs;
    void SetUp() override {
        char tmpl[] = "/tmp/tw-posix-reads-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Write(const std::string& name, size_t size) {
        std::string bytes(size, '\0');
        std::mt19937 rng(static_cast<unsigned>(size));
        for (char& c : bytes) c = static_cast<char>(rng());
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return bytes;
    }
};

// Whole files and tails come back byte for byte whatever their size,
// around the sizes where the reads change how they size their buffers.
TEST_F(Posix_Reads, WholeFilesAndTailsOfEverySize) {
    for (size_t size : {0u, 1u, 127u, 128u, 129u, 65535u, 65536u, 65537u, 300001u}) {
        const std::string name = "f" + std::to_string(size);
        const std::string bytes = Write(name, size);
        const std::string path = dir.string() + "/" + name;
        std::string got = "stale";
        ASSERT_TRUE(fs.ReadWholeFile(path, got)) << size;
        EXPECT_EQ(got, bytes) << size;
        got = "stale";
        ASSERT_TRUE(fs.ReadTail(path, 128, got)) << size;
        EXPECT_EQ(got, bytes.substr(bytes.size() > 128 ? bytes.size() - 128 : 0)) << size;
    }
    std::string got;
    EXPECT_FALSE(fs.ReadWholeFile(dir.string() + "/missing", got));
    EXPECT_FALSE(fs.ReadTail(dir.string() + "/missing", 128, got));
}

}  // namespace
}  // namespace tw
