// The IPv4 subnets of this host's interfaces, for telling which devices it
// can reach by unicast.
#pragma once

#include "common/device_checks.h"

#include <vector>

namespace kovr::cli {

// The subnets that common::LocalSubnetsOf keeps of the system's interface
// list; empty when the system won't list them.
std::vector<common::LocalSubnet> LocalSubnets();

} // namespace kovr::cli
