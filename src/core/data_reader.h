#pragma once
// Reading the data file's bytes: the data file's decoder and the reader of
// the library's roots share it. Internal to them.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/state_record.h"
#include "model/text_blocks.h"
#include "platform/code_page_table.h"
#include "platform/text_codec.h"

namespace tw::dat {

// Smallest number of bytes one element of each kind takes in the file; an
// element count is believed only when the bytes left could hold that many.
constexpr size_t kMinText = 2;
constexpr size_t kMinWatchFolder = kMinText + 2;
constexpr size_t kMinTrack = kMinText + 2 + 4 * kMinText;
constexpr size_t kMinFolder = kMinText + 2 + kMinText;
constexpr size_t kMinRoot = kMinText + 2 + 2 + 2 + 2 + 2;
constexpr size_t kMinHit = 3 * kMinText;

// The rest of a file whose first part a reader was given while the rest
// was still being read.
class LaterBytes {
public:
    virtual ~LaterBytes() = default;
    // Waits until the rest is in and gives the whole file's bytes, which
    // begin with what the reader was given; false when the rest could not
    // be read.
    virtual bool Wait(std::string_view& whole) = 0;
};

// Reads values one after another from `bytes`, which it does not own.
// Code-page text goes through the tables and, where they fall short,
// through the codec; a reader without a codec (one on a second thread,
// where the codec may not be called) fails at such a text instead. Given
// `later`, a read that runs past `bytes` waits for the rest of the file
// and goes on in it.
class Reader {
public:
    Reader(std::string_view bytes, const CodePageTable& table, TextCodec* codec, size_t pos = 0,
           LaterBytes* later = nullptr)
        : b_(bytes), pos_(pos), table_(table), codec_(codec), later_(later) {}
    bool ok = true;
    size_t Pos() const { return pos_; }
    // Moves to `pos`, taking in the rest of the file first when `pos` lies
    // in it; fails when it lies past the end.
    void Seek(size_t pos) {
        if (pos > b_.size() && (!More() || pos > b_.size())) return Fail();
        pos_ = pos;
    }
    // The bytes the reader has so far.
    std::string_view Bytes() const { return b_; }
    const CodePageTable& Table() const { return table_; }

    int16_t Int16() {
        if (!Need(2)) return 0;
        const auto v = static_cast<uint16_t>(Byte(0) | (Byte(1) << 8));
        pos_ += 2;
        return static_cast<int16_t>(v);
    }
    int32_t Int32() {
        if (!Need(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte(i)) << (8 * i);
        pos_ += 4;
        return static_cast<int32_t>(v);
    }
    std::string Text() {
        if (!Need(2)) return {};
        const size_t n = Byte(0) | (Byte(1) << 8);
        pos_ += 2;
        if (!Need(n)) return {};
        const char* at = b_.data() + pos_;
        pos_ += n;
        if (IsAsciiText(at, n)) return std::string(at, n);
        std::string utf8(3 * n + 1, '\0');
        const size_t len = table_.ToUtf8(reinterpret_cast<const unsigned char*>(at), n, utf8.data());
        if (len != CodePageTable::kMiss) {
            utf8.resize(len);
            return utf8;
        }
        if (!codec_) {
            Fail();
            return {};
        }
        return codec_->FromAnsi(std::string(at, n));
    }
    // An array's header: false for an array without storage or a reader
    // that failed; otherwise its element count, believed only when the
    // bytes left could hold that many elements.
    bool ArrayHeader(size_t minElementSize, size_t& count) {
        const int16_t dims = Int16();
        if (!ok || dims == 0) return false;
        if (dims != 1) {
            Fail();
            return false;
        }
        const int32_t n = Int32();
        const int32_t lower = Int32();
        if (!ok) return false;
        if (n < 0 || lower != 0 ||
            (static_cast<size_t>(n) > (b_.size() - pos_) / minElementSize &&
             (!More() || static_cast<size_t>(n) > (b_.size() - pos_) / minElementSize))) {
            Fail();
            return false;
        }
        count = static_cast<size_t>(n);
        return true;
    }
    template <class T, class F>
    void Array(StoredArray<T>& a, size_t minElementSize, F&& element) {
        a.Clear();
        size_t count = 0;
        if (!ArrayHeader(minElementSize, count)) return;
        a.Resize(count);
        for (T& item : a.items) {
            element(item);
            if (!ok) return;
        }
    }
    // A library list into its blocks, in one pass over the file's bytes.
    // Text is copied as it stands while it is ASCII (the file's shape is the
    // blocks' own) and goes through the code page's tables, or the codec
    // where they fall short, when it is not. The blocks are written straight
    // into the list's buffer, which then gives back what it did not need.
    template <size_t N, class List>
    void Blocks(List& list, size_t minElementSize, std::vector<int16_t>& numbers) {
        list.Clear();
        numbers.clear();
        size_t count = 0;
        if (!ArrayHeader(minElementSize, count)) return;
        list.hasStorage = true;

        std::vector<BlockRecord>& records = list.Records();
        records.resize(count);
        numbers.resize(count);
        // Plain locals in the loop: stores through a char pointer could
        // alias any member, which would be read again after each.
        BlockRecord* const recordsAt = records.data();
        int16_t* const numbersAt = numbers.data();
        const auto* in = reinterpret_cast<const unsigned char*>(b_.data());
        const unsigned char* p = in + pos_;
        const unsigned char* end = in + b_.size();
        const CodePageTable& table = table_;
        TextBuffer& buffer = list.Buffer();
        // Room for entries of the usual size; a list of longer texts grows
        // by half as often as it needs.
        const size_t guess = std::min(static_cast<size_t>(end - p) + static_cast<size_t>(end - p) / 2, count * 128);
        char* out = buffer.RoomAfterSize(guess + 4096);
        size_t room = buffer.capacity(), used = 0;
        // One entry; false when the reader failed. `checked` says whether
        // a text may run past the bytes in so far.
        auto entry = [&](size_t e, auto checked) {
            const size_t blockAt = used;
            bool ascii = true;
            // Text k, unrolled over k: the number's place and the loop's
            // own counting cost as much as a short text's copy.
            auto text = [&](auto kk) {
                constexpr size_t k = decltype(kk)::value;
                constexpr size_t after = k == 0 ? 2 : 0;  // the number follows the first text
                // Past the bytes in so far: take in the rest (the same
                // memory, longer), or fail.
                while (checked && static_cast<size_t>(end - p) < 2 + after) {
                    if (!More()) return false;
                    end = in + b_.size();
                }
                const size_t n = p[0] | (p[1] << 8);
                while (checked && static_cast<size_t>(end - p) - 2 - after < n) {
                    if (!More()) return false;
                    end = in + b_.size();
                }
                if (room - used < 2 + 3 * n + after + 32) {
                    out = buffer.RoomAfterSize(used + 2 + 3 * n + after + 32);
                    room = buffer.capacity();
                }
                char* o = out + used;
                size_t len = n;
                if (!CopyIfAscii(p + 2, n, o + 2, checked ? static_cast<size_t>(end - p) - 2 : 32)) {
                    ascii = false;
                    len = table.ToUtf8(p + 2, n, o + 2);
                    if (len == CodePageTable::kMiss || len > TextBlocks<1>::kMaxText) {
                        if (!codec_) return false;
                        len = ConvertSlowly(p + 2, n, o + 2);
                    }
                }
                o[0] = static_cast<char>(len & 0xFF);
                o[1] = static_cast<char>(len >> 8);
                p += 2 + n;
                used += 2 + len;
                if constexpr (k == 0) {
                    o[2 + len] = static_cast<char>(p[0]);
                    o[3 + len] = static_cast<char>(p[1]);
                    numbersAt[e] = static_cast<int16_t>(p[0] | (p[1] << 8));
                    p += 2;
                    used += 2;
                }
                return true;
            };
            const bool all = [&]<size_t... K>(std::index_sequence<K...>) {
                return (text(std::integral_constant<size_t, K>{}) && ...);
            }(std::make_index_sequence<N>{});
            if (!all) return false;
            recordsAt[e] = {static_cast<uint32_t>(blockAt), ascii};
            return true;
        };
        // While the bytes left could hold the largest entry (its texts as
        // long as a count allows, its number, and the 32 bytes a short
        // text's copy reads), no text can run past them: all but the last
        // few hundred kilobytes in go without the checks.
        constexpr size_t kAnyEntry = N * (2 + TextBlocks<1>::kMaxText) + 2 + 32;
        for (size_t e = 0; e < count; ++e) {
            const bool done = static_cast<size_t>(end - p) >= kAnyEntry ? entry(e, std::false_type{})
                                                                         : entry(e, std::true_type{});
            if (!done) return Fail();
        }
        pos_ = static_cast<size_t>(p - in);
        // Blocks are found by 32-bit offsets: no list of a real library
        // comes near 4 GB, and a file that claims one is refused.
        if (used > UINT32_MAX) return Fail();
        buffer.Commit(used);
        buffer.shrink_to_fit();
        list.MarkPacked();
    }
    void Fail() { ok = false; }

private:
    // A text the tables do not hold, or that outgrows a count in UTF-8,
    // through the codec (and cut to fit) into room for 3 n bytes: the
    // codec makes no more than three UTF-8 bytes a code-page byte either.
    size_t ConvertSlowly(const unsigned char* ansi, size_t n, char* out) {
        const std::string utf8 = codec_->FromAnsi(std::string(reinterpret_cast<const char*>(ansi), n));
        std::string_view text(utf8);
        if (text.size() > TextBlocks<1>::kMaxText) text = TextBlocks<1>::CutUtf8(text, TextBlocks<1>::kMaxText);
        if (text.size() > 3 * n) text = TextBlocks<1>::CutUtf8(text, 3 * n);
        std::memcpy(out, text.data(), text.size());
        return text.size();
    }

    bool Need(size_t n) {
        if (ok && (b_.size() - pos_ >= n || (More() && b_.size() - pos_ >= n))) return true;
        ok = false;
        return false;
    }
    // Takes in the rest of the file, once; false when there is none to
    // wait for or it could not be read. The bytes stay where they were.
    bool More() {
        if (!later_) return false;
        LaterBytes* later = later_;
        later_ = nullptr;
        std::string_view whole;
        if (!later->Wait(whole) || whole.data() != b_.data() || whole.size() < b_.size()) return false;
        b_ = whole;
        return true;
    }
    unsigned Byte(size_t i) const { return static_cast<unsigned char>(b_[pos_ + i]); }

    std::string_view b_;
    size_t pos_ = 0;
    const CodePageTable& table_;
    TextCodec* codec_;
    LaterBytes* later_;
};

}  // namespace tw::dat
