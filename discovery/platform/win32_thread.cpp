// Worker threads on the C runtime's _beginthreadex, so that the runtime's
// per-thread state is set up and released with the thread.
#include <process.h>
#include <windows.h>

#include <new>

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

// Here, where Native is complete: the constructor may have to destroy it.
Thread::Thread() = default;

bool Thread::Launch(std::function<void()> *routine)
{
    std::unique_ptr<Native> native(new (std::nothrow) Native{});
    if (native == nullptr) {
        return false;
    }
    const uintptr_t handle = _beginthreadex(nullptr, 0, RunRoutine, routine, 0, &native->id);
    if (handle == 0) {
        return false;
    }
    native->handle = reinterpret_cast<HANDLE>(handle);
    native_ = std::move(native);
    return true;
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
