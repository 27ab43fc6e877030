#include "common/local_subnets.h"

namespace kovr::common {

std::vector<LocalSubnet> LocalSubnetsOf(const std::vector<InterfaceEntry> &entries)
{
    std::vector<LocalSubnet> subnets;
    for (const InterfaceEntry &entry : entries) {
        if (entry.up && !entry.loopback && entry.address != 0) {
            subnets.push_back({entry.address, entry.mask});
        }
    }
    return subnets;
}

} // namespace kovr::common
