#include "platform/posix/iconv_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace tw {

namespace {

const auto kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// Whether any byte of `w` is `b`. It may say yes wrongly after a match,
// never no wrongly, which is all a skip test needs.
bool HasByte(uint64_t w, unsigned char b) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t x = w ^ (kOnes * b);
    return ((x - kOnes) & ~x & (kOnes << 7)) != 0;
}

bool IsAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

IconvCodec::IconvCodec(std::string codePage) : codePage_(std::move(codePage)) {}

IconvCodec::~IconvCodec() {
    if (toAnsi_) iconv_close(static_cast<iconv_t>(toAnsi_));
    if (fromAnsi_) iconv_close(static_cast<iconv_t>(fromAnsi_));
}

void* IconvCodec::Descriptor(void*& cd, const char* to, const char* from) {
    if (!cd) {
        iconv_t opened = iconv_open(to, from);
        if (opened == kNoDescriptor) throw std::runtime_error("iconv_open failed");
        cd = opened;
    }
    // Back to the initial shift state, whatever the last call left.
    iconv(static_cast<iconv_t>(cd), nullptr, nullptr, nullptr, nullptr);
    return cd;
}

// Converts as much as it can; a character the target cannot hold becomes
// `replacement` and an invalid input byte is skipped the same way, so the
// conversion never fails as a whole.
std::string IconvCodec::Convert(const std::string& in, void* cdp, bool fromUtf8,
                                const std::string& replacement) {
    if (in.empty()) return {};
    const auto cd = static_cast<iconv_t>(cdp);
    std::string& out = scratch_;
    if (out.size() < in.size() * 2 + 16) out.resize(in.size() * 2 + 16);
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
            if (fromUtf8) {
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
    // A copy of just the text: the scratch stays for the next call and the
    // result holds no slack (library texts live long).
    return std::string(out.data(), written);
}

std::string IconvCodec::ToAnsi(const std::string& utf8) {
    if (IsAscii(utf8)) return utf8;
    return Convert(utf8, Descriptor(toAnsi_, codePage_.c_str(), "UTF-8"), true, "?");
}

std::string IconvCodec::FromAnsi(const std::string& ansi) {
    if (IsAscii(ansi)) return ansi;
    return Convert(ansi, Descriptor(fromAnsi_, "UTF-8", codePage_.c_str()), false,
                   "\xE3\x83\xBB");  // "・"
}

std::string IconvCodec::ToUpper(const std::string& utf8) {
    std::string s = utf8;
    UpperInPlace(s);
    return s;
}

void IconvCodec::UpperInPlace(std::string& s) {
    if (UpperAsciiInPlace(s)) return;
    const size_t n = s.size();
    char* p = s.data();
    // Most non-ASCII text here is Japanese, with neither lead byte at all.
    if (!std::memchr(p, 0xC3, n) && !std::memchr(p, 0xEF, n)) return;
    size_t i = 0;
    while (i + 1 < n) {
        // Only lead bytes C3 and EF start a letter that folds; a run of eight
        // bytes holding neither (most Japanese text) is passed in one step.
        if (i + 8 <= n) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (!HasByte(w, 0xC3) && !HasByte(w, 0xEF)) {
                i += 8;
                continue;
            }
        }
        const auto b0 = static_cast<unsigned char>(p[i]);
        const auto b1 = static_cast<unsigned char>(p[i + 1]);
        if (b0 == 0xC3 && b1 >= 0xA0 && b1 <= 0xBE && b1 != 0xB7) {
            // U+00E0..U+00FE but U+00F7: C3 A0..C3 BE, minus 0x20 in the second byte.
            p[i + 1] = static_cast<char>(b1 - 0x20);
            i += 2;
        } else if (b0 == 0xEF && i + 2 < n) {
            // Full-width a..z, U+FF41..U+FF5A (EF BD 81..9A) to U+FF21..U+FF3A (EF BC A1..BA).
            const auto b2 = static_cast<unsigned char>(p[i + 2]);
            if (b1 == 0xBD && b2 >= 0x81 && b2 <= 0x9A) {
                p[i + 1] = static_cast<char>(0xBC);
                p[i + 2] = static_cast<char>(b2 + 0x20);
            }
            i += 3;
        } else {
            ++i;
        }
    }
}

}  // namespace tw
