#include "platform/posix/posix_threads.h"

#include <pthread.h>
#include <sched.h>

namespace tw {

std::thread PosixThreads::Start(std::function<void()> work) {
    const int here = sched_getcpu();
    std::thread t(std::move(work));
    // Linux may start the new thread on the caller's processor and leave it
    // queued there while the caller keeps busy (kernels that pack threads
    // onto few virtual processors do so on purpose), so the two halves would
    // run one after the other. Any processor of ours but this one will do.
    cpu_set_t allowed;
    if (here >= 0 && sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_ISSET(here, &allowed) &&
        CPU_COUNT(&allowed) > 1) {
        CPU_CLR(here, &allowed);
        pthread_setaffinity_np(t.native_handle(), sizeof allowed, &allowed);
    }
    return t;
}

}  // namespace tw
