#include "sync_search_rules.h"

#include <algorithm>
#include <cstring>

namespace kovr::cli {

std::string CheckSearchLimits(uint32_t idleMs, uint32_t totalMs)
{
    if (idleMs == KOVR_INFINITE && totalMs == KOVR_INFINITE) {
        return "--idle and --total can't both be infinite";
    }
    return {};
}

bool UniqueDevices::Add(const KOVRDeviceInfoRecord &record)
{
    for (const KOVRDeviceInfoRecord &kept : records_) {
        if (std::memcmp(kept.macAddress, record.macAddress, sizeof record.macAddress) == 0) {
            return false;
        }
    }
    records_.push_back(record);
    return true;
}

SyncSearchDeadline::SyncSearchDeadline(uint32_t idleMs, uint32_t totalMs, Clock::time_point start)
    : idleMs_(idleMs)
{
    if (totalMs != KOVR_INFINITE) {
        totalEnd_ = start + std::chrono::milliseconds(totalMs);
    }
}

void SyncSearchDeadline::Notified(Clock::time_point now)
{
    if (idleMs_ != KOVR_INFINITE) {
        idleEnd_ = now + std::chrono::milliseconds(idleMs_);
    }
}

std::optional<SyncSearchDeadline::Clock::time_point> SyncSearchDeadline::End() const
{
    if (totalEnd_ && idleEnd_) {
        return std::min(*totalEnd_, *idleEnd_);
    }
    return totalEnd_ ? totalEnd_ : idleEnd_;
}

} // namespace kovr::cli
