#pragma once

#include "common/device_checks.h"

#include <QStringList>

#include <vector>

namespace kovr::locator {

// For each device of the list, in list order, what keeps the user from
// reaching it and what to do about it: a shared address or an address
// outside every local subnet. Empty for a device without such a problem.
QStringList ConflictNotes(const std::vector<KOVRDeviceInfoRecord> &devices,
                          const std::vector<common::LocalSubnet> &localSubnets);

} // namespace kovr::locator
