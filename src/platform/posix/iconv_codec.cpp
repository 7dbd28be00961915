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

}  // namespace

IconvCodec::IconvCodec(std::string codePage) : codePage_(std::move(codePage)) {}

std::string IconvCodec::ToAnsi(const std::string& utf8) {
    return Convert(utf8, codePage_.c_str(), "UTF-8", "?");
}

std::string IconvCodec::FromAnsi(const std::string& ansi) {
    return Convert(ansi, "UTF-8", codePage_.c_str(), "\xE3\x83\xBB");  // "・"
}

}  // namespace tw
