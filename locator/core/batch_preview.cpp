#include "locator/core/batch_preview.h"

#include "common/printable_text.h"

#include <algorithm>

namespace kovr::locator {

KOVRDeviceInfoRecord WithSettings(const KOVRDeviceInfoRecord &record, const common::DeviceSettings &settings)
{
    KOVRDeviceInfoRecord changed = record;
    if (common::Holds(common::SettingsOf(record), settings)) {
        return changed;
    }
    changed.presentFields |= KOVR_FIELD_DHCP_MODE;
    changed.dhcpMode = settings.dhcp ? KOVR_DHCP_ENABLED : KOVR_DHCP_DISABLED;
    if (settings.dhcp) {
        changed.ipAddress = 0;
        return changed;
    }
    changed.presentFields |= KOVR_FIELD_IP_ADDRESS | KOVR_FIELD_SUBNET_MASK | KOVR_FIELD_GATEWAY_ADDRESS;
    changed.ipAddress = settings.ip;
    changed.subnetMask = settings.mask;
    changed.gatewayAddress = settings.gateway;
    return changed;
}

std::vector<PreviewMark> PreviewMarks(const std::vector<KOVRDeviceInfoRecord> &list,
                                      const std::vector<size_t> &positions,
                                      const std::vector<common::DeviceSettings> &wanted,
                                      const std::vector<common::LocalSubnet> &localSubnets)
{
    std::vector<KOVRDeviceInfoRecord> after = list;
    for (size_t i = 0; i < positions.size(); ++i) {
        after[positions[i]] = WithSettings(list[positions[i]], wanted[i]);
    }
    std::vector<PreviewMark> marks(positions.size());
    for (const common::Problem &problem : common::CheckDevices(after, localSubnets)) {
        for (size_t device : problem.devices) {
            const auto target = std::find(positions.begin(), positions.end(), device);
            if (target == positions.end()) {
                continue;
            }
            PreviewMark &mark = marks[static_cast<size_t>(target - positions.begin())];
            mark.error = mark.error || problem.severity == common::Severity::Error;
            // Names come from the devices.
            mark.text += (mark.text.empty() ? "" : "\n") + common::DisplayText(problem.message);
        }
    }
    return marks;
}

} // namespace kovr::locator
