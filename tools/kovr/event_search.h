// An asynchronous search in event mode, waited for together with an
// interrupt, a deadline and a redraw tick. The search is stopped, and the
// event closed, on every path.
#pragma once

#include "tools/kovr/interrupt_pipe.h"
#include "tools/kovr/notification_event.h"

#include <kovr/kovr.h>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace kovr::cli {

class EventSearch {
public:
    using Clock = std::chrono::steady_clock;
    enum class Wake { Results, Interrupted, Deadline, Tick };

    explicit EventSearch(KOVR_HANDLE session);
    ~EventSearch();
    EventSearch(const EventSearch &) = delete;
    EventSearch &operator=(const EventSearch &) = delete;

    // False when the event can't be made or the library refuses the search.
    bool Start();
    // Ends the search and waits for its worker; results stay queued.
    void Stop();
    // Waits until results are queued, the interrupt comes, the deadline
    // passes or the tick comes; none means no such time.
    Wake Wait(const InterruptPipe &interrupt, std::optional<Clock::time_point> deadline,
              std::optional<Clock::time_point> tick);
    std::vector<KOVRDeviceInfoRecord> Take();

    using TimeSource = std::function<std::optional<Clock::time_point>()>;
    // Waits in turn until the deadline passes or the interrupt comes:
    // each notification runs onResults, each tick onTick. Both times are
    // asked for again before every wait, since they may move.
    void RunUntilDone(const InterruptPipe &interrupt, const TimeSource &deadline, const TimeSource &tick,
                      const std::function<void()> &onResults, const std::function<void()> &onTick);

private:
    KOVR_HANDLE session_;
    NotificationEvent event_;
    bool running_ = false;
};

} // namespace kovr::cli
