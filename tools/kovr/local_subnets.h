// The IPv4 subnets of this host's interfaces, for telling which devices it
// can reach by unicast.
#pragma once

#include "common/device_checks.h"

#include <vector>

namespace kovr::cli {

// The address and mask of every IPv4 interface that is up; empty when the
// system won't list them.
std::vector<common::LocalSubnet> LocalSubnets();

} // namespace kovr::cli
