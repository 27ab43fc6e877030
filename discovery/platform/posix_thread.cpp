#include "platform/thread.h"

#include <pthread.h>

#include <new>

#include "platform/fault_injection.h"

namespace kovr::platform {

struct Thread {
    pthread_t id;
    ThreadRoutine routine;
    void *argument;
};

static void *RunThread(void *thread)
{
    auto *self = static_cast<Thread *>(thread);
    self->routine(self->argument);
    return nullptr;
}

Thread *StartThread(ThreadRoutine routine, void *argument)
{
    if (routine == nullptr || ShouldFail(Fault::ThreadCreate)) {
        return nullptr;
    }
    auto *thread = new (std::nothrow) Thread{pthread_t{}, routine, argument};
    if (thread == nullptr) {
        return nullptr; // untestable: out of memory
    }
    if (pthread_create(&thread->id, nullptr, RunThread, thread) != 0) {
        delete thread;  // untestable: the system is out of threads or memory
        return nullptr; // untestable: the system is out of threads or memory
    }
    return thread;
}

void JoinThread(Thread *thread)
{
    if (thread == nullptr) {
        return;
    }
    pthread_join(thread->id, nullptr);
    delete thread;
}

} // namespace kovr::platform
