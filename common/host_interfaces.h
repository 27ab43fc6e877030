// The IPv4 subnets of this host's interfaces, for telling which devices it
// can reach by unicast, and the names of those interfaces, as the platform
// layer lists them: kovr and both locators take them from here.
#pragma once

#include "common/device_checks.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kovr::common {

// The subnets that LocalSubnetsOf keeps of the system's interface
// list; empty when the system won't list them.
std::vector<LocalSubnet> HostSubnets();

// The name of the interface that holds each local address (network order),
// every interface included; empty when the system won't list them.
std::map<uint32_t, std::string> HostInterfaceNames();

} // namespace kovr::common
