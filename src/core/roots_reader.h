#pragma once
// The library's roots out of the data file: nearly all of its bytes.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <limits>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "core/data_reader.h"
#include "model/state_record.h"

namespace tw {
class ByteSource;
class Threads;
}  // namespace tw

namespace tw::dat {

// A second thread that reads the later half of the roots: it looks for
// where a root begins at or after `from` and reads on from there. Its
// roots are taken only when the first thread, reading from the start,
// arrives exactly where they begin, so the outcome is always what one
// thread alone reads. Given a file, the second thread first reads the
// file's bytes from `from` to its end into place, unless the first needs
// them before it has begun and reads them itself; either way the first
// waits for them through LaterBytes. Stopped and joined when destroyed.
class SecondReader final : public LaterBytes {
public:
    static constexpr size_t kNowhere = std::numeric_limits<size_t>::max();

    // `bytes` are the whole file's, or the room for them when `file` is
    // given; they must outlive this reader.
    SecondReader(std::string_view bytes, size_t from, const CodePageTable& table, ByteSource* file = nullptr);
    ~SecondReader() override { Finish(); }
    SecondReader(const SecondReader&) = delete;
    SecondReader& operator=(const SecondReader&) = delete;

    // False when no thread can be had: the first thread then reads all,
    // the rest of the file included.
    bool Start(Threads& threads);
    // Tells the thread to stop and waits for it.
    void Finish();
    // Waits for the thread to end by itself (it has read `limit` roots, or
    // all it could).
    void Join();
    bool Wait(std::string_view& whole) override;

    // Shared with the first thread (ReadRoots).
    // Where its first root begins, once that root has been read whole.
    std::atomic<size_t> start{kNowhere};
    // How many roots are wanted, once the first thread knows.
    std::atomic<size_t> limit{kNowhere};
    std::atomic<bool> stop{false};
    // Its roots and where each ends; read by the first thread only after
    // Finish.
    struct Read {
        RootEntry root;
        size_t end = 0;
    };
    std::vector<Read> read;

private:
    enum Rest { kThere, kUnclaimed, kReading, kIn, kUnreadable };
    void Run();
    // Reads the rest of the file unless the other thread has begun to;
    // false when it has, or when the rest could not be read.
    bool ReadRest();
    void ReadAside();

    const std::string_view bytes_;
    const size_t from_;
    const CodePageTable& table_;
    ByteSource* const file_;
    std::thread worker_;
    std::mutex m_;
    std::condition_variable restDone_;
    Rest rest_;  // under m_
};

// Reads `roots.size()` roots, those the roots' array header announced,
// and leaves `r` after the last one (or failed, at the first that is
// damaged). The roots' later half comes from `second` when it is given;
// otherwise, when `threads` are given and `twoThreadsFrom` bytes or more
// are left to read, from a second reader started here. Gives back how many
// roots were taken from the second thread.
size_t ReadRoots(Reader& r, std::vector<RootEntry>& roots, SecondReader* second, Threads* threads,
                 size_t twoThreadsFrom);

}  // namespace tw::dat
