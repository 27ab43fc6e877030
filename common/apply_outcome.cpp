#include "common/apply_outcome.h"

#include "common/ipv4_text.h"

#include <algorithm>

namespace kovr::common {

const char *OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::NotFound:
        return "not found";
    case Outcome::Unchanged:
        return "unchanged";
    case Outcome::WouldChange:
        return "would change";
    case Outcome::Verified:
        return "verified";
    case Outcome::Unverified:
        return "unverified";
    case Outcome::Failed:
        return "failed";
    case Outcome::Cancelled:
        return "cancelled";
    }
    return "";
}

std::string SettingText(const DeviceSettings &setting)
{
    if (setting.dhcp) {
        return "DHCP";
    }
    return "ip " + FormatIpv4(setting.ip) + " mask " + FormatIpv4(setting.mask) + " gateway " +
           FormatIpv4(setting.gateway);
}

bool IsBadOutcome(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Verified:
    case Outcome::Unchanged:
    case Outcome::WouldChange:
        return false;
    case Outcome::Unverified:
    case Outcome::Failed:
    case Outcome::NotFound:
    case Outcome::Cancelled:
        break;
    }
    return true;
}

std::vector<std::pair<Outcome, size_t>> OutcomeCounts(const std::vector<DeviceReport> &reports)
{
    std::vector<std::pair<Outcome, size_t>> counts;
    for (Outcome outcome : {Outcome::Verified, Outcome::WouldChange, Outcome::Unchanged, Outcome::Unverified,
                            Outcome::Failed, Outcome::NotFound, Outcome::Cancelled}) {
        counts.emplace_back(outcome, std::count_if(reports.begin(), reports.end(),
                                                   [outcome](const DeviceReport &r) { return r.outcome == outcome; }));
    }
    return counts;
}

std::string ApplySummary(const std::vector<DeviceReport> &reports)
{
    std::string summary;
    for (const auto &[outcome, count] : OutcomeCounts(reports)) {
        const bool onlyWhenSome = outcome == Outcome::WouldChange || outcome == Outcome::Cancelled;
        if (count == 0 && onlyWhenSome) {
            continue;
        }
        summary += (summary.empty() ? "" : ", ") + std::to_string(count) + " " +
                   (outcome == Outcome::WouldChange ? "to change" : OutcomeName(outcome));
    }
    return summary;
}

} // namespace kovr::common
