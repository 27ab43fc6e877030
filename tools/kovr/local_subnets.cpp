#include "tools/kovr/local_subnets.h"

#include "common/local_subnets.h"
#include "discovery/platform/net.h"

namespace kovr::cli {

std::vector<common::LocalSubnet> LocalSubnets()
{
    std::vector<platform::InterfaceAddress> interfaces;
    if (platform::ListInterfaceAddresses(&interfaces) != platform::kNoError) {
        return {};
    }
    std::vector<common::InterfaceEntry> entries;
    for (const platform::InterfaceAddress &entry : interfaces) {
        entries.push_back({entry.address, entry.mask, entry.up, entry.loopback});
    }
    return common::LocalSubnetsOf(entries);
}

} // namespace kovr::cli
