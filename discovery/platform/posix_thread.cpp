#include "discovery/platform/thread.h"

#include <new>
#include <system_error>

#include "discovery/platform/fault_injection.h"

namespace kovr::platform {

std::unique_ptr<Thread> Thread::Start(std::function<void()> routine)
{
    if (ShouldFail(Fault::ThreadCreate)) {
        return nullptr;
    }
    try {
        return std::unique_ptr<Thread>(new Thread(std::thread(std::move(routine))));
    } catch (const std::system_error &) { // untestable: the system is out of threads
        return nullptr;                   // untestable: the system is out of threads
    } catch (const std::bad_alloc &) {    // untestable: out of memory
        return nullptr;                   // untestable: out of memory
    }
}

} // namespace kovr::platform
