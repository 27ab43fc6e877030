#include "tools/kovr/event_search.h"

#include "tools/kovr/session.h"

#include <algorithm>

namespace kovr::cli {

EventSearch::EventSearch(KOVR_HANDLE session) : session_(session) {}

EventSearch::~EventSearch()
{
    // The worker sets the event, so it must be gone before the event is.
    Stop();
}

bool EventSearch::Start()
{
    if (!event_.valid()) {
        return false;
    }
    running_ = KOVRStartAsyncSearchEvent(session_, event_.handle()) == 0;
    return running_;
}

void EventSearch::Stop()
{
    if (running_) {
        KOVRStopSearch(session_);
        running_ = false;
    }
}

EventSearch::Wake EventSearch::Wait(const InterruptPipe &interrupt, std::optional<Clock::time_point> deadline,
                                    std::optional<Clock::time_point> tick)
{
    std::optional<Clock::time_point> until = deadline;
    if (tick && (!until || *tick < *until)) {
        until = tick;
    }
    for (;;) {
        std::optional<std::chrono::milliseconds> timeout;
        if (until) {
            timeout = std::max(std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()),
                               std::chrono::milliseconds(0));
        }
        switch (event_.Wait(interrupt, timeout)) {
        case NotificationEvent::Wake::Set:
            return Wake::Results;
        case NotificationEvent::Wake::Interrupted:
            return Wake::Interrupted;
        case NotificationEvent::Wake::TimedOut:
            break;
        }
        if (deadline && Clock::now() >= *deadline) {
            return Wake::Deadline;
        }
        if (until && Clock::now() >= *until) {
            return Wake::Tick;
        }
    }
}

std::vector<KOVRDeviceInfoRecord> EventSearch::Take()
{
    return TakeResults(session_);
}

void EventSearch::RunUntilDone(const InterruptPipe &interrupt, const TimeSource &deadline, const TimeSource &tick,
                               const std::function<void()> &onResults, const std::function<void()> &onTick)
{
    for (;;) {
        switch (Wait(interrupt, deadline(), tick())) {
        case Wake::Results:
            onResults();
            break;
        case Wake::Tick:
            onTick();
            break;
        case Wake::Deadline:
        case Wake::Interrupted:
            return;
        }
    }
}

} // namespace kovr::cli
