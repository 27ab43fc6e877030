#include <pthread.h>

#include <new>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/thread.h"

namespace kovr::platform {

struct Thread::Native {
    pthread_t id;
};

namespace {

// The routine is called straight, with no virtual call on the way: the
// sanitizers' check of a virtual call needs a descriptor, and a worker must
// start even when the process has none left.
void *RunRoutine(void *argument)
{
    std::unique_ptr<std::function<void()>> routine(static_cast<std::function<void()> *>(argument));
    (*routine)();
    return nullptr;
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
    if (pthread_create(&thread->native_->id, nullptr, RunRoutine, owned.get()) != 0) {
        // Nothing to join: the Thread is released without its destructor's join.
        thread->native_.reset();
        return nullptr; // untestable: the system is out of threads
    }
    owned.release();
    return thread;
}

Thread::~Thread()
{
    if (native_ == nullptr) {
        return;
    }
    if (pthread_equal(native_->id, pthread_self())) {
        pthread_detach(native_->id);
    } else {
        pthread_join(native_->id, nullptr);
    }
}

} // namespace kovr::platform
