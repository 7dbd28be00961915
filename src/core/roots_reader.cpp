#include "core/roots_reader.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

#include "core/data_reader.h"
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

constexpr size_t kNowhere = std::numeric_limits<size_t>::max();
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
size_t NextRootStart(const std::string& bytes, size_t from, const std::atomic<bool>& stop) {
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

// What the second thread shares with the first.
struct Aside {
    Aside(const std::string& b, const CodePageTable& t, size_t f) : bytes(b), table(t), from(f) {}
    const std::string& bytes;
    const CodePageTable& table;
    const size_t from;  // where to start looking
    // Where its first root begins, once that root has been read whole.
    std::atomic<size_t> start{kNowhere};
    // How many roots are wanted, once the first thread knows.
    std::atomic<size_t> limit{kNowhere};
    std::atomic<bool> stop{false};
    // Its roots and where each ends; the first thread reads them only
    // after joining.
    struct Read {
        RootEntry root;
        size_t end = 0;
    };
    std::vector<Read> read;
};

// The second thread: finds a root near the middle and reads on from there
// until the roots end (the first root that fails to read), it has enough,
// or it is told to stop. A candidate that does not read as a whole root
// is passed over.
void ReadAside(Aside& a) {
    try {
        Numbers numbers;
        size_t from = a.from;
        while (!a.stop.load(std::memory_order_relaxed)) {
            const size_t at = NextRootStart(a.bytes, from, a.stop);
            if (at == kNowhere) return;
            Reader r(a.bytes, a.table, nullptr, at);
            RootEntry root;
            ReadRoot(r, root, numbers);
            if (!r.ok) {
                from = at + 1;
                continue;
            }
            a.read.push_back({std::move(root), r.Pos()});
            a.start.store(at, std::memory_order_release);
            while (!a.stop.load(std::memory_order_relaxed) && a.read.size() < a.limit.load(std::memory_order_acquire)) {
                RootEntry next;
                ReadRoot(r, next, numbers);
                if (!r.ok) return;
                a.read.push_back({std::move(next), r.Pos()});
            }
            return;
        }
    } catch (...) {
        // Out of memory here: the first thread reads these roots itself.
    }
}

}  // namespace

size_t ReadRoots(Reader& r, std::vector<RootEntry>& roots, Threads* threads, size_t twoThreadsFrom) {
    const size_t left = r.Bytes().size() - r.Pos();
    std::unique_ptr<Aside> aside;
    std::thread worker;
    if (threads && roots.size() >= 2 && left >= twoThreadsFrom) {
        aside = std::make_unique<Aside>(r.Bytes(), r.Table(), r.Pos() + left / 2);
        try {
            Aside* a = aside.get();
            worker = threads->Start([a] { ReadAside(*a); });
        } catch (...) {
            aside.reset();  // no thread to be had: one is enough
        }
    }
    // However this ends, the second thread is stopped and joined first.
    struct Join {
        Aside* aside;
        std::thread& worker;
        ~Join() {
            if (aside) aside->stop.store(true, std::memory_order_relaxed);
            if (worker.joinable()) worker.join();
        }
    } join{aside.get(), worker};

    Numbers numbers;
    size_t taken = 0;
    bool watching = aside != nullptr;
    for (size_t i = 0; i < roots.size(); ++i) {
        if (watching) {
            const size_t at = aside->start.load(std::memory_order_acquire);
            if (at != kNowhere && r.Pos() >= at) {
                watching = false;
                if (r.Pos() == at) {
                    // Its first root is this one: take what it read.
                    aside->limit.store(roots.size() - i, std::memory_order_release);
                    if (worker.joinable()) worker.join();
                    const size_t n = std::min(aside->read.size(), roots.size() - i);
                    for (size_t k = 0; k < n; ++k) roots[i + k] = std::move(aside->read[k].root);
                    r.Seek(aside->read[n - 1].end);
                    taken = n;
                    i += n - 1;
                    continue;
                }
                // It took a place inside a root for the start of one.
                aside->stop.store(true, std::memory_order_relaxed);
            }
        }
        ReadRoot(r, roots[i], numbers);
        if (!r.ok) return taken;
    }
    return taken;
}

}  // namespace tw::dat
