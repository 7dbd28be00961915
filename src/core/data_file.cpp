#include "core/data_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "core/extension_block.h"
#include "platform/code_page_table.h"
#include "platform/files.h"
#include "platform/text_codec.h"

namespace tw {

namespace {

// ---- writing ----

// Appends values to `bytes`, texts in the code page. Every text counts
// one place; a text the code page cannot hold is also kept whole in
// `wholes`, by its place.
class Writer {
public:
    explicit Writer(TextCodec& codec) : codec_(codec), table_(codec.Table()) {}
    std::string bytes;
    std::vector<WholeText> wholes;

    void Int16(int16_t v) { Put16(static_cast<uint16_t>(v)); }
    void Int32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        Put16(static_cast<uint16_t>(u & 0xFFFF));
        Put16(static_cast<uint16_t>(u >> 16));
    }
    void Text(std::string_view utf8) {
        const uint32_t ordinal = ordinal_++;
        // Every ANSI code page holds ASCII as it is: most paths and names
        // skip the conversion in both directions.
        if (utf8.size() <= 0xFFFF && IsAsciiText(utf8.data(), utf8.size())) return Counted(utf8);
        // The code page's one-to-one characters through the tables, the rest
        // through the codec: the same bytes either way.
        const size_t countAt = bytes.size();
        Put16(0);
        if (table_.ToAnsi(utf8, bytes) && bytes.size() - countAt - 2 <= 0xFFFF) {
            Store16(bytes.data() + countAt, static_cast<uint16_t>(bytes.size() - countAt - 2));
            return;
        }
        bytes.resize(countAt);
        const std::string whole(utf8);
        std::string ansi = codec_.ToAnsi(whole);
        if (ansi.size() > 0xFFFF) ansi = CutToFit(whole);
        Counted(ansi);
        // The record then holds what the conversion gives (the replacement
        // or a look-alike), as it always has for older readers.
        if (codec_.FromAnsi(ansi) != whole) wholes.push_back({ordinal, whole});
    }
    // An array's header: no dimensions for one without storage, else one
    // of `count` elements from 0. Whether elements follow.
    bool ArrayHeader(bool hasStorage, size_t count) {
        if (!hasStorage) {
            Int16(0);
            return false;
        }
        Int16(1);
        Int32(static_cast<int32_t>(count));
        Int32(0);  // lower bound
        return true;
    }
    template <class T, class F>
    void Array(const StoredArray<T>& a, F&& element) {
        if (!ArrayHeader(a.hasStorage, a.items.size())) return;
        for (const T& item : a.items) element(item);
    }
    // A library list. A block of ASCII texts is the file's own bytes, and
    // such blocks that follow each other in the buffer go in one piece; the
    // others text by text through the code page.
    template <class List>
    void Blocks(const List& list) {
        if (!ArrayHeader(list.hasStorage, list.size())) return;
        const std::vector<BlockRecord>& records = list.Records();
        const TextBuffer& buffer = list.Buffer();
        size_t runAt = 0, runEnd = 0;  // ASCII blocks not yet written
        for (size_t i = 0; i < records.size(); ++i) {
            const BlockRecord& r = records[i];
            const size_t size = list.Block(i).size();
            if (r.ascii && r.at == runEnd) {
                runEnd += size;
                ordinal_ += List::kTexts;
                continue;
            }
            bytes.append(buffer.data() + runAt, runEnd - runAt);
            runAt = r.at;
            runEnd = r.at + size;
            if (r.ascii) {
                ordinal_ += List::kTexts;
                continue;
            }
            runAt = runEnd;
            const typename List::Texts texts = list.TextsOf(i);
            for (size_t k = 0; k < texts.size(); ++k) {
                Text(texts[k]);
                if (k == 0) Int16(List::NumberAfter(texts[0]));  // the number follows the first text
            }
        }
        bytes.append(buffer.data() + runAt, runEnd - runAt);
    }

private:
    void Put16(uint16_t v) {
        char two[2];
        Store16(two, v);
        bytes.append(two, 2);
    }
    void Counted(std::string_view ansi) {
        Put16(static_cast<uint16_t>(ansi.size()));
        bytes.append(ansi);
    }
    // Drops whole UTF-8 characters from the end until the code-page form
    // fits the 16-bit length prefix.
    std::string CutToFit(std::string utf8) {
        std::string ansi = codec_.ToAnsi(utf8);
        while (ansi.size() > 0xFFFF && !utf8.empty()) {
            // Shed about as many bytes as are over, never less than one char.
            size_t over = ansi.size() - 0xFFFF;
            size_t cut = utf8.size() > over ? utf8.size() - over : 0;
            while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
            utf8.resize(cut);
            ansi = codec_.ToAnsi(utf8);
        }
        return ansi;
    }

    TextCodec& codec_;
    const CodePageTable& table_;
    uint32_t ordinal_ = 0;
};

void WriteSettings(Writer& w, const Settings& s) {
    w.Int16(s.WindowLeft);
    w.Int16(s.WindowTop);
    w.Int16(s.WindowWidth);
    w.Array(s.WatchFolderSet.WatchFolders, [&](const WatchFolder& f) {
        w.Text(f.Path);
        w.Int16(f.IncludeSubfolders);
    });
    w.Int16(s.WatchFolderSet.WatchFolderCount);
    for (const RgbColor* c : {&s.TextColor, &s.BackColor}) {
        w.Int16(c->Red);
        w.Int16(c->Green);
        w.Int16(c->Blue);
    }
    w.Int16(s.PadSize);
    w.Int16(s.LineHeight);
    w.Int16(s.TextLines);
    w.Int16(s.UseInternalPlayer);
    w.Int16(s.MaxHits);
    w.Text(s.Keyword);
    for (int16_t v : s.AutoHideParams) w.Int16(v);
    w.Int16(s.UseTransparency);
    w.Int16(s.Reserved);
    w.Int16(s.AlwaysOnTop);
    w.Int16(s.AutoHide);
    for (int16_t v : s.ButtonMap) w.Int16(v);
    for (VBool v : {s.LoopAll, s.ShuffleOnList, s.NoExternalBatch, s.HideText, s.UseTagInfo,
                    s.MatchPath, s.MatchFileName, s.MatchArtist, s.MatchTrackName, s.MatchAlbum,
                    s.MatchComment})
        w.Int16(v);
}

void WriteHit(Writer& w, const SearchHit& h) {
    w.Text(h.RootPath);
    w.Text(h.FolderPath);
    w.Text(h.FileName);
}

void WriteRoot(Writer& w, const RootEntry& root) {
    w.Text(root.Path);
    w.Blocks(root.Tracks);
    w.Int16(root.TrackCount);
    w.Blocks(root.Folders);
    w.Int16(root.FolderCount);
    w.Int16(root.TagsRead);
}

// Roughly the record's size, to reserve once rather than let a library of
// many megabytes grow by doubling. Texts count at their UTF-8 size, which
// the code page form seldom exceeds; a miss only means growing as before.
size_t SizeHint(const StateRecord& rec) {
    size_t n = 4096;
    for (const RootEntry& root : rec.Library.LibraryRoots.items) {
        n += 64 + root.Path.size();
        n += root.Tracks.Buffer().size() + 2 * root.Tracks.size();
        n += root.Folders.Buffer().size() + 2 * root.Folders.size();
    }
    return n;
}

// ---- reading ----

// The fewest bytes one element of each kind takes in the file; an element
// count is believed only when the bytes left could hold that many.
constexpr size_t kMinText = 2;
constexpr size_t kMinWatchFolder = kMinText + 2;
constexpr size_t kMinTrack = kMinText + 2 + 4 * kMinText;
constexpr size_t kMinFolder = kMinText + 2 + kMinText;
constexpr size_t kMinRoot = kMinText + 2 + 2 + 2 + 2 + 2;
constexpr size_t kMinHit = 3 * kMinText;

// Reads values one after another from bytes it does not own. Every read
// checks that its bytes are there; the first that is not fails the reader,
// and all reads after it give zeros and empty texts.
class Reader {
public:
    // `wholes`, by ascending place, are the whole forms of texts the record
    // holds in the code page's replacement.
    Reader(std::string_view bytes, TextCodec& codec, const std::vector<WholeText>* wholes = nullptr)
        : bytes_(bytes), codec_(codec), table_(codec.Table()), wholes_(wholes) {}
    bool ok = true;
    bool Fail() { return ok = false; }
    size_t Pos() const { return pos_; }

    int16_t Int16() {
        const char* p = Take(2);
        return p ? static_cast<int16_t>(Load16(p)) : 0;
    }
    int32_t Int32() {
        const char* p = Take(4);
        return p ? static_cast<int32_t>(Load16(p) | (uint32_t{Load16(p + 2)} << 16)) : 0;
    }
    // A text's code-page bytes, as they lie in the file.
    std::string_view Raw() {
        if (!ok || Left() < 2 || Left() - 2 < Load16(bytes_.data() + pos_)) {
            Fail();
            return {};
        }
        const std::string_view text(bytes_.data() + pos_ + 2, Load16(bytes_.data() + pos_));
        pos_ += 2 + text.size();
        ++ordinal_;
        return text;
    }
    // The whole form of the text Raw() gave last, when there is one.
    const std::string* WholeOfLast() {
        if (!wholes_) return nullptr;
        const uint32_t last = ordinal_ - 1;
        while (nextWhole_ < wholes_->size() && (*wholes_)[nextWhole_].ordinal < last) ++nextWhole_;
        if (nextWhole_ < wholes_->size() && (*wholes_)[nextWhole_].ordinal == last) return &(*wholes_)[nextWhole_++].text;
        return nullptr;
    }
    // Code-page text in UTF-8: through the tables, or through the codec
    // where they fall short.
    std::string Text() {
        const std::string_view ansi = Raw();
        if (const std::string* whole = WholeOfLast()) return *whole;
        if (IsAsciiText(ansi.data(), ansi.size())) return std::string(ansi);
        std::string utf8(3 * ansi.size() + 1, '\0');
        const size_t n = table_.ToUtf8(Unsigned(ansi), ansi.size(), utf8.data());
        if (n == CodePageTable::kMiss) return codec_.FromAnsi(std::string(ansi));
        utf8.resize(n);
        return utf8;
    }
    // An array's header: false for an array without storage or a reader
    // that failed; otherwise its element count, believed only when the
    // bytes left could hold that many elements.
    bool ArrayHeader(size_t minElementSize, size_t& count) {
        const int16_t dims = Int16();
        if (!ok || dims == 0) return false;
        if (dims != 1) return Fail();
        const int32_t n = Int32();
        const int32_t lower = Int32();
        if (!ok) return false;
        if (n < 0 || lower != 0 || static_cast<size_t>(n) > Left() / minElementSize) return Fail();
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
    // A library list into its blocks, with each entry's number also put in
    // `numbers`. The file holds the entries in the blocks' own shape, so its
    // bytes are copied in runs as they stand, up to each text that holds
    // code-page characters; that one goes in UTF-8. Such a text is found
    // by the next byte with its top bit set, looked for in long strides
    // rather than text by text: a text that ends before it is ASCII.
    template <class List>
    void Blocks(List& list, size_t minElementSize, std::vector<int16_t>& numbers) {
        list.Clear();
        numbers.clear();
        size_t count = 0;
        if (!ArrayHeader(minElementSize, count)) return;
        list.hasStorage = true;
        std::vector<BlockRecord>& records = list.Records();
        records.resize(count);
        numbers.resize(count);
        // Room for entries of the usual size, given back once the list is
        // in; longer ones grow it.
        TextBuffer& buffer = list.Buffer();
        buffer.reserve(count <= Left() / 128 ? count * 128 : Left());
        size_t runAt = pos_;  // the start of the bytes not yet copied
        size_t high = NextHighByte(pos_);
        for (size_t e = 0; e < count && ok; ++e) {
            records[e] = {static_cast<uint32_t>(buffer.size() + (pos_ - runAt)), true};
            for (size_t k = 0; k < List::kTexts; ++k) {
                const size_t countAt = pos_;
                const std::string_view ansi = Raw();
                if (k == 0) numbers[e] = Int16();
                const size_t textAt = countAt + 2;
                const std::string* whole = WholeOfLast();
                if (high < textAt) high = NextHighByte(textAt);  // it lay in a count, a number or a text before
                if (!whole && high >= textAt + ansi.size()) continue;
                buffer.append(bytes_.data() + runAt, countAt - runAt);
                if (whole) {
                    List::PutText(buffer, *whole);
                    records[e].ascii = records[e].ascii && IsAsciiText(whole->data(), whole->size());
                } else {
                    records[e].ascii = false;
                    PutUtf8<List>(buffer, ansi);
                }
                runAt = pos_ - (k == 0 ? 2 : 0);  // the number after the first text is copied as it stands
            }
        }
        if (!ok) return;
        buffer.append(bytes_.data() + runAt, pos_ - runAt);
        // Blocks are found by 32-bit offsets: no list of a real library
        // comes near 4 GB, and a file that claims one is refused.
        if (buffer.size() > UINT32_MAX) {
            Fail();
            return;
        }
        buffer.shrink_to_fit();
        list.MarkPacked();
    }

private:
    size_t Left() const { return bytes_.size() - pos_; }
    // The next n bytes, or null (and the reader failed) when they are not
    // all there.
    const char* Take(size_t n) {
        if (!ok || n > Left()) {
            ok = false;
            return nullptr;
        }
        const char* p = bytes_.data() + pos_;
        pos_ += n;
        return p;
    }
    // Where the first byte at or after `from` with its top bit set lies, or
    // the end of the bytes. Thirty-two bytes at a time while none is high
    // (most of a library is ASCII), then eight, the first byte lowest.
    size_t NextHighByte(size_t from) const {
        static_assert(std::endian::native == std::endian::little);
        size_t i = from;
        const auto word = [&](size_t at) {
            uint64_t w;
            std::memcpy(&w, bytes_.data() + at, 8);
            return w & 0x8080808080808080ull;
        };
        for (; i + 32 <= bytes_.size(); i += 32)
            if (word(i) | word(i + 8) | word(i + 16) | word(i + 24)) break;
        for (; i + 8 <= bytes_.size(); i += 8)
            if (const uint64_t high = word(i)) return i + std::countr_zero(high) / 8;
        while (i < bytes_.size() && static_cast<unsigned char>(bytes_[i]) < 0x80) ++i;
        return i;
    }
    static const unsigned char* Unsigned(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }
    // Appends a code-page text to a block as Text() reads it: its count and
    // its UTF-8 bytes, cut at a character to what a count holds. The tables
    // make at most three bytes of a code-page byte, and may write one more.
    template <class List>
    void PutUtf8(TextBuffer& out, std::string_view ansi) {
        char* room = out.RoomAfterSize(2 + 3 * ansi.size() + 1);
        size_t n = table_.ToUtf8(Unsigned(ansi), ansi.size(), room + 2);
        if (n == CodePageTable::kMiss) return List::PutText(out, codec_.FromAnsi(std::string(ansi)));
        if (n > List::kMaxText) n = List::CutUtf8(std::string_view(room + 2, n), List::kMaxText).size();
        Store16(room, static_cast<uint16_t>(n));
        out.Commit(2 + n);
    }

    std::string_view bytes_;
    size_t pos_ = 0;
    TextCodec& codec_;
    const CodePageTable& table_;
    const std::vector<WholeText>* wholes_;
    size_t nextWhole_ = 0;
    uint32_t ordinal_ = 0;
};

void ReadSettings(Reader& r, Settings& s) {
    s.WindowLeft = r.Int16();
    s.WindowTop = r.Int16();
    s.WindowWidth = r.Int16();
    r.Array(s.WatchFolderSet.WatchFolders, kMinWatchFolder, [&](WatchFolder& f) {
        f.Path = r.Text();
        f.IncludeSubfolders = r.Int16();
    });
    s.WatchFolderSet.WatchFolderCount = r.Int16();
    for (RgbColor* c : {&s.TextColor, &s.BackColor}) {
        c->Red = r.Int16();
        c->Green = r.Int16();
        c->Blue = r.Int16();
    }
    s.PadSize = r.Int16();
    s.LineHeight = r.Int16();
    s.TextLines = r.Int16();
    s.UseInternalPlayer = r.Int16();
    s.MaxHits = r.Int16();
    s.Keyword = r.Text();
    for (int16_t& v : s.AutoHideParams) v = r.Int16();
    s.UseTransparency = r.Int16();
    s.Reserved = r.Int16();
    s.AlwaysOnTop = r.Int16();
    s.AutoHide = r.Int16();
    for (int16_t& v : s.ButtonMap) v = r.Int16();
    for (VBool* v : {&s.LoopAll, &s.ShuffleOnList, &s.NoExternalBatch, &s.HideText, &s.UseTagInfo,
                     &s.MatchPath, &s.MatchFileName, &s.MatchArtist, &s.MatchTrackName,
                     &s.MatchAlbum, &s.MatchComment})
        *v = r.Int16();
}

void ReadHit(Reader& r, SearchHit& h) {
    h.RootPath = r.Text();
    h.FolderPath = r.Text();
    h.FileName = r.Text();
}

// The entries' numbers, reused from root to root.
struct Numbers {
    std::vector<int16_t> folderIndexes, parents;
};

// Whether the numbers of the first `count` entries (all of them, when
// there are fewer) lie in [low, high].
bool NumbersWithin(const std::vector<int16_t>& numbers, int16_t count, int low, int high) {
    const size_t n = std::min(numbers.size(), static_cast<size_t>(std::max<int16_t>(count, 0)));
    for (size_t i = 0; i < n; ++i)
        if (numbers[i] < low || numbers[i] > high) return false;
    return true;
}

void ReadRoot(Reader& r, RootEntry& root, Numbers& numbers) {
    root.Path = r.Text();
    r.Blocks(root.Tracks, kMinTrack, numbers.folderIndexes);
    root.TrackCount = r.Int16();
    r.Blocks(root.Folders, kMinFolder, numbers.parents);
    root.FolderCount = r.Int16();
    root.TagsRead = r.Int16();
    // Tracks name their folder, folders their parent (-1 for the root).
    if (!NumbersWithin(numbers.folderIndexes, root.TrackCount, 0, root.FolderCount - 1) ||
        !NumbersWithin(numbers.parents, root.FolderCount, -1, root.FolderCount - 1))
        r.Fail();
}

bool CountFits(int16_t count, size_t size) {
    return count >= 0 && static_cast<size_t>(count) <= size;
}

// The rest of the program indexes the lists by their counts and follows
// folder and parent indexes; a record that would send it out of range is
// refused here rather than trusted. The indexes themselves are checked as
// each root is read (NumbersWithin).
bool Consistent(const StateRecord& rec) {
    const auto& wf = rec.Settings.WatchFolderSet;
    if (!CountFits(wf.WatchFolderCount, wf.WatchFolders.size())) return false;
    const auto& lib = rec.Library;
    if (!CountFits(lib.RootCount, lib.LibraryRoots.size())) return false;
    for (const RootEntry& root : lib.LibraryRoots.items) {
        if (!CountFits(root.TrackCount, root.Tracks.size())) return false;
        if (!CountFits(root.FolderCount, root.Folders.size())) return false;
    }
    if (!CountFits(rec.PlayCount, rec.PlayList.size())) return false;
    if (!CountFits(rec.Search.SearchHitCount, rec.Search.SearchHits.size())) return false;
    if (!CountFits(rec.Search.SearchWordCount, rec.Search.SearchWords.size())) return false;
    return true;
}

// The settings beyond the record, by the names the block gives them.
struct KnownValue {
    const char* name;
    int32_t (*get)(const Settings&);
    void (*set)(Settings&, int32_t);
};
const KnownValue kKnownValues[] = {
    {"PreferId3v2", [](const Settings& s) -> int32_t { return s.PreferId3v2; },
     [](Settings& s, int32_t v) { s.PreferId3v2 = ToVBool(v != 0); }},
    {"Hotkey", [](const Settings& s) -> int32_t { return s.Hotkey; },
     [](Settings& s, int32_t v) {
         // A chord is a key and modifiers; anything else means no hotkey.
         s.Hotkey = v >= 0 && v <= 0xFFF ? v : 0;
     }},
    {"MediaKeys", [](const Settings& s) -> int32_t { return s.MediaKeys; },
     [](Settings& s, int32_t v) { s.MediaKeys = ToVBool(v != 0); }},
    {"SearchAsYouType", [](const Settings& s) -> int32_t { return s.SearchAsYouType; },
     [](Settings& s, int32_t v) { s.SearchAsYouType = ToVBool(v != 0); }},
    {"WatchForChanges", [](const Settings& s) -> int32_t { return s.WatchForChanges; },
     [](Settings& s, int32_t v) { s.WatchForChanges = ToVBool(v != 0); }},
    {"ResumePlay", [](const Settings& s) -> int32_t { return s.ResumePlay; },
     [](Settings& s, int32_t v) { s.ResumePlay = ToVBool(v != 0); }},
    // The place is checked against the play list when it is used.
    {"ResumeEntry", [](const Settings& s) { return s.ResumeEntry; }, [](Settings& s, int32_t v) { s.ResumeEntry = v; }},
    {"ResumeCheck", [](const Settings& s) { return s.ResumeCheck; }, [](Settings& s, int32_t v) { s.ResumeCheck = v; }},
    {"ResumeAt", [](const Settings& s) { return s.ResumeAt; }, [](Settings& s, int32_t v) { s.ResumeAt = v; }},
    {"ResumeLength", [](const Settings& s) { return s.ResumeLength; },
     [](Settings& s, int32_t v) { s.ResumeLength = v; }},
};

// Named values are decimal numbers; anything else is not one of ours.
bool ParseValue(const std::string& text, int32_t& value) {
    if (text.empty() || text.size() > 11) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    if (text[0] == '-') v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}

std::vector<NamedValue> ValuesOf(const Settings& s) {
    std::vector<NamedValue> values;
    const Settings defaults;
    for (const KnownValue& k : kKnownValues)
        if (k.get(s) != k.get(defaults)) values.push_back({k.name, std::to_string(k.get(s))});
    for (const NamedValue& v : s.OtherValues) values.push_back(v);
    return values;
}

void TakeValues(const std::vector<NamedValue>& values, Settings& s) {
    for (const NamedValue& v : values) {
        const KnownValue* known = nullptr;
        for (const KnownValue& k : kKnownValues)
            if (v.name == k.name) known = &k;
        int32_t number = 0;
        if (!known)
            s.OtherValues.push_back(v);
        else if (ParseValue(v.value, number))
            known->set(s, number);
    }
}

Writer EncodeRecord(const StateRecord& rec, TextCodec& codec) {
    Writer w(codec);
    w.bytes.reserve(SizeHint(rec));
    w.Text(rec.Version);
    WriteSettings(w, rec.Settings);

    const TrackLibrary& lib = rec.Library;
    w.Array(lib.LibraryRoots, [&](const RootEntry& root) { WriteRoot(w, root); });
    w.Int16(lib.RootCount);
    w.Int32(lib.RegisteredFileCount);
    w.Int32(lib.TagsReadCount);

    w.Array(rec.PlayList, [&](const SearchHit& h) { WriteHit(w, h); });
    w.Int16(rec.PlayCount);

    w.Array(rec.Search.SearchHits, [&](const SearchHit& h) { WriteHit(w, h); });
    w.Int16(rec.Search.SearchHitCount);
    w.Array(rec.Search.SearchWords, [&](const std::string& s) { w.Text(s); });
    w.Int16(rec.Search.SearchWordCount);
    return w;
}

// Reads one record from the start of `bytes`, the texts of `wholes` taking
// their whole form; `end` is where it ends.
bool DecodeRecord(std::string_view bytes, StateRecord& rec, TextCodec& codec,
                  const std::vector<WholeText>* wholes, size_t& end) {
    Reader r(bytes, codec, wholes);
    rec = StateRecord{};
    rec.Version = r.Text();
    ReadSettings(r, rec.Settings);

    TrackLibrary& lib = rec.Library;
    Numbers numbers;
    r.Array(lib.LibraryRoots, kMinRoot, [&](RootEntry& root) { ReadRoot(r, root, numbers); });
    lib.RootCount = r.Int16();
    lib.RegisteredFileCount = r.Int32();
    lib.TagsReadCount = r.Int32();

    r.Array(rec.PlayList, kMinHit, [&](SearchHit& h) { ReadHit(r, h); });
    rec.PlayCount = r.Int16();

    r.Array(rec.Search.SearchHits, kMinHit, [&](SearchHit& h) { ReadHit(r, h); });
    rec.Search.SearchHitCount = r.Int16();
    r.Array(rec.Search.SearchWords, kMinText, [&](std::string& s) { s = r.Text(); });
    rec.Search.SearchWordCount = r.Int16();

    end = r.Pos();
    return r.ok && Consistent(rec);
}

}  // namespace

std::string EncodeState(const StateRecord& rec, TextCodec& codec) { return std::move(EncodeRecord(rec, codec).bytes); }

std::string EncodeFile(const StateRecord& rec, TextCodec& codec) {
    Writer w = EncodeRecord(rec, codec);
    ExtensionBlock block;
    block.texts = std::move(w.wholes);
    block.values = ValuesOf(rec.Settings);
    if (!block.Empty()) w.bytes += EncodeExtension(block, w.bytes);
    return std::move(w.bytes);
}

bool DecodeState(const std::string& bytes, StateRecord& rec, TextCodec& codec) {
    size_t end = 0;
    return DecodeRecord(bytes, rec, codec, nullptr, end);
}

LoadOutcome DecodeFile(const std::string& bytes, StateRecord& rec, TextCodec& codec) {
    const std::optional<FoundExtension> found = FindExtension(bytes);
    size_t end = 0;
    if (found && found->recordLength == found->at) {
        // The block names this record: the record must be what it was when
        // the block was written after it.
        const std::string_view record = std::string_view(bytes).substr(0, found->at);
        if (Checksum(record) != found->recordChecksum ||
            !DecodeRecord(record, rec, codec, &found->block.texts, end) || end != record.size())
            return LoadOutcome::Damaged;
        TakeValues(found->block.values, rec.Settings);
        return LoadOutcome::Loaded;
    }
    // No block, or one written after another record (ignored): the record
    // as it stands. The program writes nothing else after it, so any other
    // bytes there mean the file was damaged (zeroed, cut, overwritten).
    if (!DecodeRecord(bytes, rec, codec, nullptr, end)) return LoadOutcome::Damaged;
    const std::string_view rest = std::string_view(bytes).substr(end);
    return rest.empty() || LooksLikeExtension(rest) ? LoadOutcome::Loaded : LoadOutcome::Damaged;
}

std::string DataFilePath(const std::string& programFolder) {
    return programFolder + "\\" + kDataFileName;
}

LoadOutcome LoadState(FileSystem& fs, TextCodec& codec, const std::string& path, StateRecord& record) {
    if (!fs.FileExists(path)) return LoadOutcome::Missing;
    std::string bytes;
    if (!fs.ReadWholeFile(path, bytes)) return LoadOutcome::Damaged;
    return DecodeFile(bytes, record, codec);
}

bool WriteStateFile(FileSystem& fs, TextCodec& codec, const std::string& path, const StateRecord& record) {
    const std::string temp = path + ".tmp";
    if (fs.WriteNewFile(temp, EncodeFile(record, codec)) && fs.ReplaceKeepingOld(temp, path, path + kBackupSuffix))
        return true;
    fs.DeleteFile(temp);  // the old file is untouched; leave no half-written copy
    return false;
}

}  // namespace tw
