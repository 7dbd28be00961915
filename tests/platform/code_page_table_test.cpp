#include "platform/code_page_table.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix/iconv_codec.h"

namespace tw {
namespace {

// Every text through the tables must come out as the codec makes it, and
// no byte may land past the 3 n + 1 it was given: texts of half-width
// katakana need all 3 n, the worst case.
TEST(CodePageTable_ToUtf8, GivesTheCodecsTextWithinItsRoom) {
    IconvCodec codec{"CP932"};
    const CodePageTable table(codec);
    const std::string kana = "\xB1\xB2\xB3";  // three half-width katakana
    const std::string cases[] = {
        kana,
        "a" + kana,
        codec.ToAnsi("桜の歌"),
        codec.ToAnsi("ｱ桜ｲ歌ｳ"),
        codec.ToAnsi("Song 桜 mix ﾗｲﾌﾞ") + "z",
        std::string(40, '\xB1'),
        std::string(41, 'x') + "\xB1",
    };
    for (const std::string& ansi : cases) {
        SCOPED_TRACE(codec.FromAnsi(ansi));
        const size_t room = 3 * ansi.size() + 1;
        std::string out(room + 16, '#');
        const size_t n = table.ToUtf8(reinterpret_cast<const unsigned char*>(ansi.data()), ansi.size(), out.data());
        ASSERT_NE(n, CodePageTable::kMiss);
        EXPECT_EQ(out.substr(0, n), codec.FromAnsi(ansi));
        EXPECT_EQ(out.substr(room), std::string(16, '#'));
    }
    // A lead byte with nothing after it, and a byte the code page lacks.
    for (const std::string& ansi : {std::string("ab\x82"), std::string("x\xA0y")}) {
        std::string out(3 * ansi.size() + 1, '\0');
        EXPECT_EQ(table.ToUtf8(reinterpret_cast<const unsigned char*>(ansi.data()), ansi.size(), out.data()),
                  CodePageTable::kMiss);
    }
}

}  // namespace
}  // namespace tw
