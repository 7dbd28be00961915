#include "platform/posix/iconv_codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tw {

namespace {

// Converts as much as it can; a character the target cannot hold becomes
// `replacement` and an invalid input byte is skipped the same way, so the
// conversion never fails as a whole.
std::string Convert(const std::string& in, const char* to, const char* from,
                    const std::string& replacement) {
    if (in.empty()) return {};
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    std::string out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t written = 0;
    while (srcLeft > 0) {
        char* dst = out.data() + written;
        size_t dstLeft = out.size() - written;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        written = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {
            // EILSEQ or EINVAL: skip one input character and put the
            // replacement in its place.
            size_t skip = 1;
            if (std::string(from) == "UTF-8") {
                while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80)
                    ++skip;
            }
            src += skip;
            srcLeft -= skip;
            if (out.size() - written < replacement.size()) out.resize(out.size() * 2);
            out.replace(written, replacement.size(), replacement);
            written += replacement.size();
        }
    }
    iconv_close(cd);
    out.resize(written);
    return out;
}

bool IsAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

IconvCodec::IconvCodec(std::string codePage) : codePage_(std::move(codePage)) {}

std::string IconvCodec::ToAnsi(const std::string& utf8) {
    if (IsAscii(utf8)) return utf8;
    return Convert(utf8, codePage_.c_str(), "UTF-8", "?");
}

std::string IconvCodec::FromAnsi(const std::string& ansi) {
    if (IsAscii(ansi)) return ansi;
    return Convert(ansi, "UTF-8", codePage_.c_str(), "\xE3\x83\xBB");  // "・"
}

std::string IconvCodec::ToUpper(const std::string& utf8) {
    std::string s = utf8;
    if (UpperAsciiInPlace(s)) return s;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        auto b0 = static_cast<unsigned char>(s[i]), b1 = static_cast<unsigned char>(s[i + 1]);
        // U+00E0..U+00FE but U+00F7: C3 A0..C3 BE, minus 0x20 in the second byte.
        if (b0 == 0xC3 && b1 >= 0xA0 && b1 <= 0xBE && b1 != 0xB7) {
            s[i + 1] = static_cast<char>(b1 - 0x20);
            ++i;
        } else if (i + 2 < s.size() && b0 == 0xEF) {
            // Full-width a..z, U+FF41..U+FF5A (EF BD 81..9A) to U+FF21..U+FF3A (EF BC A1..BA).
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

}  // namespace tw
