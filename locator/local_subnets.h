#pragma once

#include "common/device_checks.h"

#include <vector>

namespace kovr::locator {

// The subnets that common::LocalSubnetsOf keeps of this machine's
// interfaces, as Qt lists them.
std::vector<common::LocalSubnet> LocalSubnets();

} // namespace kovr::locator
