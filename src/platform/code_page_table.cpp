#include "platform/code_page_table.h"

#include "platform/text_codec.h"

#include <bit>
#include <cstring>
#include <memory>

namespace tw {

namespace {

// The code point of a UTF-8 text that holds exactly one character of at
// most three bytes; -1 otherwise.
int32_t OneCharacter(std::string_view s) {
    if (s.empty()) return -1;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) return s.size() == 1 ? b0 : -1;
    auto cont = [&s](size_t i) { return (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 < 0xE0 && s.size() == 2 && cont(1)) return ((b0 & 0x1F) << 6) | (s[1] & 0x3F);
    if (b0 >= 0xE0 && b0 < 0xF0 && s.size() == 3 && cont(1) && cont(2)) {
        const int32_t cp = ((b0 & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F);
        // Not overlong, not a surrogate: only text the codec itself would make.
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) return cp;
    }
    return -1;
}

// The first byte lowest, so that on the little-endian machines we build for
// one four-byte store writes a character's bytes in order.
static_assert(std::endian::native == std::endian::little);
uint32_t Packed(std::string_view utf8) {
    uint32_t v = static_cast<uint32_t>(utf8.size()) << 24;
    for (size_t i = 0; i < utf8.size(); ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(utf8[i])) << (8 * i);
    return v;
}

// Splits a batch answer at the separators; empty when the count is wrong
// (the codec ate or made a separator), and the batch is then not used.
std::vector<std::string_view> Split(std::string_view s, size_t expected) {
    std::vector<std::string_view> parts;
    parts.reserve(expected);
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == '\n') {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.size() != expected) parts.clear();
    return parts;
}

// How many of the first n bytes at p, in whole steps of eight, are ASCII;
// they are copied to o. Names and tags mix Japanese with Latin, and ASCII
// is the same bytes in UTF-8 and in every code page, so both directions
// take these runs this way.
size_t CopyAsciiWords(const unsigned char* p, size_t n, char* o) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ull) break;
        std::memcpy(o + i, &w, 8);
    }
    return i;
}

}  // namespace

CodePageTable::CodePageTable(TextCodec& codec) : pair_(65536, 0), fromUnicode_(65536, 0) {
    // Every non-ASCII byte alone and every two-byte sequence a double-byte
    // code page could use, one a line. A line feed never takes part in a
    // two-byte character, so the lines stay apart in either direction.
    std::vector<std::string> candidates;
    for (int b = 0x80; b <= 0xFF; ++b) candidates.emplace_back(1, static_cast<char>(b));
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            candidates.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    std::string batch;
    for (const std::string& c : candidates) {
        batch += c;
        batch += '\n';
    }
    batch.pop_back();
    const std::string utf8 = codec.FromAnsi(batch);
    const std::vector<std::string_view> chars = Split(utf8, candidates.size());
    if (chars.empty()) return;  // no tables: every conversion goes to the codec

    // Back again: only what returns to its own bytes is one to one.
    std::string back;
    for (std::string_view c : chars) {
        back.append(c.data(), c.size());
        back += '\n';
    }
    back.pop_back();
    const std::string ansi = codec.ToAnsi(back);
    const std::vector<std::string_view> returned = Split(ansi, candidates.size());
    if (returned.empty()) return;

    for (size_t i = 0; i < candidates.size(); ++i) {
        const int32_t cp = OneCharacter(chars[i]);
        if (cp < 0x80 || returned[i] != candidates[i]) continue;
        const std::string& c = candidates[i];
        const auto b0 = static_cast<unsigned char>(c[0]);
        if (c.size() == 1) {
            single_[b0] = Packed(chars[i]);
            fromUnicode_[cp] = b0;
        } else {
            // A byte that stands for a character alone leads no pair.
            if (single_[b0]) continue;
            pair_[b0 * 256 + static_cast<unsigned char>(c[1])] = Packed(chars[i]);
            if (!fromUnicode_[cp]) fromUnicode_[cp] = static_cast<uint16_t>(b0 * 256 + static_cast<unsigned char>(c[1]));
        }
    }
}

size_t CodePageTable::ToUtf8(const unsigned char* p, size_t n, char* out) const {
    char* o = out;
    size_t i = 0;
    while (i < n) {
        const size_t run = CopyAsciiWords(p + i, n - i, o);
        i += run;
        o += run;
        if (i >= n) break;
        unsigned char b = p[i];
        if (b < 0x80) {
            *o++ = static_cast<char>(b);
            ++i;
            continue;
        }
        // Code-page characters come in runs (a Japanese title): stay here
        // until the next ASCII byte. Pairs are tried first, being most of
        // such text; a byte that stands alone leads no pair, so the order
        // changes no result.
        do {
            uint32_t v;
            if (i + 1 < n && (v = pair_[b * 256 + p[i + 1]]) != 0) {
                i += 2;
            } else if ((v = single_[b]) != 0) {
                ++i;
            } else {
                return kMiss;
            }
            // All four bytes in one store: the count byte on top lands
            // where the next character goes, or in the one spare byte.
            std::memcpy(o, &v, 4);
            o += v >> 24;
        } while (i < n && (b = p[i]) >= 0x80);
    }
    return static_cast<size_t>(o - out);
}

bool CodePageTable::ToAnsi(std::string_view utf8, std::string& out) const {
    const size_t mark = out.size();
    out.resize(mark + utf8.size() + 8);
    const size_t n = ToAnsi(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), out.data() + mark);
    out.resize(n == kMiss ? mark : mark + n);
    return n != kMiss;
}

size_t CodePageTable::ToAnsi(const unsigned char* p, size_t n, char* out) const {
    char* o = out;
    size_t i = 0;
    while (i < n) {
        const size_t run = CopyAsciiWords(p + i, n - i, o);
        i += run;
        o += run;
        if (i >= n) break;
        const unsigned char b0 = p[i];
        if (b0 < 0x80) {
            *o++ = static_cast<char>(b0);
            ++i;
            continue;
        }
        int32_t cp = -1;
        size_t len = 0;
        if (b0 >= 0xE0 && b0 < 0xF0 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            cp = ((b0 & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = -1;  // not what a codec makes
        } else if (b0 >= 0xC2 && b0 < 0xE0 && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            cp = ((b0 & 0x1F) << 6) | (p[i + 1] & 0x3F);
            len = 2;
        }
        const uint16_t code = cp >= 0 ? fromUnicode_[static_cast<size_t>(cp)] : 0;
        if (!code) return kMiss;
        if (code > 0xFF) *o++ = static_cast<char>(code >> 8);
        *o++ = static_cast<char>(code & 0xFF);
        i += len;
    }
    return static_cast<size_t>(o - out);
}

TextCodec::~TextCodec() = default;

const CodePageTable& TextCodec::Table() {
    if (!table_) table_ = std::make_unique<CodePageTable>(*this);
    return *table_;
}

}  // namespace tw
