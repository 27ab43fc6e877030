// The IPv4 subnets of this host's interfaces, for telling which devices it
// can reach by unicast, and the names of those interfaces.
#pragma once

#include "common/device_checks.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kovr::cli {

// The subnets that common::LocalSubnetsOf keeps of the system's interface
// list; empty when the system won't list them.
std::vector<common::LocalSubnet> LocalSubnets();

// The name of the interface that holds each local address (network order),
// every interface included; empty when the system won't list them.
std::map<uint32_t, std::string> LocalInterfaceNames();

} // namespace kovr::cli
