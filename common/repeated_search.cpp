#include "common/repeated_search.h"

#include <cstring>

namespace kovr::common {

namespace {

using Clock = RepeatedSearch::Clock;

std::optional<std::chrono::milliseconds> Limit(uint32_t ms)
{
    if (ms == KOVR_INFINITE) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(ms);
}

// Takes every record queued in the session, oldest first, a batch at a time.
void TakeQueued(const SearchCalls &calls, KOVR_HANDLE session, std::vector<KOVRDeviceInfoRecord> &records)
{
    KOVRDeviceInfoRecord batch[32];
    int32_t n;
    while ((n = calls.getResults(session, batch, std::size(batch))) > 0) {
        records.insert(records.end(), batch, batch + n);
    }
}

unsigned MostRequests(const SearchPlan &plan)
{
    return plan.requests == kRequestsWhileFinding ? kMaxSearchRequests : plan.requests;
}

// The least time from one request to the next.
Clock::duration Interval(const SearchPlan &plan)
{
    const unsigned evenly = plan.requests == kRequestsWhileFinding ? kDefaultSearchRequests : plan.requests;
    return std::chrono::duration_cast<Clock::duration>(plan.spread) / evenly;
}

} // namespace

void Earliest(std::optional<Clock::time_point> &current, std::optional<Clock::time_point> candidate)
{
    if (candidate && (!current || *candidate < *current)) {
        current = candidate;
    }
}

bool IsValidSearchPlan(const SearchPlan &plan)
{
    return plan.requests <= kMaxSearchRequests && plan.idleMs != 0 && plan.totalMs != 0 &&
           !(plan.idleMs == KOVR_INFINITE && plan.totalMs == KOVR_INFINITE);
}

RepeatedSearch::RepeatedSearch(const SearchCalls &calls, KOVR_HANDLE first, const SearchPlan &plan, Merge merge,
                               ChallengeSightings *sightings)
    : calls_(calls), first_(first), plan_(plan), merge_(merge), sightings_(sightings)
{}

RepeatedSearch::~RepeatedSearch()
{
    Stop();
}

bool RepeatedSearch::Start(Starter starter)
{
    starter_ = std::move(starter);
    start_ = Clock::now();
    requests_.clear();
    nextDue_.reset();
    seen_.clear();
    lastReply_.reset();
    if (starter_(first_) != 0) {
        return false;
    }
    requests_.push_back({first_, start_, 0, 0});
    if (MostRequests(plan_) > 1) {
        nextDue_ = start_ + Interval(plan_);
    }
    running_ = true;
    return true;
}

bool RepeatedSearch::WorthAnother(Clock::time_point now) const
{
    if (requests_.size() >= MostRequests(plan_)) {
        return false;
    }
    if (plan_.requests != kRequestsWhileFinding || requests_.size() < kDefaultSearchRequests) {
        return true;
    }
    // Two requests lost in a row say nothing about what a third would find.
    size_t looked = 0;
    size_t fresh = 0;
    for (auto request = requests_.rbegin(); request != requests_.rend() && looked < 2; ++request) {
        if (request->replies == 0 && now - request->sent >= 2 * Interval(plan_)) {
            continue;
        }
        ++looked;
        fresh += request->fresh;
    }
    return fresh > 0;
}

void RepeatedSearch::StartDueRequest(Clock::time_point now)
{
    if (!nextDue_ || *nextDue_ > now) {
        return;
    }
    nextDue_.reset();
    if (!WorthAnother(now)) {
        return;
    }
    // Tried once: a request that can't start is left out.
    Request request;
    request.sent = now;
    request.session = calls_.openSession ? calls_.openSession() : nullptr;
    if (request.session && starter_(request.session) != 0) {
        calls_.close(request.session);
        request.session = nullptr;
    }
    requests_.push_back(request);
    // From now, not from when it was due: one late wake never sends two
    // requests back to back.
    nextDue_ = now + Interval(plan_);
}

bool RepeatedSearch::IsNew(const KOVRDeviceInfoRecord &record)
{
    if (merge_ == Merge::None) {
        return true;
    }
    std::pair<std::array<uint8_t, 6>, uint32_t> key{};
    std::memcpy(key.first.data(), record.macAddress, key.first.size());
    key.second = merge_ == Merge::ByMacAndInterface ? record.interfaceAddress : 0;
    return seen_.insert(key).second;
}

void RepeatedSearch::Take(std::vector<KOVRDeviceInfoRecord> &fresh)
{
    std::vector<KOVRDeviceInfoRecord> replies;
    for (Request &request : requests_) {
        if (!request.session) {
            continue;
        }
        const size_t before = replies.size();
        TakeQueued(calls_, request.session, replies);
        request.replies += replies.size() - before;
        for (size_t i = before; i < replies.size(); ++i) {
            if (IsNew(replies[i])) {
                fresh.push_back(replies[i]);
                ++request.fresh;
            }
        }
    }
    if (sightings_ != nullptr) {
        sightings_->Add(replies);
    }
    if (!replies.empty()) {
        lastReply_ = Clock::now();
    }
}

std::vector<KOVRDeviceInfoRecord> RepeatedSearch::Step()
{
    std::vector<KOVRDeviceInfoRecord> fresh;
    if (!running_) {
        return fresh;
    }
    // What the requests brought so far decides whether another is worth it.
    Take(fresh);
    StartDueRequest(Clock::now());
    return fresh;
}

std::optional<Clock::time_point> RepeatedSearch::NextWake() const
{
    std::optional<Clock::time_point> wake;
    if (!running_) {
        return wake;
    }
    Earliest(wake, nextDue_);
    if (const auto idle = Limit(plan_.idleMs); idle && lastReply_) {
        Earliest(wake, *lastReply_ + *idle);
    }
    if (const auto total = Limit(plan_.totalMs)) {
        Earliest(wake, start_ + *total);
    }
    return wake;
}

bool RepeatedSearch::Finished() const
{
    if (!running_) {
        return true;
    }
    const Clock::time_point now = Clock::now();
    const auto idle = Limit(plan_.idleMs);
    const auto total = Limit(plan_.totalMs);
    return (idle && lastReply_ && now >= *lastReply_ + *idle) || (total && now >= start_ + *total);
}

std::vector<KOVRDeviceInfoRecord> RepeatedSearch::Stop()
{
    std::vector<KOVRDeviceInfoRecord> fresh;
    if (!running_) {
        return fresh;
    }
    running_ = false;
    for (const Request &request : requests_) {
        if (request.session) {
            calls_.stop(request.session);
        }
    }
    Take(fresh);
    for (const Request &request : requests_) {
        if (request.session && request.session != first_) {
            calls_.close(request.session);
        }
    }
    requests_.clear();
    nextDue_.reset();
    return fresh;
}

void SearchWakeup::Notify(KOVR_HANDLE, uintptr_t wakeup)
{
    auto *self = reinterpret_cast<SearchWakeup *>(wakeup);
    {
        const std::lock_guard<std::mutex> lock(self->mutex_);
        self->notified_ = true;
    }
    self->changed_.notify_all();
}

void SearchWakeup::Cancel()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

bool SearchWakeup::Cancelled() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

void SearchWakeup::WaitUntil(std::optional<Clock::time_point> until)
{
    std::unique_lock<std::mutex> lock(mutex_);
    const auto woken = [this] { return notified_ || cancelled_; };
    if (until) {
        changed_.wait_until(lock, *until, woken);
    } else {
        changed_.wait(lock, woken);
    }
    notified_ = false;
}

int32_t SearchDevices(const SearchCalls &calls, KOVR_HANDLE first, const SearchPlan &plan,
                      std::vector<KOVRDeviceInfoRecord> &found, SearchWakeup *wakeup, ChallengeSightings *sightings)
{
    found.clear();
    if (!IsValidSearchPlan(plan)) {
        return KOVR_FAILED;
    }
    if (plan.requests == 1) {
        const int32_t count = calls.startSync(first, plan.idleMs, plan.totalMs);
        if (count < 0) {
            return count;
        }
        TakeQueued(calls, first, found);
        if (sightings != nullptr) {
            sightings->Add(found);
        }
        return static_cast<int32_t>(found.size());
    }
    SearchWakeup own;
    SearchWakeup &wake = wakeup ? *wakeup : own;
    // Declared after the wakeup: its searches notify it until they stop.
    RepeatedSearch search(calls, first, plan, Merge::ByMac, sightings);
    if (!search.Start([&](KOVR_HANDLE session) {
            return calls.startAsyncCallback(session, SearchWakeup::Notify, wake.UserValue());
        })) {
        return KOVR_FAILED;
    }
    while (!search.Finished() && !wake.Cancelled()) {
        wake.WaitUntil(search.NextWake());
        const std::vector<KOVRDeviceInfoRecord> fresh = search.Step();
        found.insert(found.end(), fresh.begin(), fresh.end());
    }
    const std::vector<KOVRDeviceInfoRecord> last = search.Stop();
    found.insert(found.end(), last.begin(), last.end());
    return static_cast<int32_t>(found.size());
}

} // namespace kovr::common
