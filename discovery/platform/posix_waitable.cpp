#include "discovery/platform/waitable.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

namespace kovr::platform {

namespace {

using Clock = std::chrono::steady_clock;

// poll() takes an int; longer finite waits are made of several slices.
int SliceUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
        return 0;
    }
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

} // namespace

void CloseWaitable(Waitable object)
{
    close(object);
}

// Waits until the descriptor is readable, then consumes its counter with one read.
int32_t WaitAndConsume(Waitable fd, uint32_t timeoutMs)
{
    const bool forever = timeoutMs == kWaitForever;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int slice = forever ? -1 : SliceUntil(deadline);
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, slice);
        if (ready < 0 && errno != EINTR) {
            return -1;
        }
        if (ready > 0) {
            if ((entry.revents & (POLLERR | POLLNVAL)) != 0) {
                return -1;
            }
            uint64_t counter = 0;
            if (read(fd, &counter, sizeof counter) == static_cast<ssize_t>(sizeof counter)) {
                return 0;
            }
            if (errno != EAGAIN && errno != EINTR) { // untestable: a readable eventfd's read does not fail
                return -1;                           // untestable: a readable eventfd's read does not fail
            }
        }
        if (!forever && slice == 0) {
            return -2;
        }
    }
}

} // namespace kovr::platform
