#include "tools/kovr/local_subnets.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace kovr::cli {

std::vector<common::LocalSubnet> LocalSubnets()
{
    std::vector<common::LocalSubnet> subnets;
    struct ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) {
        return subnets;
    }
    for (const struct ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_netmask == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        const auto *address = reinterpret_cast<const struct sockaddr_in *>(entry->ifa_addr);
        const auto *mask = reinterpret_cast<const struct sockaddr_in *>(entry->ifa_netmask);
        subnets.push_back({address->sin_addr.s_addr, mask->sin_addr.s_addr});
    }
    freeifaddrs(list);
    return subnets;
}

} // namespace kovr::cli
