#pragma once

#include "common/device_checks.h"
#include "common/settings_change.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kovr::locator {

// What the checks of `kovr check` would find on one device once the change
// is made: the problems' sentences, one a line; empty when none.
struct PreviewMark {
    bool error = false; // else a warning, or nothing
    std::string text;
};

// The record as it will read with `settings`. A device that turns DHCP on
// has no known address until it gets its lease.
KOVRDeviceInfoRecord WithSettings(const KOVRDeviceInfoRecord &record, const common::DeviceSettings &settings);

// One mark per device to change (positions in `list`, each to get the
// setting of the same index in `wanted`), judged against the whole list as
// it will be: the other devices keep theirs.
std::vector<PreviewMark> PreviewMarks(const std::vector<KOVRDeviceInfoRecord> &list,
                                      const std::vector<size_t> &positions,
                                      const std::vector<common::DeviceSettings> &wanted,
                                      const std::vector<common::LocalSubnet> &localSubnets);

} // namespace kovr::locator
