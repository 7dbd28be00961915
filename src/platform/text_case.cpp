#include "platform/text_codec.h"

#include <cstdint>
#include <cstring>

// TW_NO_SSE2 keeps the word-at-a-time fold, so the tests can reach it.
#if !defined(TW_NO_SSE2) && \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#include <emmintrin.h>
#define TW_FOLD_SSE2 1
#endif

namespace tw {

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHigh = 0x8080808080808080ull;

// Folds the eight bytes at `p`; returns them as they were. A byte is a
// lower-case letter when its low seven bits are at least 'a' and at most
// 'z' and its top bit is clear; the sums cannot carry between bytes.
uint64_t FoldWord(char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    const uint64_t low7 = w & ~kHigh;
    const uint64_t atLeastA = low7 + kOnes * (0x80 - 'a');
    const uint64_t aboveZ = low7 + kOnes * (0x80 - 'z' - 1);
    const uint64_t lower = atLeastA & ~aboveZ & ~w & kHigh;
    const uint64_t folded = w ^ (lower >> 2);  // 0x80 >> 2 is the 0x20 case bit
    std::memcpy(p, &folded, 8);
    return w;
}

}  // namespace

bool UpperAsciiInPlace(std::string& text) { return UpperAsciiInPlace(text.data(), text.size()); }

bool UpperAsciiInPlace(char* p, size_t n) {
    // Eight bytes at a time: the search folds every track's text, so this
    // loop is the hottest in it.
    if (n < 8) {
        bool ascii = true;
        for (size_t i = 0; i < n; ++i) {
            const auto u = static_cast<unsigned char>(p[i]);
            if (u >= 'a' && u <= 'z') p[i] = static_cast<char>(u - 32);
            else if (u >= 0x80) ascii = false;
        }
        return ascii;
    }
#ifdef TW_FOLD_SSE2
    if (n >= 16) {
        // Sixteen bytes a step. Shifted by 'a' + 128, exactly the letters
        // a..z land on the 26 smallest signed byte values.
        const __m128i shift = _mm_set1_epi8(static_cast<char>('a' + 128));
        const __m128i limit = _mm_set1_epi8(static_cast<char>(-128 + 26));
        const __m128i caseBit = _mm_set1_epi8(0x20);
        __m128i seen = _mm_setzero_si128();
        auto fold = [&](char* at) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            seen = _mm_or_si128(seen, v);
            const __m128i lower = _mm_cmplt_epi8(_mm_sub_epi8(v, shift), limit);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(at),
                             _mm_sub_epi8(v, _mm_and_si128(lower, caseBit)));
        };
        size_t i = 0;
        for (; i + 16 <= n; i += 16) fold(p + i);
        // The last, partial block overlaps the one before: folding is
        // idempotent, so bytes folded twice come out the same.
        if (i < n) fold(p + n - 16);
        return _mm_movemask_epi8(seen) == 0;
    }
#endif
    uint64_t seen = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) seen |= FoldWord(p + i);
    // As above, the last partial word overlaps the one before.
    if (i < n) seen |= FoldWord(p + n - 8);
    return (seen & kHigh) == 0;
}

std::string TextCodec::ToUpper(const std::string& utf8) {
    std::string s = utf8;
    UpperAsciiInPlace(s);
    return s;
}

void TextCodec::UpperInPlace(std::string& utf8) { utf8 = ToUpper(utf8); }

}  // namespace tw
