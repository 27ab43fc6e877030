#include "tools/kovr/local_subnets.h"

#include "discovery/platform/net.h"

namespace kovr::cli {

std::vector<common::LocalSubnet> LocalSubnets()
{
    std::vector<common::LocalSubnet> subnets;
    std::vector<platform::InterfaceAddress> interfaces;
    if (platform::ListInterfaceAddresses(&interfaces) != platform::kNoError) {
        return subnets;
    }
    for (const platform::InterfaceAddress &entry : interfaces) {
        if (entry.up) {
            subnets.push_back({entry.address, entry.mask});
        }
    }
    return subnets;
}

} // namespace kovr::cli
