#pragma once
// Entries of N texts and one 16-bit number, held compactly: one small
// record an entry and one buffer for all the texts. A library of a million
// tracks is then about as large in memory as in its data file, instead of
// five separately allocated strings a track.
//
// An entry lies in the buffer as one block in the data file's own shape:
// the first text, the number, then the other texts, each text a 16-bit
// little-endian byte count and its UTF-8 bytes. An entry whose texts are all
// ASCII is byte for byte what the data file holds, so runs of such entries
// copy between the two in one piece. Changing a text appends a new block;
// Compact() drops the blocks no entry refers to any more.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/text_buffer.h"

namespace tw {

// The data file's 16-bit numbers and byte counts: little-endian, in the
// file and in the blocks alike.
inline uint16_t Load16(const char* p) {
    return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}
inline void Store16(char* p, uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

struct BlockRecord {
    uint32_t at = 0;     // where the entry's block starts in the buffer
    bool ascii = false;  // every text of the block is ASCII
    bool operator==(const BlockRecord&) const = default;
};

// Whether a text holds ASCII alone. Eight bytes at a time, the last eight
// overlapping the word before; short texts in two overlapping halves. The
// library's texts are short, so the tail must not go byte by byte.
inline bool IsAsciiText(const char* p, size_t n) {
    if (n >= 8) {
        uint64_t seen = 0, w;
        size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            std::memcpy(&w, p + i, 8);
            seen |= w;
        }
        std::memcpy(&w, p + n - 8, 8);
        return ((seen | w) & 0x8080808080808080ull) == 0;
    }
    if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        return ((a | b) & 0x80808080u) == 0;
    }
    unsigned seen = 0;
    for (size_t i = 0; i < n; ++i) seen |= static_cast<unsigned char>(p[i]);
    return seen < 0x80;
}

template <size_t N>
class TextBlocks {
public:
    static_assert(N >= 1);
    // Texts are cut (at a character) to the 65,535 bytes a count holds.
    static constexpr size_t kMaxText = 0xFFFF;
    using Texts = std::array<std::string_view, N>;
    static constexpr size_t kTexts = N;

    // Whether the list has storage at all: the data file tells an empty
    // list from none.
    bool hasStorage = false;

    size_t size() const { return records_.size(); }
    void Clear() {
        hasStorage = false;
        packed_ = true;
        records_.clear();
        records_.shrink_to_fit();
        texts_.clear();
        texts_.shrink_to_fit();
    }
    // Keeps the first n entries and adds empty ones up to n.
    void Resize(size_t n) {
        hasStorage = true;
        if (n < records_.size()) {
            if (packed_) texts_.resize(records_[n].at);  // the blocks of the entries dropped
            records_.resize(n);
        }
        while (records_.size() < n) Append(Texts{}, 0);
    }
    void Append(const Texts& texts, int16_t number) {
        hasStorage = true;
        records_.push_back(AppendBlock(texts, number));
    }
    void Set(size_t i, const Texts& texts) {
        records_[i] = AppendBlock(texts, Number(i));
        packed_ = false;  // the old block stays behind until Compact()
    }
    void SetNumber(size_t i, int16_t number) {
        char* p = texts_.data() + records_[i].at;
        Store16(p + 2 + Count(p), static_cast<uint16_t>(number));
    }
    int16_t Number(size_t i) const {
        const char* p = texts_.data() + records_[i].at;
        return static_cast<int16_t>(Load16(p + 2 + Count(p)));
    }
    Texts TextsOf(size_t i) const {
        Texts t;
        const char* p = texts_.data() + records_[i].at;
        for (size_t k = 0; k < N; ++k) {
            const size_t n = Count(p);
            t[k] = std::string_view(p + 2, n);
            p += 2 + n + (k == 0 ? 2 : 0);  // the number follows the first text
        }
        return t;
    }
    // The number of an entry whose first text is `first` (it follows it).
    static int16_t NumberAfter(std::string_view first) {
        return static_cast<int16_t>(Load16(first.data() + first.size()));
    }
    // The bytes of entry i's block, as they lie in the buffer.
    std::string_view Block(size_t i) const {
        const char* begin = texts_.data() + records_[i].at;
        // Packed, a block ends where the next begins: no counts to follow.
        if (packed_) return std::string_view(begin, (i + 1 < records_.size() ? records_[i + 1].at : texts_.size()) - records_[i].at);
        return std::string_view(begin, BlockSize(begin));
    }

    // Copies the live blocks into a buffer of their own size, in entry
    // order, and gives back the spare room of both arrays.
    void Compact() {
        TextBuffer packed;
        size_t need = 0;
        for (size_t i = 0; i < records_.size(); ++i) need += Block(i).size();
        packed.reserve(need);
        for (BlockRecord& r : records_) {
            const char* begin = texts_.data() + r.at;
            r.at = static_cast<uint32_t>(packed.size());
            packed.append(begin, BlockSize(begin));
        }
        texts_.swap(packed);
        records_.shrink_to_fit();
        packed_ = true;
    }
    // Heap bytes held.
    size_t Bytes() const {
        return records_.capacity() * sizeof(BlockRecord) + texts_.capacity();
    }

    // Raw access for the data file, which moves whole blocks: the records
    // and the buffer. Blocks appended here must have the shape above and
    // records their right `ascii` flag; a writer that leaves every block
    // in entry order, back to back, may then say so with MarkPacked().
    std::vector<BlockRecord>& Records() {
        packed_ = false;
        return records_;
    }
    const std::vector<BlockRecord>& Records() const { return records_; }
    TextBuffer& Buffer() {
        packed_ = false;
        return texts_;
    }
    const TextBuffer& Buffer() const { return texts_; }
    void MarkPacked() { packed_ = true; }
    // Whether the blocks lie in entry order, back to back, with nothing
    // between them (after Compact(), or appends alone).
    bool Packed() const { return packed_; }

    bool operator==(const TextBlocks& o) const {
        if (hasStorage != o.hasStorage || size() != o.size()) return false;
        for (size_t i = 0; i < size(); ++i)
            if (Block(i) != o.Block(i)) return false;
        return true;
    }

    // The byte count at the start of a text.
    static size_t Count(const char* p) { return Load16(p); }
    // The size of the block starting at `p`.
    static size_t BlockSize(const char* p) {
        const char* q = p;
        for (size_t k = 0; k < N; ++k) q += 2 + Count(q) + (k == 0 ? 2 : 0);
        return static_cast<size_t>(q - p);
    }
    // Appends one text (cut to fit its count) to a buffer in block shape.
    static void PutText(TextBuffer& out, std::string_view text) {
        if (text.size() > kMaxText) text = CutUtf8(text, kMaxText);
        char count[2];
        Store16(count, static_cast<uint16_t>(text.size()));
        out.append(count, 2);
        out.append(text.data(), text.size());
    }
    static void PutNumber(TextBuffer& out, int16_t number) {
        char two[2];
        Store16(two, static_cast<uint16_t>(number));
        out.append(two, 2);
    }
    // The longest start of a UTF-8 text within `max` bytes that ends at a
    // character's end.
    static std::string_view CutUtf8(std::string_view text, size_t max) {
        size_t n = max;
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
        return text.substr(0, n);
    }

private:
    BlockRecord AppendBlock(Texts texts, int16_t number) {
        size_t need = texts_.size() + 2;
        for (const std::string_view t : texts) need += 2 + std::min(t.size(), kMaxText);
        if (need > texts_.capacity()) {
            // The texts may be views into this very buffer (an entry set
            // from another's or its own texts): they move with it.
            const std::less<const char*> before;
            const char* const begin = texts_.data();
            const char* const end = begin + texts_.size();
            std::array<size_t, N> offset{};
            std::array<bool, N> inside{};
            for (size_t k = 0; k < N; ++k) {
                inside[k] = !texts[k].empty() && !before(texts[k].data(), begin) && before(texts[k].data(), end);
                if (inside[k]) offset[k] = static_cast<size_t>(texts[k].data() - begin);
            }
            texts_.reserve(std::max(need, 2 * texts_.capacity()));
            for (size_t k = 0; k < N; ++k)
                if (inside[k]) texts[k] = std::string_view(texts_.data() + offset[k], texts[k].size());
        }
        // Nothing below moves the buffer: the room is there.
        BlockRecord r{static_cast<uint32_t>(texts_.size()), true};
        r.ascii = PutBlock(texts_, texts, number);
        return r;
    }
    // Appends a block to `out`; whether its texts are all ASCII.
    static bool PutBlock(TextBuffer& out, const Texts& texts, int16_t number) {
        bool ascii = true;
        for (size_t k = 0; k < N; ++k) {
            PutText(out, texts[k]);
            if (k == 0) PutNumber(out, number);
            ascii = ascii && IsAsciiText(texts[k].data(), texts[k].size());
        }
        return ascii;
    }

    std::vector<BlockRecord> records_;
    TextBuffer texts_;
    bool packed_ = true;
};

}  // namespace tw
