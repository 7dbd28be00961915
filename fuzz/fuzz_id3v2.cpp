// Feeds arbitrary bytes to the ID3v2 reader as a whole file, and checks what
// it gives back: valid UTF-8 of at most 255 bytes per field, trimmed, and all
// empty exactly when it says there is no tag.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "library/id3v2.h"
#include "platform/files.h"

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<uint8_t>(s[i]);
        size_t len;
        uint32_t cp, min;
        if (c < 0x80) len = 1, cp = c, min = 0;
        else if ((c & 0xE0) == 0xC0) len = 2, cp = c & 0x1F, min = 0x80;
        else if ((c & 0xF0) == 0xE0) len = 3, cp = c & 0x0F, min = 0x800;
        else if ((c & 0xF8) == 0xF0) len = 4, cp = c & 0x07, min = 0x10000;
        else return false;
        if (len > s.size() - i) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto b = static_cast<uint8_t>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = cp << 6 | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

bool IsGoodField(const std::string& s) {
    if (s.size() > 255 || !IsUtf8(s) || s.find('\0') != std::string::npos) return false;
    return s.empty() || (s.front() != ' ' && s.back() != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tw::MemorySource file(std::string(reinterpret_cast<const char*>(data), size));
    tw::Id3v2Text text{"x", "x", "x", "x"};  // must be replaced
    const bool found = tw::ReadId3v2(file, text);
    for (const std::string* field : {&text.Title, &text.Artist, &text.Album, &text.Comment})
        if (!IsGoodField(*field)) std::abort();
    const bool any = !(text.Title.empty() && text.Artist.empty() && text.Album.empty() && text.Comment.empty());
    if (found != any) std::abort();
    return 0;
}
