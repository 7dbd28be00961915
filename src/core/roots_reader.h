#pragma once
// The library's roots out of the data file: nearly all of its bytes.
#include <cstddef>
#include <vector>

#include "core/state_record.h"

namespace tw {
class Threads;
}

namespace tw::dat {

class Reader;

// Reads `roots.size()` roots, those the roots' array header announced,
// and leaves `r` after the last one (or failed, at the first that is
// damaged). When `threads` are given and `twoThreadsFrom` bytes or more are
// left to read, a second thread reads the later half: it looks for where a
// root begins near the middle and reads on from there, and its roots are
// taken only when this thread, reading from the start, arrives exactly
// where they begin. The outcome is always what one thread alone reads.
// Gives back how many roots were taken from the second thread.
size_t ReadRoots(Reader& r, std::vector<RootEntry>& roots, Threads* threads, size_t twoThreadsFrom);

}  // namespace tw::dat
