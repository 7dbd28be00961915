#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/posix/iconv_codec.h"
#include "platform/text_codec.h"

namespace tw {
namespace {

// The byte-by-byte rule the fast fold must agree with.
bool ReferenceUpper(std::string& s) {
    bool ascii = true;
    for (char& c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 'a' && u <= 'z') c = static_cast<char>(u - 32);
        else if (u >= 0x80) ascii = false;
    }
    return ascii;
}

TEST(TextCase, EveryByteAtEveryOffsetFoldsAsByteByByte) {
    // Lengths around the eight-byte blocks, each byte value at each place,
    // on a background of lower-case letters that must fold too.
    for (size_t len = 1; len <= 19; ++len) {
        for (size_t at = 0; at < len; ++at) {
            for (int b = 0; b < 256; ++b) {
                std::string s(len, 'q');
                s[at] = static_cast<char>(b);
                std::string want = s;
                const bool wantAscii = ReferenceUpper(want);
                const bool ascii = UpperAsciiInPlace(s);
                ASSERT_EQ(s, want) << "len " << len << " at " << at << " byte " << b;
                ASSERT_EQ(ascii, wantAscii) << "len " << len << " at " << at << " byte " << b;
            }
        }
    }
}

TEST(TextCase, RandomBytesFoldAsByteByByte) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string s(rng() % 70, '\0');
        // Mostly ASCII, so the all-ASCII answer comes up as well.
        const bool high = round % 2;
        for (char& c : s) c = static_cast<char>(high ? rng() % 256 : rng() % 128);
        std::string want = s;
        const bool wantAscii = ReferenceUpper(want);
        ASSERT_EQ(UpperAsciiInPlace(s), wantAscii);
        ASSERT_EQ(s, want);
    }
}

TEST(TextCase, InPlaceFoldMatchesTheCopyingOne) {
    IconvCodec codec("CP932");
    for (std::string s : {"", "mp3", "Ab\\cD.mp3 love", "àéîõü ÷ ÿ", "ｍｏｏｎ ａｚ ｛",
                          "夜明け ｓｕｎ àb", "\xEF\xBD", "tail \xC3", "ç" "abcdefghijklmnop"}) {
        const std::string copy = codec.ToUpper(s);
        std::string inPlace = s;
        codec.UpperInPlace(inPlace);
        EXPECT_EQ(inPlace, copy) << s;
    }
    std::string latin = "àéîõü ÷ ÿ ｍｏｏｎ";
    codec.UpperInPlace(latin);
    EXPECT_EQ(latin, "ÀÉÎÕÜ ÷ ÿ ＭＯＯＮ");
}

// A codec that only knows ToUpper: the in-place fold must still follow it.
class ShoutingCodec : public TextCodec {
public:
    std::string ToAnsi(const std::string& s) override { return s; }
    std::string FromAnsi(const std::string& s) override { return s; }
    std::string ToUpper(const std::string& s) override { return s + "!"; }
};

TEST(TextCase, DefaultInPlaceFoldGoesThroughToUpper) {
    ShoutingCodec codec;
    std::string s = "hey";
    codec.UpperInPlace(s);
    EXPECT_EQ(s, "hey!");
}

}  // namespace
}  // namespace tw
