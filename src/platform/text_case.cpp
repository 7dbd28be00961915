#include "platform/text_codec.h"

#include <cstdint>
#include <cstring>

namespace tw {

bool UpperAsciiInPlace(std::string& text) {
    // Eight bytes at a time: the search folds every track's text, so this
    // loop is the hottest in it. A byte is a lower-case letter when its low
    // seven bits are at least 'a' and at most 'z' and its top bit is clear;
    // the sums below cannot carry from one byte into the next.
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    char* p = text.data();
    const size_t n = text.size();
    uint64_t seen = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        seen |= w;
        const uint64_t low7 = w & ~kHigh;
        const uint64_t atLeastA = low7 + kOnes * (0x80 - 'a');
        const uint64_t aboveZ = low7 + kOnes * (0x80 - 'z' - 1);
        const uint64_t lower = atLeastA & ~aboveZ & ~w & kHigh;
        w ^= lower >> 2;  // 0x80 >> 2 is the 0x20 case bit
        std::memcpy(p + i, &w, 8);
    }
    bool ascii = (seen & kHigh) == 0;
    for (; i < n; ++i) {
        const auto u = static_cast<unsigned char>(p[i]);
        if (u >= 'a' && u <= 'z') p[i] = static_cast<char>(u - 32);
        else if (u >= 0x80) ascii = false;
    }
    return ascii;
}

std::string TextCodec::ToUpper(const std::string& utf8) {
    std::string s = utf8;
    UpperAsciiInPlace(s);
    return s;
}

void TextCodec::UpperInPlace(std::string& utf8) { utf8 = ToUpper(utf8); }

}  // namespace tw
