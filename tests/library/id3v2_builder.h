#pragma once
// ID3v2 tags made by hand, for the tests and the fuzzer's seeds: the bytes
// a tag writer would put at the front of an MP3 file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw::id3build {

inline std::string Syncsafe(uint32_t v) {
    return {char(v >> 21 & 0x7F), char(v >> 14 & 0x7F), char(v >> 7 & 0x7F), char(v & 0x7F)};
}

inline std::string BigEndian(uint32_t v, int bytes) {
    std::string s;
    for (int i = bytes - 1; i >= 0; --i) s += char(v >> (8 * i) & 0xFF);
    return s;
}

// A frame of ID3v2.`version`, its size in that version's form.
inline std::string Frame(int version, const std::string& id, const std::string& body, uint8_t flags = 0) {
    const auto size = static_cast<uint32_t>(body.size());
    if (version == 2) return id + BigEndian(size, 3) + body;
    return id + (version == 3 ? BigEndian(size, 4) : Syncsafe(size)) + '\0' + char(flags) + body;
}

// A tag of the given frames and `padding` zero bytes after them.
inline std::string Tag(int version, const std::string& frames, uint8_t flags = 0, size_t padding = 0) {
    return "ID3" + std::string{char(version), '\0', char(flags)} +
           Syncsafe(static_cast<uint32_t>(frames.size() + padding)) + frames + std::string(padding, '\0');
}

// What an ID3 writer does: a zero after each 0xFF that is followed by a zero
// or by a byte of 0xE0 or more, or that ends the data.
inline std::string Unsync(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (uint8_t(s[i]) == 0xFF && (i + 1 == s.size() || s[i + 1] == '\0' || uint8_t(s[i + 1]) >= 0xE0)) out += '\0';
    }
    return out;
}

// UTF-16 code units in either byte order, without a byte-order mark.
inline std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string s;
    for (char16_t u : text) {
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        s += bigEndian ? hi : lo;
        s += bigEndian ? lo : hi;
    }
    return s;
}

}  // namespace tw::id3build
