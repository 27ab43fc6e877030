#include "tools/kovr/event_search.h"

#include "common/library_calls.h"

#include <algorithm>

namespace kovr::cli {

EventSearch::EventSearch(const Session &session, const common::SearchPlan &plan, common::Merge merge)
    : search_(common::LibrarySearchCalls([choice = session.choice()] { return OpenSession(choice); }), session.handle(),
              plan, merge)
{}

bool EventSearch::Start()
{
    if (!event_.valid()) {
        return false;
    }
    return search_.Start([this](KOVR_HANDLE session) { return KOVRStartAsyncSearchEvent(session, event_.handle()); });
}

void EventSearch::RunUntilDone(const InterruptPipe &interrupt,
                               const std::function<std::optional<Clock::time_point>()> &tick,
                               const std::function<void(const Records &)> &onResults,
                               const std::function<void()> &onTick)
{
    while (!search_.Finished()) {
        const std::optional<Clock::time_point> nextTick = tick();
        std::optional<Clock::time_point> until = search_.NextWake();
        common::Earliest(until, nextTick);
        std::optional<std::chrono::milliseconds> timeout;
        if (until) {
            timeout = std::max(std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()),
                               std::chrono::milliseconds(0));
        }
        if (event_.Wait(interrupt, timeout) == NotificationEvent::Wake::Interrupted) {
            return;
        }
        // A wait may end early, or for a request that is due: the search
        // takes what there is either way.
        const Records fresh = search_.Step();
        if (!fresh.empty()) {
            onResults(fresh);
        }
        if (nextTick && Clock::now() >= *nextTick) {
            onTick();
        }
    }
}

EventSearch::Records EventSearch::Stop()
{
    return search_.Stop();
}

} // namespace kovr::cli
