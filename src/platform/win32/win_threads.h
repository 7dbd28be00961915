#pragma once
#include "platform/threads.h"

namespace tw {

// Windows starts a new thread on an idle processor of its own accord.
class WinThreads : public Threads {
public:
    std::thread Start(std::function<void()> work) override { return std::thread(std::move(work)); }
};

}  // namespace tw
