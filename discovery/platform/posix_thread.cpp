#include <pthread.h>

#include <new>

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

// Here, where Native is complete: the constructor may have to destroy it.
Thread::Thread() = default;

bool Thread::Launch(std::function<void()> *routine)
{
    std::unique_ptr<Native> native(new (std::nothrow) Native{});
    if (native == nullptr || pthread_create(&native->id, nullptr, RunRoutine, routine) != 0) {
        return false;
    }
    native_ = std::move(native);
    return true;
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
