#pragma once
#include <cstdint>

namespace tw {

// Millisecond tick counter of the system. It wraps after 2^32 ms (about
// 49.7 days); callers compare ticks only through ElapsedMs().
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t GetTickCount() = 0;
};

// Milliseconds from `since` to `now`, correct across one wrap of the counter.
inline uint32_t ElapsedMs(uint32_t now, uint32_t since) { return now - since; }

}  // namespace tw
