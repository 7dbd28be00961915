#include "library/id3v2.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "platform/files.h"

namespace tw {

namespace {

// One read takes the tag header and, in nearly every file, all of its text
// frames: the same 4 KB the bare scan loop reads.
constexpr size_t kChunk = 4096;
constexpr size_t kTagHeader = 10;
// 255 UTF-8 bytes come from at most 510 bytes of UTF-16 after a BOM, so
// 1 KB of a frame is always enough, whatever size the frame claims.
constexpr size_t kBodyCap = 1024;
constexpr size_t kFieldCap = 255;
// Zero-size frames advance only by their headers: without a cap a large tag
// of them would be walked to its end.
constexpr int kMaxFrames = 4096;

enum Field { kTitle, kArtist, kAlbum, kComment, kFieldCount };
constexpr const char* kIds4[kFieldCount] = {"TIT2", "TPE1", "TALB", "COMM"};
constexpr const char* kIds3[kFieldCount] = {"TT2", "TP1", "TAL", "COM"};

uint8_t At(std::string_view s, size_t i) { return static_cast<uint8_t>(s[i]); }

uint32_t Syncsafe(std::string_view s, size_t at) {
    return uint32_t{At(s, at)} << 21 | uint32_t{At(s, at + 1)} << 14 | uint32_t{At(s, at + 2)} << 7 | At(s, at + 3);
}

uint32_t BigEndian(std::string_view s, size_t at, size_t count) {
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i) v = v << 8 | At(s, at + i);
    return v;
}

bool IsSyncsafe(std::string_view s, size_t at) {
    return ((At(s, at) | At(s, at + 1) | At(s, at + 2) | At(s, at + 3)) & 0x80) == 0;
}

// The byte that unsynchronisation put after every 0xFF goes; `lastFF`
// carries a 0xFF at the end of one piece over to the next.
void Resync(std::string_view in, std::string& out, bool& lastFF) {
    for (char c : in) {
        if (lastFF && c == '\0') {
            lastFF = false;
            continue;
        }
        out += c;
        lastFF = static_cast<uint8_t>(c) == 0xFF;
    }
}

// The tag's bytes as frames see them. Offsets are file offsets, except in a
// tag unsynchronised as a whole, where frame sizes count decoded bytes: then
// they are offsets into the decoded stream, which also starts at 10. Only
// ever asked for increasing offsets, so the decoded stream is made piece by
// piece and what lies behind is dropped.
class TagBytes {
public:
    TagBytes(ByteSource& file, uint64_t end, std::string first, bool unsync)
        : file_(file), end_(end), unsync_(unsync) {
        if (unsync_) {
            raw_ = std::min<uint64_t>(first.size(), end_);
            base_ = kTagHeader;
            Resync(std::string_view(first).substr(kTagHeader, static_cast<size_t>(raw_) - kTagHeader), buf_, lastFF_);
        } else {
            buf_ = std::move(first);
            if (buf_.size() > end_) buf_.resize(static_cast<size_t>(end_));
        }
    }

    uint64_t End() const { return end_; }

    // Up to `n` bytes at `pos`, fewer only at the tag's end. The view lasts
    // until the next call. False on a read error or a step backwards.
    bool Get(uint64_t pos, size_t n, std::string_view& view) {
        if (pos < base_) return false;
        if (!(unsync_ ? Decode(pos, n) : Fill(pos, n))) return false;
        const uint64_t off = pos - base_;
        view = off >= buf_.size() ? std::string_view() : std::string_view(buf_).substr(static_cast<size_t>(off), n);
        return true;
    }

private:
    // A new chunk where the wanted bytes start: a frame that is not needed
    // is never read, whatever its size.
    bool Fill(uint64_t pos, size_t n) {
        const uint64_t have = base_ + buf_.size();
        if (pos + n <= have || have >= end_) return true;
        if (pos >= end_) {
            buf_.clear();
            base_ = pos;
            return true;
        }
        base_ = pos;
        return file_.ReadAt(pos, static_cast<size_t>(std::min<uint64_t>(std::max(n, kChunk), end_ - pos)), buf_);
    }

    // Decoding is the only way to find where a frame ends, so skipping one
    // reads it; memory stays at one chunk plus the bytes asked for.
    bool Decode(uint64_t pos, size_t n) {
        for (;;) {
            const size_t drop = static_cast<size_t>(std::min<uint64_t>(pos - base_, buf_.size()));
            buf_.erase(0, drop);
            base_ += drop;
            if ((base_ == pos && buf_.size() >= n) || raw_ >= end_) return true;
            if (!file_.ReadAt(raw_, static_cast<size_t>(std::min<uint64_t>(kChunk, end_ - raw_)), scratch_))
                return false;
            if (scratch_.empty()) {
                raw_ = end_;
                return true;
            }
            raw_ += scratch_.size();
            Resync(scratch_, buf_, lastFF_);
        }
    }

    ByteSource& file_;
    const uint64_t end_;   // the tag's end in the file
    const bool unsync_;
    std::string buf_;      // the bytes at [base_, base_ + size)
    uint64_t base_ = 0;
    uint64_t raw_ = 0;     // unsynchronised: the file offset decoding goes on from
    bool lastFF_ = false;
    std::string scratch_;
};

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

// One character at the front of `s`; how many bytes it took. A bad sequence
// gives U+FFFD for the bytes up to where it went wrong, so the output is
// valid UTF-8 whatever the tag holds (no overlong forms, no surrogates).
size_t NextUtf8(std::string_view s, uint32_t& cp) {
    const uint8_t c = At(s, 0);
    size_t len = 0;
    uint8_t lo = 0x80, hi = 0xBF;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, cp = c & 0x07;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        cp = kReplacement;
        return 1;
    }
    for (size_t i = 1; i < len; ++i) {
        const uint8_t b = i < s.size() ? At(s, i) : 0;
        if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) {
            cp = kReplacement;
            return i;
        }
        cp = cp << 6 | (b & 0x3F);
    }
    return len;
}

void DecodeUtf16(std::string_view s, bool bigEndian, std::string& out) {
    auto unit = [&](size_t i) -> uint32_t {
        return bigEndian ? uint32_t{At(s, i)} << 8 | At(s, i + 1) : uint32_t{At(s, i + 1)} << 8 | At(s, i);
    };
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const uint32_t u = unit(i);
        if (u == 0) return;
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
}

// Length of a byte order mark at the front of `s`, setting the order it gives.
size_t Bom(std::string_view s, bool& bigEndian) {
    if (s.size() < 2) return 0;
    const bool be = At(s, 0) == 0xFE && At(s, 1) == 0xFF;
    if (!be && !(At(s, 0) == 0xFF && At(s, 1) == 0xFE)) return 0;
    bigEndian = be;
    return 2;
}

// The first string of encoding `enc` in `s`, as UTF-8 up to its terminator
// (v2.4 separates further values with the same terminator). Encoding 1
// without a BOM takes `bigEndian`: little-endian unless the caller knows
// better, as the writers that left the BOM out were Windows ones.
std::string DecodeString(uint8_t enc, std::string_view s, bool bigEndian) {
    std::string out;
    switch (enc) {
    case 0:
        for (char c : s) {
            if (c == '\0') break;
            AppendUtf8(out, static_cast<uint8_t>(c));
        }
        break;
    case 1:
        s.remove_prefix(Bom(s, bigEndian));
        DecodeUtf16(s, bigEndian, out);
        break;
    case 2:
        bigEndian = true;
        s.remove_prefix(Bom(s, bigEndian));  // a stray one would show as a character
        DecodeUtf16(s, true, out);
        break;
    case 3:
        while (!s.empty() && s[0] != '\0') {
            uint32_t cp;
            s.remove_prefix(NextUtf8(s, cp));
            AppendUtf8(out, cp);
        }
        break;
    default:
        break;
    }
    return out;
}

// Where the string at the front of `s` ends, after its terminator; npos
// when it has none.
size_t StringEnd(uint8_t enc, std::string_view s) {
    if (enc == 1 || enc == 2) {
        for (size_t i = 0; i + 1 < s.size(); i += 2)
            if (s[i] == '\0' && s[i + 1] == '\0') return i + 2;
        return std::string_view::npos;
    }
    const size_t nul = s.find('\0');
    return nul == std::string_view::npos ? nul : nul + 1;
}

// Trimmed like the version 1 fields; the cap comes after the leading trim so
// spaces do not use it up, and backs off to the start of a character.
std::string Finish(std::string text) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    text.erase(0, b);
    if (text.size() > kFieldCap) {
        size_t cut = kFieldCap;
        while (cut > 0 && (static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    text.resize(text.find_last_not_of(' ') + 1);
    return text;
}

std::string TextFrame(std::string_view body) {
    if (body.empty()) return {};
    return DecodeString(At(body, 0), body.substr(1), false);
}

// Encoding, language, a described-by string, then the comment. In UTF-16 the
// comment has a BOM of its own; when it lacks one the description's order is
// the better guess.
std::string CommentFrame(std::string_view body) {
    if (body.size() < 4) return {};
    const uint8_t enc = At(body, 0);
    std::string_view rest = body.substr(4);
    bool bigEndian = enc == 2;
    if (enc == 1) Bom(rest, bigEndian);
    const size_t end = StringEnd(enc, rest);
    if (end == std::string_view::npos) return {};
    return DecodeString(enc, rest.substr(end), bigEndian);
}

int FieldOf(std::string_view id) {
    for (int f = 0; f < kFieldCount; ++f)
        if (id == (id.size() == 3 ? kIds3[f] : kIds4[f])) return f;
    return -1;
}

bool ValidId(std::string_view id) {
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// Moves `pos` past an extended header; false when its size does not fit in
// the tag. v2.3 counts the bytes after the size field, v2.4 the whole header.
bool SkipExtendedHeader(TagBytes& tag, int version, uint64_t& pos) {
    std::string_view size;
    if (!tag.Get(pos, 4, size) || size.size() < 4) return false;
    uint64_t length;
    if (version == 3) {
        length = 4 + uint64_t{BigEndian(size, 0, 4)};
    } else {
        if (!IsSyncsafe(size, 0)) return false;
        length = Syncsafe(size, 0);
        if (length < 6) return false;
    }
    if (length > tag.End() - pos) return false;
    pos += length;
    return true;
}

}  // namespace

// Damage mid-tag (a bad id, a frame past the tag's end, a short read) ends
// the walk but keeps the fields already read: the frames before it were whole.
bool ReadId3v2(ByteSource& file, Id3v2Text& out) {
    out = Id3v2Text{};
    std::string first;
    if (!file.ReadAt(0, kChunk, first) || first.size() < kTagHeader || first.compare(0, 3, "ID3") != 0) return false;
    const int version = At(first, 3);
    const uint8_t flags = At(first, 5);
    if (version < 2 || version > 4 || !IsSyncsafe(first, 6)) return false;
    if (version == 2 && (flags & 0x40)) return false;  // v2.2 compression: never defined
    const uint64_t end = std::min<uint64_t>(kTagHeader + uint64_t{Syncsafe(first, 6)}, file.Size());
    if (end <= kTagHeader) return false;

    // v2.4 unsynchronises frame by frame, with sizes counting stored bytes;
    // older versions unsynchronise the whole tag after its header.
    const bool wholeUnsync = version < 4 && (flags & 0x80);
    const bool allFramesUnsync = version == 4 && (flags & 0x80);
    TagBytes tag(file, end, std::move(first), wholeUnsync);
    uint64_t pos = kTagHeader;
    if (version >= 3 && (flags & 0x40) && !SkipExtendedHeader(tag, version, pos)) return false;

    std::string* fields[kFieldCount] = {&out.Title, &out.Artist, &out.Album, &out.Comment};
    bool seen[kFieldCount] = {};
    int seenCount = 0;
    const size_t idSize = version == 2 ? 3 : 4;
    const size_t headerSize = version == 2 ? 6 : 10;
    std::string resynced;
    for (int n = 0; n < kMaxFrames && seenCount < kFieldCount; ++n) {
        std::string_view h;
        if (headerSize > end - pos || !tag.Get(pos, headerSize, h) || h.size() < headerSize) break;
        const std::string_view id = h.substr(0, idSize);
        if (!ValidId(id)) break;  // padding, or damage
        uint64_t size;
        uint8_t format = 0;
        if (version == 2) {
            size = BigEndian(h, 3, 3);
        } else {
            // Many v2.4 writers put plain sizes; a byte with its top bit set
            // shows one for certain.
            size = version == 4 && IsSyncsafe(h, 4) ? Syncsafe(h, 4) : BigEndian(h, 4, 4);
            format = At(h, 9);
        }
        const uint64_t body = pos + headerSize;
        if (size > end - body) break;
        pos = body + size;
        const int field = FieldOf(id);
        if (field < 0 || seen[field]) continue;

        size_t prefix = 0;
        bool unsync = false;
        if (version == 3) {
            if (format & 0xC0) continue;  // compressed or encrypted: a later copy may be plain
            prefix = (format & 0x20) ? 1 : 0;
        } else if (version == 4) {
            if (format & 0x0C) continue;
            prefix = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);
            unsync = allFramesUnsync || (format & 0x02);
        }
        const size_t take = static_cast<size_t>(std::min<uint64_t>(size, kBodyCap));
        std::string_view b;
        if (!tag.Get(body, take, b) || b.size() < take) break;
        seen[field] = true;
        ++seenCount;
        if (unsync) {  // covers the grouping byte and data length too
            resynced.clear();
            bool lastFF = false;
            Resync(b, resynced, lastFF);
            b = resynced;
        }
        if (b.size() < prefix) continue;
        b.remove_prefix(prefix);
        *fields[field] = Finish(field == kComment ? CommentFrame(b) : TextFrame(b));
    }
    if (out.Title.empty() && out.Artist.empty() && out.Album.empty() && out.Comment.empty()) return false;
    return true;
}

}  // namespace tw
