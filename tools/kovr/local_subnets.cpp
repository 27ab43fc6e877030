#include "tools/kovr/local_subnets.h"

#include "common/local_subnets.h"
#include "discovery/platform/net.h"

namespace kovr::cli {

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

std::vector<common::LocalSubnet> LocalSubnets()
{
    std::vector<common::InterfaceEntry> entries;
    for (const platform::InterfaceAddress &entry : InterfaceAddresses()) {
        entries.push_back({entry.address, entry.mask, entry.up, entry.loopback});
    }
    return common::LocalSubnetsOf(entries);
}

std::map<uint32_t, std::string> LocalInterfaceNames()
{
    std::map<uint32_t, std::string> names;
    for (const platform::InterfaceAddress &entry : InterfaceAddresses()) {
        names.emplace(entry.address, entry.name);
    }
    return names;
}

} // namespace kovr::cli
