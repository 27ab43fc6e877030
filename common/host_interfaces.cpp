#include "common/host_interfaces.h"

#include "common/local_subnets.h"
#include "discovery/platform/net.h"

namespace kovr::common {

namespace {

std::vector<platform::InterfaceAddress> InterfaceAddresses()
{
    std::vector<platform::InterfaceAddress> interfaces;
    if (platform::ListInterfaceAddresses(&interfaces) != platform::kNoError) {
        return {};
    }
    return interfaces;
}

} // namespace

std::vector<LocalSubnet> HostSubnets()
{
    std::vector<InterfaceEntry> entries;
    for (const platform::InterfaceAddress &entry : InterfaceAddresses()) {
        entries.push_back({entry.address, entry.mask, entry.up, entry.loopback});
    }
    return LocalSubnetsOf(entries);
}

std::map<uint32_t, std::string> HostInterfaceNames()
{
    std::map<uint32_t, std::string> names;
    for (const platform::InterfaceAddress &entry : InterfaceAddresses()) {
        names.emplace(entry.address, entry.name);
    }
    return names;
}

} // namespace kovr::common
