#include "tools/kovr/notification_event.h"

#include <algorithm>

#include <windows.h>

namespace kovr::cli {

NotificationEvent::NotificationEvent() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

NotificationEvent::~NotificationEvent()
{
    if (event_ != nullptr) {
        CloseHandle(event_);
    }
}

bool NotificationEvent::valid() const
{
    return event_ != nullptr;
}

NotificationEvent::Wake NotificationEvent::Wait(const InterruptPipe &interrupt,
                                                std::optional<std::chrono::milliseconds> timeout)
{
    // INFINITE itself is the one value that doesn't time out.
    const DWORD timeoutMs =
        timeout ? static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(timeout->count(), 0, INFINITE - 1))
                : INFINITE;
    // The first handle wins when both are set; without an interrupt event
    // only the search's event is watched.
    const HANDLE handles[2] = {interrupt.handle(), event_};
    const DWORD first = interrupt.valid() ? 0 : 1;
    const DWORD result = WaitForMultipleObjects(2 - first, handles + first, FALSE, timeoutMs);
    if (result == WAIT_TIMEOUT) {
        return Wake::TimedOut;
    }
    if (result == WAIT_OBJECT_0 + 1 - first) {
        // Auto-reset: the wait itself re-armed the event for the next pass.
        return Wake::Set;
    }
    return Wake::Interrupted;
}

} // namespace kovr::cli
