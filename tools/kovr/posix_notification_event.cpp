#include "tools/kovr/notification_event.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <poll.h>

namespace kovr::cli {

NotificationEvent::NotificationEvent() : event_(KOVRCreateEvent()) {}

NotificationEvent::~NotificationEvent()
{
    if (event_ != nullptr) {
        KOVRCloseEvent(event_);
    }
}

bool NotificationEvent::valid() const
{
    return event_ != nullptr && KOVREventFd(event_) >= 0;
}

NotificationEvent::Wake NotificationEvent::Wait(const InterruptPipe &interrupt,
                                                std::optional<std::chrono::milliseconds> timeout)
{
    const int timeoutMs =
        timeout ? static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(timeout->count(), 0, INT_MAX)) : -1;
    struct pollfd fds[2] = {{KOVREventFd(event_), POLLIN, 0}, {interrupt.handle(), POLLIN, 0}};
    const int ready = poll(fds, 2, timeoutMs);
    if (ready > 0 && fds[1].revents != 0) {
        return Wake::Interrupted;
    }
    if (ready > 0 && fds[0].revents != 0) {
        // The event is auto-reset: consuming it re-arms it for the next pass.
        KOVRWaitEvent(event_, 0);
        return Wake::Set;
    }
    if (ready < 0 && errno != EINTR) {
        return Wake::Interrupted;
    }
    return Wake::TimedOut;
}

} // namespace kovr::cli
