// A search that asks more than once. Networks lose datagrams, and a search
// whose only request is lost finds nothing, so the request goes out several
// times, spread out, each as the search of a session of its own (the
// library sends one request per search). By default it goes out three
// times over the first second, and again while the requests still bring
// devices not seen before, since on a lossy link each request finds some of
// what the others missed. The replies are merged, and the whole ends as one
// synchronous search does: the idle limit after the last reply, or the
// total limit.
//
// It uses the public API only, through a table of calls that the locator's
// tests can script. With one request it is exactly the library's
// synchronous search.
#pragma once

#include "common/device_challenge.h"

#include <kovr/kovr.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace kovr::common {

constexpr unsigned kDefaultSearchRequests = 3;
constexpr unsigned kMaxSearchRequests = 10;
// As a number of requests: kDefaultSearchRequests, then another while
// either of the last two brought a device not seen before, up to
// kMaxSearchRequests. A request that no device has answered two intervals
// after it went out was lost on its way, and is passed over.
constexpr unsigned kRequestsWhileFinding = 0;
// The library's own limits: a search ends this long after the last reply,
// or this long after its start.
constexpr uint32_t kDefaultSearchIdleMs = 5000;
constexpr uint32_t kDefaultSearchTotalMs = 60000;
// The first kDefaultSearchRequests requests, or all of a given number, go
// out evenly within this time; each at least its share after the one before.
constexpr std::chrono::milliseconds kSearchRequestSpread{1000};

struct SearchCalls {
    // Opens one more session like the caller's; null when it can't.
    std::function<KOVR_HANDLE()> openSession;
    void (*close)(KOVR_HANDLE h);
    int32_t (*startSync)(KOVR_HANDLE h, uint32_t idleLimitMs, uint32_t totalLimitMs);
    int32_t (*startAsyncCallback)(KOVR_HANDLE h, KOVRSearchNotifyCallback cb, uintptr_t userValue);
    int32_t (*getResults)(KOVR_HANDLE h, KOVRDeviceInfoRecord *records, uint32_t capacity);
    void (*stop)(KOVR_HANDLE h);
};

struct SearchPlan {
    unsigned requests = kRequestsWhileFinding; // or exactly this many
    uint32_t idleMs = kDefaultSearchIdleMs;    // KOVR_INFINITE: no end after the last reply
    uint32_t totalMs = kDefaultSearchTotalMs;  // KOVR_INFINITE: no limit
    std::chrono::milliseconds spread = kSearchRequestSpread;
};

// The limits the library accepts: neither 0, not both infinite; 1 to
// kMaxSearchRequests requests, or kRequestsWhileFinding.
bool IsValidSearchPlan(const SearchPlan &plan);

// Which replies count as new.
enum class Merge {
    ByMac,             // one per device: its first reply, with that reply's interface
    ByMacAndInterface, // one per device and local interface
    None,              // every reply
};

// The requests of one search, stepped by the caller: Step after every
// notification and whenever NextWake comes. Not thread-safe: one caller's
// thread drives it; the notifications come on the library's workers.
class RepeatedSearch {
public:
    using Clock = std::chrono::steady_clock;
    // Starts an asynchronous search on a session, with the caller's choice
    // of notification; returns what the library's starter returns.
    using Starter = std::function<int32_t(KOVR_HANDLE session)>;

    // `first` is the caller's session, which sends the first request and
    // stays open; the others are opened through `calls` and closed here.
    // Every reply, merged or not, goes into `sightings` when given.
    RepeatedSearch(const SearchCalls &calls, KOVR_HANDLE first, const SearchPlan &plan, Merge merge,
                   ChallengeSightings *sightings = nullptr);
    ~RepeatedSearch();
    RepeatedSearch(const RepeatedSearch &) = delete;
    RepeatedSearch &operator=(const RepeatedSearch &) = delete;

    // Sends the first request now. False when the library refuses it; then
    // nothing runs. A later request that can't start is left out.
    bool Start(Starter starter);
    // Takes every queued reply and starts the next request when it is due;
    // returns the new replies, oldest first.
    std::vector<KOVRDeviceInfoRecord> Step();
    // When Step is due even without a notification: the next request, the
    // end after the last reply, or the total limit; none when nothing is.
    std::optional<Clock::time_point> NextWake() const;
    bool Finished() const;
    // Ends every search, closes the sessions opened here, and returns the
    // new replies that came in meanwhile.
    std::vector<KOVRDeviceInfoRecord> Stop();

private:
    struct Request {
        KOVR_HANDLE session = nullptr; // none: it couldn't start
        Clock::time_point sent;
        size_t replies = 0;
        size_t fresh = 0; // devices it was the first to bring
    };
    void StartDueRequest(Clock::time_point now);
    bool WorthAnother(Clock::time_point now) const;
    void Take(std::vector<KOVRDeviceInfoRecord> &fresh);
    bool IsNew(const KOVRDeviceInfoRecord &record);

    SearchCalls calls_;
    KOVR_HANDLE first_;
    SearchPlan plan_;
    Merge merge_;
    ChallengeSightings *sightings_;
    Starter starter_;
    std::vector<Request> requests_; // those made, in order
    std::optional<Clock::time_point> nextDue_;
    Clock::time_point start_{};
    std::optional<Clock::time_point> lastReply_;
    std::set<std::pair<std::array<uint8_t, 6>, uint32_t>> seen_;
    bool running_ = false;
};

// Moves `current` to `candidate` when that comes first; none is never.
void Earliest(std::optional<RepeatedSearch::Clock::time_point> &current,
              std::optional<RepeatedSearch::Clock::time_point> candidate);

// How a blocking search is told that results are queued, and how another
// thread ends it early. Thread-safe.
class SearchWakeup {
public:
    // The library's notification callback; the user value is the wakeup.
    static void Notify(KOVR_HANDLE session, uintptr_t wakeup);
    uintptr_t UserValue() { return reinterpret_cast<uintptr_t>(this); }
    // Ends the search at its next wake; a search of one request, which is
    // the library's synchronous search, can't be ended this way.
    void Cancel();
    bool Cancelled() const;
    // Until a notification (which it consumes), a cancel, or `until`.
    void WaitUntil(std::optional<RepeatedSearch::Clock::time_point> until);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool notified_ = false;
    bool cancelled_ = false;
};

// The whole search, blocking: KOVR_FAILED when the plan is invalid or the first
// session's search can't start (its last error tells), otherwise the
// number of devices, each once with its first reply, in `found`. Every
// reply goes into `sightings` when given; with one request, the library's
// synchronous search hands out only the first of each device.
int32_t SearchDevices(const SearchCalls &calls, KOVR_HANDLE first, const SearchPlan &plan,
                      std::vector<KOVRDeviceInfoRecord> &found, SearchWakeup *wakeup = nullptr,
                      ChallengeSightings *sightings = nullptr);

} // namespace kovr::common
