#ifndef KOVR_LOCATOR_LOCAL_SUBNETS_H
#define KOVR_LOCATOR_LOCAL_SUBNETS_H

#include "common/device_checks.h"

#include <vector>

// The IPv4 subnets of this machine's running interfaces, loopback aside.
std::vector<kovr::common::LocalSubnet> LocalSubnets();

#endif
