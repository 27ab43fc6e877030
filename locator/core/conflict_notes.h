// What keeps the user from reaching a listed device, and what to do about it.
#pragma once

#include "common/device_checks.h"

#include <string>
#include <vector>

namespace kovr::locator {

// For each device of the list, in list order, the sentences of its
// problems that keep the user from reaching it: a shared address or an
// address outside every local subnet. Empty for a device without one.
std::vector<std::vector<std::string>> ConflictProblems(const std::vector<KOVRDeviceInfoRecord> &devices,
                                                       const std::vector<common::LocalSubnet> &localSubnets);

// A row's note: each problem followed by the advice, one a line; empty
// when there is no problem.
std::string ConflictNote(const std::vector<std::string> &problems, const std::string &advice);

} // namespace kovr::locator
