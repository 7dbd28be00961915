#pragma once
#include "platform/threads.h"

namespace tw {

class PosixThreads : public Threads {
public:
    std::thread Start(std::function<void()> work) override;
};

}  // namespace tw
