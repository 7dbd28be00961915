#pragma once
#include <functional>
#include <thread>

namespace tw {

// Starts helper threads for work that pays only when it runs beside the
// caller (reading a large data file in two halves).
class Threads {
public:
    virtual ~Threads() = default;
    // Runs `work` on a new thread, on another processor than the caller's
    // where the system would otherwise keep both on one. Throws what
    // std::thread throws when no thread can be had.
    virtual std::thread Start(std::function<void()> work) = 0;
};

}  // namespace tw
