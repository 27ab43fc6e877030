// The event through which an asynchronous search says that results are
// queued (the library's event on POSIX, an auto-reset Win32 event on
// Windows), and the wait for it together with an interrupt.
#pragma once

#include "tools/kovr/interrupt_pipe.h"

#include <kovr/kovr.h>

#include <chrono>
#include <optional>

namespace kovr::cli {

class NotificationEvent {
public:
    enum class Wake { Set, Interrupted, TimedOut };

    NotificationEvent();
    ~NotificationEvent();
    NotificationEvent(const NotificationEvent &) = delete;
    NotificationEvent &operator=(const NotificationEvent &) = delete;

    // False when the event could not be made.
    bool valid() const;
    KOVR_EVENT handle() const { return event_; }

    // Waits up to timeout (none: without end) until the event is set, which
    // the wait consumes, or the interrupt comes; an interrupt wins over the
    // event. It may time out early, so callers look at the clock. A wait that
    // fails reports Interrupted: nothing can be waited for any more.
    Wake Wait(const InterruptPipe &interrupt, std::optional<std::chrono::milliseconds> timeout);

private:
    KOVR_EVENT event_ = nullptr;
};

} // namespace kovr::cli
