// Auto-reset events on eventfd: a set adds to the counter, and the one read
// that consumes the signal resets it, so any number of sets before a wait
// release exactly one waiter, as an auto-reset event does.
#include "event.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <new>
#include <unordered_set>

#include "fault_injection.h"
#include "poll_wait.h"

struct KOVREventObject {
    int fd;
};

namespace kovr::platform {

namespace {

// The live events. Membership is tested by pointer value alone, so a foreign
// or closed pointer is refused without being read through.
std::mutex &RegistryLock()
{
    static std::mutex lock;
    return lock;
}

std::unordered_set<const KOVREventObject *> &Registry()
{
    static std::unordered_set<const KOVREventObject *> events;
    return events;
}

// A private duplicate of a live event's descriptor, or -1. Waiting on the
// duplicate keeps a wait safe even if the event is closed meanwhile and its
// descriptor number reused.
int DuplicateFd(KOVR_EVENT event)
{
    std::lock_guard<std::mutex> guard(RegistryLock());
    if (Registry().count(event) == 0) {
        return -1;
    }
    return fcntl(event->fd, F_DUPFD_CLOEXEC, 0);
}

} // namespace

KOVR_EVENT CreateAutoResetEvent()
{
    if (ShouldFail(Fault::EventCreate)) {
        return nullptr;
    }
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    auto *event = new (std::nothrow) KOVREventObject{fd};
    if (event == nullptr) {
        close(fd);      // untestable: out of memory
        return nullptr; // untestable: out of memory
    }
    try {
        std::lock_guard<std::mutex> guard(RegistryLock());
        Registry().insert(event);
    } catch (const std::bad_alloc &) {
        close(fd);      // untestable: out of memory
        delete event;   // untestable: out of memory
        return nullptr; // untestable: out of memory
    }
    return event;
}

void CloseEvent(KOVR_EVENT event)
{
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        if (Registry().erase(event) == 0) {
            return;
        }
    }
    close(event->fd);
    delete event;
}

bool IsLiveEvent(KOVR_EVENT event)
{
    std::lock_guard<std::mutex> guard(RegistryLock());
    return Registry().count(event) != 0;
}

void SetEvent(KOVR_EVENT event)
{
    std::lock_guard<std::mutex> guard(RegistryLock());
    if (Registry().count(event) == 0) {
        return;
    }
    const uint64_t one = 1;
    // Only fails when the counter is saturated, which still reads as set.
    [[maybe_unused]] const ssize_t written = write(event->fd, &one, sizeof one);
}

int32_t WaitEvent(KOVR_EVENT event, uint32_t timeoutMs)
{
    const int fd = DuplicateFd(event);
    if (fd < 0) {
        return -1;
    }
    const int32_t result = WaitAndConsume(fd, timeoutMs);
    close(fd);
    return result;
}

int EventFd(KOVR_EVENT event)
{
    std::lock_guard<std::mutex> guard(RegistryLock());
    return Registry().count(event) != 0 ? event->fd : -1;
}

} // namespace kovr::platform
