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
    // Lengths around the eight- and sixteen-byte blocks, each byte value at
    // each place, on a background of lower-case letters that must fold too.
    for (size_t len = 1; len <= 35; ++len) {
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

// The codec's fold beyond ASCII, one byte position after another.
std::string ReferenceCodecUpper(std::string s) {
    if (ReferenceUpper(s)) return s;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        auto b0 = static_cast<unsigned char>(s[i]), b1 = static_cast<unsigned char>(s[i + 1]);
        if (b0 == 0xC3 && b1 >= 0xA0 && b1 <= 0xBE && b1 != 0xB7) {
            s[i + 1] = static_cast<char>(b1 - 0x20);
            ++i;
        } else if (i + 2 < s.size() && b0 == 0xEF) {
            auto b2 = static_cast<unsigned char>(s[i + 2]);
            if (b1 == 0xBD && b2 >= 0x81 && b2 <= 0x9A) {
                s[i + 1] = static_cast<char>(0xBC);
                s[i + 2] = static_cast<char>(b2 + 0x20);
            }
            i += 2;
        }
    }
    return s;
}

TEST(TextCase, CodecFoldOfMixedBytesMatchesTheByteRule) {
    // Lead and trail bytes of the letters that fold, their neighbours, and
    // broken sequences, so runs that may be skipped meet runs that may not.
    const unsigned char alphabet[] = {0xC3, 0xEF, 0xBD, 0xBC, 0xA0, 0xBE, 0xB7, 0xBF, 0x9F,
                                      0x81, 0x9A, 0x9B, 0xE3, 0x80, 'a',  'z',  'Q',  ' '};
    IconvCodec codec("CP932");
    std::mt19937 rng(11);
    for (int round = 0; round < 20000; ++round) {
        std::string s(rng() % 40, '\0');
        for (char& c : s) c = static_cast<char>(alphabet[rng() % std::size(alphabet)]);
        std::string inPlace = s;
        codec.UpperInPlace(inPlace);
        ASSERT_EQ(inPlace, ReferenceCodecUpper(s)) << ::testing::PrintToString(s);
    }
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
