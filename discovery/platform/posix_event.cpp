// Auto-reset events on eventfd: a set adds to the counter, and the one read
// that consumes the signal resets it, so any number of sets before a wait
// release exactly one waiter, as an auto-reset event does.
#include "discovery/platform/event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <new>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/poll_wait.h"

namespace kovr::platform {

std::unique_ptr<Event> Event::Create()
{
    if (ShouldFail(Fault::EventCreate)) {
        return nullptr;
    }
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    std::unique_ptr<Event> event(new (std::nothrow) Event(fd));
    if (event == nullptr) {
        close(fd); // untestable: out of memory
    }
    return event;
}

Event::~Event()
{
    close(native_);
}

void Event::Set()
{
    const uint64_t one = 1;
    // Only fails when the counter is saturated, which still reads as set.
    [[maybe_unused]] const ssize_t written = write(native_, &one, sizeof one);
}

int32_t Event::Wait(uint32_t timeoutMs)
{
    return WaitAndConsume(native_, timeoutMs);
}

} // namespace kovr::platform
