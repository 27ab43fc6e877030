// Worker threads on the C runtime's _beginthreadex, so that the runtime's
// per-thread state is set up and released with the thread.
#include <process.h>
#include <windows.h>

#include <new>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/thread.h"

namespace kovr::platform {

struct Thread::Native {
    HANDLE handle;
    unsigned id;
};

namespace {

unsigned __stdcall RunRoutine(void *argument)
{
    std::unique_ptr<std::function<void()>> routine(static_cast<std::function<void()> *>(argument));
    (*routine)();
    return 0;
}

} // namespace

Thread::Thread(std::unique_ptr<Native> native) : native_(std::move(native)) {}

std::unique_ptr<Thread> Thread::Start(std::function<void()> routine)
{
    if (ShouldFail(Fault::ThreadCreate)) {
        return nullptr;
    }
    std::unique_ptr<Native> native(new (std::nothrow) Native{});
    std::unique_ptr<Thread> thread(native == nullptr ? nullptr : new (std::nothrow) Thread(std::move(native)));
    std::unique_ptr<std::function<void()>> owned(new (std::nothrow) std::function<void()>(std::move(routine)));
    if (thread == nullptr || owned == nullptr) {
        return nullptr; // untestable: out of memory
    }
    const uintptr_t handle = _beginthreadex(nullptr, 0, RunRoutine, owned.get(), 0, &thread->native_->id);
    if (handle == 0) {
        // Nothing to join: the Thread is released without its destructor's wait.
        thread->native_.reset();
        return nullptr; // untestable: the system is out of threads
    }
    thread->native_->handle = reinterpret_cast<HANDLE>(handle);
    owned.release();
    return thread;
}

Thread::~Thread()
{
    if (native_ == nullptr) {
        return;
    }
    // A thread that releases itself can't wait for its own end; closing the
    // handle lets it end on its own.
    if (native_->id != GetCurrentThreadId()) {
        WaitForSingleObject(native_->handle, INFINITE);
    }
    CloseHandle(native_->handle);
}

} // namespace kovr::platform
