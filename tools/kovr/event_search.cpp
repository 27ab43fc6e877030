#include "tools/kovr/event_search.h"

#include "tools/kovr/session.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <poll.h>

namespace kovr::cli {

EventSearch::EventSearch(KOVR_HANDLE session) : session_(session) {}

EventSearch::~EventSearch()
{
    // The worker sets the event, so it must be gone before the event is.
    Stop();
    if (event_ != nullptr) {
        KOVRCloseEvent(event_);
    }
}

bool EventSearch::Start()
{
    event_ = KOVRCreateEvent();
    if (event_ == nullptr || KOVREventFd(event_) < 0) {
        return false;
    }
    running_ = KOVRStartAsyncSearchEvent(session_, event_) == 0;
    return running_;
}

void EventSearch::Stop()
{
    if (running_) {
        KOVRStopSearch(session_);
        running_ = false;
    }
}

EventSearch::Wake EventSearch::Wait(int interruptFd, std::optional<Clock::time_point> deadline,
                                    std::optional<Clock::time_point> tick)
{
    std::optional<Clock::time_point> until = deadline;
    if (tick && (!until || *tick < *until)) {
        until = tick;
    }
    for (;;) {
        int timeoutMs = -1;
        if (until) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()).count();
            timeoutMs = static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
        }
        struct pollfd fds[2] = {{KOVREventFd(event_), POLLIN, 0}, {interruptFd, POLLIN, 0}};
        const int ready = poll(fds, 2, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready > 0 && fds[1].revents != 0) {
            return Wake::Interrupted;
        }
        if (ready > 0 && fds[0].revents != 0) {
            // The event is auto-reset: consuming it re-arms it for the next pass.
            KOVRWaitEvent(event_, 0);
            return Wake::Results;
        }
        if (ready < 0) {
            // Nothing sensible can be waited for any more.
            return Wake::Interrupted;
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

void EventSearch::RunUntilDone(int interruptFd, const TimeSource &deadline, const TimeSource &tick,
                               const std::function<void()> &onResults, const std::function<void()> &onTick)
{
    for (;;) {
        switch (Wait(interruptFd, deadline(), tick())) {
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
