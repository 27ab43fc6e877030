// An asynchronous search in event mode, waited for with poll() on the
// event's descriptor together with an interrupt pipe, a deadline and a
// redraw tick. The search is stopped, and the event closed, on every path.
#pragma once

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
    // Waits until results are queued, interruptFd turns readable, the
    // deadline passes or the tick comes; none means no such time.
    Wake Wait(int interruptFd, std::optional<Clock::time_point> deadline, std::optional<Clock::time_point> tick);
    std::vector<KOVRDeviceInfoRecord> Take();

    using TimeSource = std::function<std::optional<Clock::time_point>()>;
    // Waits in turn until the deadline passes or interruptFd turns readable:
    // each notification runs onResults, each tick onTick. Both times are
    // asked for again before every wait, since they may move.
    void RunUntilDone(int interruptFd, const TimeSource &deadline, const TimeSource &tick,
                      const std::function<void()> &onResults, const std::function<void()> &onTick);

private:
    KOVR_HANDLE session_;
    KOVR_EVENT event_ = nullptr;
    bool running_ = false;
};

} // namespace kovr::cli
