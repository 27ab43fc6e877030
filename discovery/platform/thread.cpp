#include "discovery/platform/thread.h"

#include <new>

#include "discovery/platform/fault_injection.h"

namespace kovr::platform {

std::unique_ptr<Thread> Thread::Start(std::function<void()> routine)
{
    if (ShouldFail(Fault::ThreadCreate)) {
        return nullptr;
    }
    std::unique_ptr<Thread> thread(new (std::nothrow) Thread);
    std::unique_ptr<std::function<void()>> owned(new (std::nothrow) std::function<void()>(std::move(routine)));
    if (thread == nullptr || owned == nullptr) {
        return nullptr; // untestable: out of memory
    }
    if (!thread->Launch(owned.get())) {
        return nullptr; // untestable: the system is out of threads
    }
    owned.release();
    return thread;
}

} // namespace kovr::platform
