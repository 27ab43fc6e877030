#include "common/apply_outcome.h"

#include "common/ipv4_text.h"

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

} // namespace kovr::common
