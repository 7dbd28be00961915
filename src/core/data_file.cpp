#include "core/data_file.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "core/data_reader.h"
#include "core/roots_reader.h"
#include "platform/code_page_table.h"
#include "platform/files.h"
#include "platform/text_codec.h"
#include "platform/threads.h"

namespace tw {

using namespace dat;  // the reader and its element sizes

namespace {

// ---- writing ----

class Writer {
public:
    explicit Writer(TextCodec& codec) : codec_(&codec), table_(codec.Table()) {}
    // A writer with the tables alone, for a second thread, where the codec
    // may not be called: a text that needs it sets `failed` instead.
    explicit Writer(const CodePageTable& table) : codec_(nullptr), table_(table) {}
    std::string bytes;
    bool failed = false;
    const CodePageTable& Table() const { return table_; }

    void Int16(int16_t v) {
        const auto u = static_cast<uint16_t>(v);
        const char two[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        bytes.append(two, 2);
    }
    void Int32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
    void Text(std::string_view utf8) {
        // Every ANSI code page holds ASCII as it is: most paths and names
        // skip the conversion in both directions.
        if (utf8.size() <= 0xFFFF && IsAsciiText(utf8.data(), utf8.size())) {
            Length(utf8.size());
            bytes.append(utf8.data(), utf8.size());
            return;
        }
        // The code page's one-to-one characters through the tables, the rest
        // through the codec: the same bytes either way.
        scratch_.clear();
        if (table_.ToAnsi(utf8, scratch_) && scratch_.size() <= 0xFFFF) {
            Length(scratch_.size());
            bytes += scratch_;
            return;
        }
        if (!codec_) {
            failed = true;
            return;
        }
        std::string ansi = codec_->ToAnsi(std::string(utf8));
        if (ansi.size() > 0xFFFF) ansi = CutToFit(std::string(utf8));
        Length(ansi.size());
        bytes += ansi;
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
    // blocks that follow each other in the buffer go in one piece; the
    // others text by text through the code page.
    template <class List, class F>
    void Blocks(const List& list, F&& textsOneByOne) {
        if (!ArrayHeader(list.hasStorage, list.size())) return;
        const std::vector<BlockRecord>& records = list.Records();
        const TextBuffer& buffer = list.Buffer();
        size_t runAt = 0, runEnd = 0;
        auto flush = [&] {
            bytes.append(buffer.data() + runAt, runEnd - runAt);
            runAt = runEnd = 0;
        };
        for (size_t i = 0; i < records.size(); ++i) {
            const BlockRecord& r = records[i];
            const size_t size = list.Block(i).size();
            if (!r.ascii) {
                flush();
                if (!BlockToAnsi<List::kTexts>(buffer.data() + r.at, size, buffer.data() + buffer.size()))
                    textsOneByOne(list[i]);
                continue;
            }
            if (runEnd != runAt && r.at == runEnd) {
                runEnd += size;
            } else {
                flush();
                runAt = r.at;
                runEnd = r.at + size;
            }
        }
        flush();
    }

private:
    // A block of N texts (in a buffer that ends at `end`) into the code page
    // through the tables, in one piece; false, with nothing written, when a
    // text is not in the tables (the caller then goes text by text through
    // the codec). Nothing converted is longer in the code page than in
    // UTF-8, so the output never runs ahead of the input: room for the
    // block and 32 bytes more covers every copy.
    template <size_t N>
    bool BlockToAnsi(const char* block, size_t size, const char* end) {
        const size_t mark = bytes.size();
        bytes.resize(mark + size + 40);
        char* o = bytes.data() + mark;
        const auto* p = reinterpret_cast<const unsigned char*>(block);
        const CodePageTable& table = table_;
        for (size_t k = 0; k < N; ++k) {
            const size_t n = p[0] | (p[1] << 8);
            size_t len = n;
            // Most texts of such a block are ASCII all the same.
            const size_t readable = static_cast<size_t>(end - reinterpret_cast<const char*>(p)) - 2;
            if (CopyIfAscii(p + 2, n, o + 2, readable)) {
                // copied as it stands
            } else if (Seen& seen = seen_[k]; seen.utf8 && seen.utf8Size == n && std::memcmp(seen.utf8, p + 2, n) == 0) {
                len = seen.size;
                std::memcpy(o + 2, bytes.data() + seen.at, len);
            } else {
                len = table.ToAnsi(p + 2, n, o + 2);
                if (len == CodePageTable::kMiss) {
                    bytes.resize(mark);
                    return false;
                }
                seen = {p + 2, n, static_cast<size_t>(o + 2 - bytes.data()), len};
            }
            o[0] = static_cast<char>(len & 0xFF);
            o[1] = static_cast<char>(len >> 8);
            o += 2 + len;
            p += 2 + n;
            if (k == 0) {  // the number
                o[0] = static_cast<char>(p[0]);
                o[1] = static_cast<char>(p[1]);
                o += 2;
                p += 2;
            }
        }
        bytes.resize(static_cast<size_t>(o - bytes.data()));
        return true;
    }

    // The last text converted in each place of a block: tracks of one album
    // lie together and share their artist and album, so most code-page
    // texts are converted once and then copied.
    struct Seen {
        const unsigned char* utf8 = nullptr;
        size_t utf8Size = 0, at = 0, size = 0;
    };
    Seen seen_[5];

    void Length(size_t n) {
        const char two[2] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF)};
        bytes.append(two, 2);
    }
    std::string scratch_;
    // Drops whole UTF-8 characters from the end until the code-page form
    // fits the 16-bit length prefix.
    std::string CutToFit(std::string utf8) {
        std::string ansi = codec_->ToAnsi(utf8);
        while (ansi.size() > 0xFFFF && !utf8.empty()) {
            // Shed about as many bytes as are over, never less than one char.
            size_t over = ansi.size() - 0xFFFF;
            size_t cut = utf8.size() > over ? utf8.size() - over : 0;
            while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
            utf8.resize(cut);
            ansi = codec_->ToAnsi(utf8);
        }
        return ansi;
    }
    TextCodec* codec_;
    const CodePageTable& table_;
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

// ---- reading ----


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

}  // namespace

namespace {

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

size_t RootBytes(const RootEntry& root) {
    return root.Path.size() + root.Tracks.Buffer().size() + root.Folders.Buffer().size();
}

void WriteRoot(Writer& w, const RootEntry& root) {
    w.Text(root.Path);
    w.Blocks(root.Tracks, [&](const TrackView& t) {
        w.Text(t.FileName);
        w.Int16(t.FolderIndex);
        w.Text(t.Title);
        w.Text(t.Artist);
        w.Text(t.Album);
        w.Text(t.Comment);
    });
    w.Int16(root.TrackCount);
    w.Blocks(root.Folders, [&](const FolderView& f) {
        w.Text(f.Name);
        w.Int16(f.Parent);
        w.Text(f.PathFromRoot);
    });
    w.Int16(root.FolderCount);
    w.Int16(root.TagsRead);
}

// Writes the roots after `w`'s bytes. A large library's later roots, about
// half its texts, are written beside the first ones on a second thread
// into bytes of their own, which then follow; when that thread cannot be
// had, fails, or meets a text for the codec, this thread writes those
// roots itself. The bytes are the same either way. How many roots the
// second thread gave.
size_t WriteRoots(Writer& w, const std::vector<RootEntry>& roots, const EncodeOptions& options) {
    size_t split = roots.size(), total = 0;
    for (const RootEntry& root : roots) total += RootBytes(root);
    std::unique_ptr<Writer> later;
    std::thread worker;
    if (options.threads && roots.size() >= 2 && total >= options.twoThreadsFrom) {
        // The later roots take at most half the texts, and at least one root.
        size_t laterBytes = 0;
        do {
            laterBytes += RootBytes(roots[--split]);
        } while (split > 1 && laterBytes + RootBytes(roots[split - 1]) <= total / 2);
        try {
            later = std::make_unique<Writer>(w.Table());
            later->bytes.reserve(laterBytes + 64 * (roots.size() - split));
            Writer* const second = later.get();
            worker = options.threads->Start([second, &roots, split] {
                try {
                    for (size_t i = split; i < roots.size() && !second->failed; ++i) WriteRoot(*second, roots[i]);
                } catch (...) {
                    second->failed = true;  // out of memory: the first thread writes them
                }
            });
        } catch (...) {
            later.reset();
            split = roots.size();
        }
    }
    // However this ends, the second thread is joined first.
    struct Join {
        std::thread& worker;
        ~Join() {
            if (worker.joinable()) worker.join();
        }
    } join{worker};
    for (size_t i = 0; i < split; ++i) WriteRoot(w, roots[i]);
    if (worker.joinable()) worker.join();
    if (later && !later->failed) {
        w.bytes += later->bytes;
        return roots.size() - split;
    }
    for (size_t i = split; i < roots.size(); ++i) WriteRoot(w, roots[i]);
    return 0;
}

}  // namespace

std::string EncodeState(const StateRecord& rec, TextCodec& codec, const EncodeOptions& options) {
    Writer w(codec);
    w.bytes.reserve(SizeHint(rec));
    w.Text(rec.Version);
    WriteSettings(w, rec.Settings);

    const TrackLibrary& lib = rec.Library;
    if (w.ArrayHeader(lib.LibraryRoots.hasStorage, lib.LibraryRoots.size())) {
        const size_t taken = WriteRoots(w, lib.LibraryRoots.items, options);
        if (options.rootsFromSecondThread) *options.rootsFromSecondThread = taken;
    }
    w.Int16(lib.RootCount);
    w.Int32(lib.RegisteredFileCount);
    w.Int32(lib.TagsReadCount);

    w.Array(rec.PlayList, [&](const SearchHit& h) { WriteHit(w, h); });
    w.Int16(rec.PlayCount);

    w.Array(rec.Search.SearchHits, [&](const SearchHit& h) { WriteHit(w, h); });
    w.Int16(rec.Search.SearchHitCount);
    w.Array(rec.Search.SearchWords, [&](const std::string& s) { w.Text(s); });
    w.Int16(rec.Search.SearchWordCount);
    return std::move(w.bytes);
}

namespace {

// Reads one record with `r` from its start; `second`, when given, is a
// second reader already started on the later half.
bool Decode(Reader& r, StateRecord& rec, const DecodeOptions& options, SecondReader* second) {
    rec = StateRecord{};
    rec.Version = r.Text();
    ReadSettings(r, rec.Settings);

    TrackLibrary& lib = rec.Library;
    lib.LibraryRoots.Clear();
    if (size_t count = 0; r.ArrayHeader(kMinRoot, count)) {
        lib.LibraryRoots.Resize(count);
        const size_t taken =
            ReadRoots(r, lib.LibraryRoots.items, second, options.threads, options.twoThreadsFrom);
        if (options.rootsFromSecondThread) *options.rootsFromSecondThread = taken;
    }
    lib.RootCount = r.Int16();
    lib.RegisteredFileCount = r.Int32();
    lib.TagsReadCount = r.Int32();

    r.Array(rec.PlayList, kMinHit, [&](SearchHit& h) { ReadHit(r, h); });
    rec.PlayCount = r.Int16();

    r.Array(rec.Search.SearchHits, kMinHit, [&](SearchHit& h) { ReadHit(r, h); });
    rec.Search.SearchHitCount = r.Int16();
    r.Array(rec.Search.SearchWords, kMinText, [&](std::string& s) { s = r.Text(); });
    rec.Search.SearchWordCount = r.Int16();

    return r.ok && Consistent(rec);
}

// Reads a large file on two threads from the start: while this thread
// reads the first half and decodes it, the second reads the other half
// and the roots in it. Empty when the file is better read the usual way
// (small, or it could not be read like this), which then decides.
std::optional<bool> LoadOnTwoThreads(FileSystem& fs, TextCodec& codec, const std::string& path,
                                     StateRecord& record, const DecodeOptions& options) {
    const std::unique_ptr<ByteSource> file = fs.OpenRead(path);
    if (!file) return std::nullopt;
    const uint64_t size = file->Size();
    if (size < options.twoThreadsFrom || size < 2 || size > std::numeric_limits<size_t>::max() / 2)
        return std::nullopt;
    // Every byte is read into place, so the room need not be cleared first.
    const auto room = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(size));
    const std::string_view bytes(room.get(), static_cast<size_t>(size));
    const size_t half = bytes.size() / 2;
    SecondReader second(bytes, half, codec.Table(), file.get());
    second.Start(*options.threads);
    if (!file->ReadExactly(0, room.get(), half)) return std::nullopt;
    Reader r(bytes.substr(0, half), codec.Table(), &codec, 0, &second);
    const bool ok = Decode(r, record, options, &second);
    std::string_view whole;
    if (!ok && !second.Wait(whole)) return std::nullopt;  // the file changed or failed under us
    return ok;
}

}  // namespace

bool DecodeState(const std::string& bytes, StateRecord& rec, TextCodec& codec, const DecodeOptions& options) {
    Reader r(bytes, codec.Table(), &codec);
    return Decode(r, rec, options, nullptr);
}

std::string DataFilePath(const std::string& programFolder) {
    return programFolder + "\\" + kDataFileName;
}

bool LoadState(FileSystem& fs, TextCodec& codec, const std::string& path, StateRecord& record,
               const DecodeOptions& options) {
    if (!fs.FileExists(path)) return false;
    if (options.threads) {
        const std::optional<bool> loaded = LoadOnTwoThreads(fs, codec, path, record, options);
        if (loaded) return *loaded;
    }
    std::string bytes;
    if (!fs.ReadWholeFile(path, bytes)) return false;
    return DecodeState(bytes, record, codec, options);
}

bool WriteStateFile(FileSystem& fs, TextCodec& codec, const std::string& path,
                    const StateRecord& record, const EncodeOptions& options) {
    const std::string temp = path + ".tmp";
    if (fs.WriteNewFile(temp, EncodeState(record, codec, options)) && fs.ReplaceFile(temp, path))
        return true;
    fs.DeleteFile(temp);  // the old file is untouched; leave no half-written copy
    return false;
}

}  // namespace tw
