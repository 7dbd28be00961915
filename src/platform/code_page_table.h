#pragma once
// The characters a code page holds one to one, as tables: converting a
// library of a million texts through them takes a fraction of the time the
// codec's calls would. The tables are learned from the codec itself (every
// single byte and every two-byte sequence, asked in two batches), and a
// character is taken only when it goes there and back unchanged, so a
// conversion through them gives exactly what the codec gives. Anything the
// tables do not hold makes the conversion report failure, and the caller
// asks the codec.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

class TextCodec;

class CodePageTable {
public:
    explicit CodePageTable(TextCodec& codec);

    // Appends the code-page form of a UTF-8 text to `out`; false, with `out`
    // as it was, when a character is not in the tables.
    bool ToAnsi(std::string_view utf8, std::string& out) const;

    // The UTF-8 form of a code-page text into memory with room for 3 n + 1
    // bytes (the last is scratch): the bytes written, or kMiss when a byte
    // sequence is not in the tables.
    static constexpr size_t kMiss = static_cast<size_t>(-1);
    size_t ToUtf8(const unsigned char* ansi, size_t n, char* out) const;
    // ToAnsi into memory with room for n + 8 bytes (never more is written:
    // a character the tables hold is no longer in the code page than in
    // UTF-8); the bytes written, or kMiss.
    size_t ToAnsi(const unsigned char* utf8, size_t n, char* out) const;

private:
    // UTF-8 of a code-page character: up to three bytes in the low bytes
    // (first byte lowest) and their count in the top byte; 0 when the
    // character is not one to one.
    std::array<uint32_t, 256> single_{};
    std::vector<uint32_t> pair_;  // lead * 256 + trail
    std::vector<uint16_t> fromUnicode_;  // code point (below 0x10000) -> code-page bytes, 0 none
};

}  // namespace tw
