// The rules of a synchronous search, for a search that runs in event mode
// so that its caller stays free to show progress: the first reply of each
// device wins, and the search ends `idle` ms after the last pass that read
// something while a device was queued, or `total` ms after it began.
#pragma once

#include <kovr/kovr.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kovr::cli {

// Empty when the limits are usable; else why not, as the library refuses
// a zero limit and two infinite ones.
std::string CheckSearchLimits(uint32_t idleMs, uint32_t totalMs);

class UniqueDevices {
public:
    // Keeps the record unless a record with its MAC address is already kept.
    bool Add(const KOVRDeviceInfoRecord &record);
    const std::vector<KOVRDeviceInfoRecord> &records() const { return records_; }
    size_t size() const { return records_.size(); }

private:
    std::vector<KOVRDeviceInfoRecord> records_;
};

class SyncSearchDeadline {
public:
    using Clock = std::chrono::steady_clock;

    SyncSearchDeadline(uint32_t idleMs, uint32_t totalMs, Clock::time_point start);
    // The search was notified: the idle time starts again.
    void Notified(Clock::time_point now);
    // When the search ends; none while it may go on forever.
    std::optional<Clock::time_point> End() const;

private:
    uint32_t idleMs_;
    std::optional<Clock::time_point> totalEnd_;
    std::optional<Clock::time_point> idleEnd_;
};

} // namespace kovr::cli
