#include "core/extension_block.h"

#include <algorithm>
#include <cstring>

#include "model/text_blocks.h"

namespace tw {

namespace {

constexpr char kSignature[8] = {'T', 'W', 'E', 'X', 'T', '\r', '\n', '\x1A'};
constexpr uint16_t kFormatVersion = 1;
// Signature, version, length, record length, record checksum.
constexpr size_t kHeadSize = 8 + 2 + 4 + 4 + 8;
// Checksum, length, signature.
constexpr size_t kTailSize = 8 + 4 + 8;
// The fewest bytes a text and a named value take.
constexpr size_t kMinText = 4 + 4;
constexpr size_t kMinValue = 2 + 4;

void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}
uint32_t Get32(const char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}
uint64_t Get64(const char* p) { return Get32(p) | (uint64_t{Get32(p + 4)} << 32); }

// Reads the block's body, every read checked against what is left.
class BodyReader {
public:
    explicit BodyReader(std::string_view bytes) : b_(bytes) {}
    bool ok = true;
    size_t Left() const { return b_.size() - pos_; }
    uint32_t U32() {
        if (!Need(4)) return 0;
        pos_ += 4;
        return Get32(b_.data() + pos_ - 4);
    }
    uint16_t U16() {
        if (!Need(2)) return 0;
        pos_ += 2;
        return static_cast<uint16_t>(Load16(b_.data() + pos_ - 2));
    }
    std::string Bytes(size_t n) {
        if (!Need(n)) return {};
        pos_ += n;
        return std::string(b_.substr(pos_ - n, n));
    }
    // A count, believed only when the bytes left could hold that many.
    uint32_t Count(size_t minSize) {
        const uint32_t n = U32();
        if (ok && n > Left() / minSize) ok = false;
        return ok ? n : 0;
    }

private:
    bool Need(size_t n) {
        if (ok && n <= Left()) return true;
        ok = false;
        return false;
    }
    std::string_view b_;
    size_t pos_ = 0;
};

// Strict UTF-8: no stray or overlong bytes, no surrogates, nothing past
// U+10FFFF. A whole text goes to the wide APIs as it stands.
bool IsUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len;
        uint32_t cp, min;
        if (c < 0x80) len = 1, cp = c, min = 0;
        else if ((c & 0xE0) == 0xC0) len = 2, cp = c & 0x1F, min = 0x80;
        else if ((c & 0xF0) == 0xE0) len = 3, cp = c & 0x0F, min = 0x800;
        else if ((c & 0xF8) == 0xF0) len = 4, cp = c & 0x07, min = 0x10000;
        else return false;
        if (len > s.size() - i) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = cp << 6 | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

}  // namespace

uint64_t Checksum(std::string_view bytes) {
    // Four lanes, each a chain of xor and multiply by an odd constant
    // (both one to one), so that a change in any word changes its lane's
    // result; the lanes and the length are mixed at the end.
    constexpr uint64_t kOdd = 0x9E3779B97F4A7C15ull;
    // The lanes are separate variables so that they stay in registers and
    // their multiplies overlap: the record is megabytes, read at each start.
    uint64_t l0 = 1, l1 = 2, l2 = 3, l3 = 4;
    const char* p = bytes.data();
    size_t n = bytes.size();
    const auto word = [](const char* at) {
        uint64_t w;
        std::memcpy(&w, at, 8);
        return w;
    };
    for (; n >= 32; p += 32, n -= 32) {
        l0 = (l0 ^ word(p)) * kOdd;
        l1 = (l1 ^ word(p + 8)) * kOdd;
        l2 = (l2 ^ word(p + 16)) * kOdd;
        l3 = (l3 ^ word(p + 24)) * kOdd;
    }
    for (; n > 0; ++p, --n) l0 = (l0 ^ static_cast<unsigned char>(*p)) * kOdd;
    uint64_t h = bytes.size();
    for (uint64_t l : {l0, l1, l2, l3}) {
        h = (h ^ l) * kOdd;
        h ^= h >> 29;
    }
    return h;
}

std::string EncodeExtensionBody(const ExtensionBlock& block) {
    std::string out;
    Put32(out, static_cast<uint32_t>(block.texts.size()));
    for (const WholeText& t : block.texts) {
        Put32(out, t.ordinal);
        Put32(out, static_cast<uint32_t>(t.text.size()));
        out += t.text;
    }
    Put32(out, static_cast<uint32_t>(block.values.size()));
    for (const NamedValue& v : block.values) {
        char n[2];
        Store16(n, static_cast<uint16_t>(std::min<size_t>(v.name.size(), 0xFFFF)));
        out.append(n, 2);
        out.append(v.name, 0, 0xFFFF);
        Put32(out, static_cast<uint32_t>(v.value.size()));
        out += v.value;
    }
    return out;
}

std::string SealExtension(std::string_view body, std::string_view record) {
    std::string out(kSignature, sizeof kSignature);
    char version[2];
    Store16(version, kFormatVersion);
    out.append(version, 2);
    const uint32_t length = static_cast<uint32_t>(kHeadSize + body.size() + kTailSize);
    Put32(out, length);
    Put32(out, static_cast<uint32_t>(record.size()));
    Put64(out, Checksum(record));
    out += body;
    Put64(out, Checksum(out));
    Put32(out, length);
    out.append(kSignature, sizeof kSignature);
    return out;
}

std::string EncodeExtension(const ExtensionBlock& block, std::string_view record) {
    return SealExtension(EncodeExtensionBody(block), record);
}

std::optional<FoundExtension> FindExtension(std::string_view file) {
    if (file.size() < kHeadSize + kTailSize) return std::nullopt;
    const char* tail = file.data() + file.size() - kTailSize;
    if (std::memcmp(tail + 12, kSignature, sizeof kSignature) != 0) return std::nullopt;
    const uint32_t length = Get32(tail + 8);
    if (length < kHeadSize + kTailSize || length > file.size()) return std::nullopt;
    const size_t at = file.size() - length;
    const std::string_view block = file.substr(at, length - kTailSize);
    if (std::memcmp(block.data(), kSignature, sizeof kSignature) != 0 ||
        Load16(block.data() + 8) != kFormatVersion || Get32(block.data() + 10) != length ||
        Get64(tail) != Checksum(block))
        return std::nullopt;

    FoundExtension found;
    found.at = at;
    found.recordLength = Get32(block.data() + 14);
    found.recordChecksum = Get64(block.data() + 18);
    BodyReader r(block.substr(kHeadSize));
    const uint32_t texts = r.Count(kMinText);
    found.block.texts.reserve(texts);
    for (uint32_t i = 0; i < texts && r.ok; ++i) {
        WholeText t;
        t.ordinal = r.U32();
        t.text = r.Bytes(r.U32());
        // In the order they were written: a later one never names an
        // earlier place.
        if (!found.block.texts.empty() && t.ordinal <= found.block.texts.back().ordinal) r.ok = false;
        if (!IsUtf8(t.text)) r.ok = false;
        found.block.texts.push_back(std::move(t));
    }
    const uint32_t values = r.Count(kMinValue);
    found.block.values.reserve(values);
    for (uint32_t i = 0; i < values && r.ok; ++i) {
        NamedValue v;
        v.name = r.Bytes(r.U16());
        v.value = r.Bytes(r.U32());
        found.block.values.push_back(std::move(v));
    }
    if (!r.ok || r.Left() != 0) return std::nullopt;
    return found;
}

bool LooksLikeExtension(std::string_view bytes) {
    const size_t n = std::min(bytes.size(), sizeof kSignature);
    return n > 0 && std::memcmp(bytes.data(), kSignature, n) == 0;
}

}  // namespace tw
