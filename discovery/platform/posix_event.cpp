// Auto-reset events on eventfd: a set adds to the counter, and the one read
// that consumes the signal resets it, so any number of sets before a wait
// release exactly one waiter, as an auto-reset event does.
#include <sys/eventfd.h>
#include <unistd.h>

#include "discovery/platform/event.h"

namespace kovr::platform {

SystemError OpenEventObject(Waitable *object)
{
    *object = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return *object >= 0 ? kNoError : LastSystemError();
}

void Event::Set()
{
    const uint64_t one = 1;
    // Only fails when the counter is saturated, which still reads as set.
    [[maybe_unused]] const ssize_t written = write(native_, &one, sizeof one);
}

} // namespace kovr::platform
