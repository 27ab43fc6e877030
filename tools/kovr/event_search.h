// The search of kovr watch: a repeated search whose requests all notify one
// event, waited for together with an interrupt and a redraw tick. Every
// search is stopped, and the event closed, on every path.
#pragma once

#include "tools/kovr/interrupt_pipe.h"
#include "tools/kovr/notification_event.h"
#include "tools/kovr/session.h"

#include "common/repeated_search.h"

#include <kovr/kovr.h>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace kovr::cli {

class EventSearch {
public:
    using Clock = common::RepeatedSearch::Clock;
    using Records = std::vector<KOVRDeviceInfoRecord>;

    EventSearch(const Session &session, const common::SearchPlan &plan, common::Merge merge);
    EventSearch(const EventSearch &) = delete;
    EventSearch &operator=(const EventSearch &) = delete;

    // False when the event can't be made or the library refuses the search.
    bool Start();
    // Waits in turn until the search's limits end it or the interrupt
    // comes: new replies go to onResults, each tick to onTick. The tick is
    // asked for again before every wait (none: no tick).
    void RunUntilDone(const InterruptPipe &interrupt, const std::function<std::optional<Clock::time_point>()> &tick,
                      const std::function<void(const Records &)> &onResults, const std::function<void()> &onTick);
    // Ends the searches; returns the replies that came in meanwhile.
    Records Stop();

private:
    NotificationEvent event_;
    // After the event: its searches set the event until they stop.
    common::RepeatedSearch search_;
};

} // namespace kovr::cli
