#include "core/roots_reader.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

#include "core/data_reader.h"
#include "platform/files.h"
#include "platform/threads.h"

namespace tw::dat {

namespace {

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
    r.Blocks<5>(root.Tracks, kMinTrack, numbers.folderIndexes);
    root.TrackCount = r.Int16();
    r.Blocks<2>(root.Folders, kMinFolder, numbers.parents);
    root.FolderCount = r.Int16();
    root.TagsRead = r.Int16();
    // Tracks name their folder, folders their parent (-1 for the root).
    if (!NumbersWithin(numbers.folderIndexes, root.TrackCount, 0, root.FolderCount - 1) ||
        !NumbersWithin(numbers.parents, root.FolderCount, -1, root.FolderCount - 1))
        r.Fail();
}

constexpr size_t kNowhere = SecondReader::kNowhere;
// Root paths longer than this are not looked for (the root is then read
// by the first thread like the others).
constexpr size_t kLongestPath = 4096;

// The first place at or after `from` where a root may begin: a path that
// ends with a backslash, after its byte count, and then the tracks' array
// header: one dimension, 1 to 32,767 tracks, a lower bound of 0. The six
// zero bytes of the header (the count's high half and the lower bound) are
// what is looked for first: texts hold none, so such runs are rare (empty
// texts in a row), and the bytes around them tell those apart. A place
// found here may still lie inside a text; the caller reads a whole root
// from it before believing it, and the first thread checks it in the end.
size_t NextRootStart(std::string_view bytes, size_t from, const std::atomic<bool>& stop) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    // Six zero bytes in a row always hold four that start at an even place.
    for (size_t z = (from + 8) & ~size_t{1}; z + 4 <= size; z += 2) {
        if ((z & 0xFFFF) == 0 && stop.load(std::memory_order_relaxed)) return kNowhere;
        uint32_t w;
        std::memcpy(&w, b + z, 4);
        if (w != 0) continue;
        for (size_t q = z - 6; q <= z - 4; ++q) {
            if (q < from + 3 || q + 10 > size) continue;
            if (b[q] != 1 || b[q + 1] != 0 || (b[q + 2] | b[q + 3]) == 0 || b[q + 3] >= 0x80) continue;
            if ((b[q + 4] | b[q + 5] | b[q + 6] | b[q + 7] | b[q + 8] | b[q + 9]) != 0) continue;
            if (b[q - 1] != '\\') continue;
            for (size_t len = 1; len <= kLongestPath && len + 2 <= q - from; ++len)
                if (static_cast<size_t>(b[q - len - 2] | (b[q - len - 1] << 8)) == len) return q - len - 2;
        }
    }
    return kNowhere;
}

}  // namespace

SecondReader::SecondReader(std::string_view bytes, size_t from, const CodePageTable& table, ByteSource* file)
    : bytes_(bytes), from_(from), table_(table), file_(file), rest_(file ? kUnclaimed : kThere) {}

bool SecondReader::Start(Threads& threads) {
    try {
        worker_ = threads.Start([this] { Run(); });
        return true;
    } catch (...) {
        return false;
    }
}

void SecondReader::Finish() {
    stop.store(true, std::memory_order_relaxed);
    if (worker_.joinable()) worker_.join();
}

void SecondReader::Join() {
    if (worker_.joinable()) worker_.join();
}

void SecondReader::Run() {
    if (file_ && !ReadRest()) return;
    ReadAside();
}

bool SecondReader::ReadRest() {
    {
        std::lock_guard<std::mutex> lock(m_);
        if (rest_ != kUnclaimed) return false;
        rest_ = kReading;
    }
    bool ok = false;
    try {
        // The room is the caller's to fill; only this thread writes there.
        ok = file_->ReadExactly(from_, const_cast<char*>(bytes_.data()) + from_, bytes_.size() - from_);
    } catch (...) {
    }
    {
        std::lock_guard<std::mutex> lock(m_);
        rest_ = ok ? kIn : kUnreadable;
    }
    restDone_.notify_all();
    return ok;
}

bool SecondReader::Wait(std::string_view& whole) {
    whole = bytes_;
    if (!file_) return true;
    // The first thread reads the rest itself when the second has not
    // begun to: waiting for a thread that has yet to run could take long.
    if (ReadRest()) return true;
    std::unique_lock<std::mutex> lock(m_);
    restDone_.wait(lock, [this] { return rest_ == kIn || rest_ == kUnreadable; });
    return rest_ == kIn;
}

// Finds a root near the middle and reads on from there until the roots end
// (the first root that fails to read), it has enough, or it is told to
// stop. A candidate that does not read as a whole root is passed over.
void SecondReader::ReadAside() {
    try {
        Numbers numbers;
        size_t from = from_;
        while (!stop.load(std::memory_order_relaxed)) {
            const size_t at = NextRootStart(bytes_, from, stop);
            if (at == kNowhere) return;
            Reader r(bytes_, table_, nullptr, at);
            RootEntry root;
            ReadRoot(r, root, numbers);
            if (!r.ok) {
                from = at + 1;
                continue;
            }
            read.push_back({std::move(root), r.Pos()});
            start.store(at, std::memory_order_release);
            while (!stop.load(std::memory_order_relaxed) && read.size() < limit.load(std::memory_order_acquire)) {
                RootEntry next;
                ReadRoot(r, next, numbers);
                if (!r.ok) return;
                read.push_back({std::move(next), r.Pos()});
            }
            return;
        }
    } catch (...) {
        // Out of memory here: the first thread reads these roots itself.
    }
}

size_t ReadRoots(Reader& r, std::vector<RootEntry>& roots, SecondReader* second, Threads* threads,
                 size_t twoThreadsFrom) {
    std::unique_ptr<SecondReader> own;
    if (!second && threads && roots.size() >= 2) {
        const size_t left = r.Bytes().size() - r.Pos();
        if (left >= twoThreadsFrom) {
            own = std::make_unique<SecondReader>(r.Bytes(), r.Pos() + left / 2, r.Table());
            if (own->Start(*threads)) second = own.get();
        }
    }
    // However this ends, the second thread is stopped and joined first.
    struct Finish {
        SecondReader* second;
        ~Finish() {
            if (second) second->Finish();
        }
    } finish{second};

    Numbers numbers;
    size_t taken = 0;
    bool watching = second != nullptr;
    for (size_t i = 0; i < roots.size(); ++i) {
        if (watching) {
            const size_t at = second->start.load(std::memory_order_acquire);
            if (at != kNowhere && r.Pos() >= at) {
                watching = false;
                if (r.Pos() == at) {
                    // Its first root is this one: take what it read.
                    second->limit.store(roots.size() - i, std::memory_order_release);
                    second->Join();
                    const size_t n = std::min(second->read.size(), roots.size() - i);
                    for (size_t k = 0; k < n; ++k) roots[i + k] = std::move(second->read[k].root);
                    r.Seek(second->read[n - 1].end);
                    taken = n;
                    i += n - 1;
                    continue;
                }
                // It took a place inside a root for the start of one.
                second->stop.store(true, std::memory_order_relaxed);
            }
        }
        ReadRoot(r, roots[i], numbers);
        if (!r.ok) return taken;
    }
    return taken;
}

}  // namespace tw::dat
