#include "tools/kovr/local_subnets.h"

#include <cstring>

#include <winsock2.h>
#include <ws2tcpip.h>
// After the sockets headers, which it needs.
#include <iphlpapi.h>

namespace kovr::cli {

namespace {

// A prefix length as a mask in network order.
uint32_t MaskFromPrefixLength(unsigned length)
{
    const uint32_t hostOrder = length == 0 ? 0 : 0xFFFFFFFFu << (32 - length);
    const uint8_t octets[4] = {static_cast<uint8_t>(hostOrder >> 24), static_cast<uint8_t>(hostOrder >> 16),
                               static_cast<uint8_t>(hostOrder >> 8), static_cast<uint8_t>(hostOrder)};
    uint32_t mask;
    std::memcpy(&mask, octets, sizeof mask);
    return mask;
}

} // namespace

std::vector<common::LocalSubnet> LocalSubnets()
{
    std::vector<common::LocalSubnet> subnets;
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    // Room for a few adapters; the call says how much more it needs, and
    // adapters may come between two calls.
    ULONG size = 16 * 1024;
    std::vector<IP_ADAPTER_ADDRESSES> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size / sizeof(IP_ADAPTER_ADDRESSES) + 1);
        size = static_cast<ULONG>(buffer.size() * sizeof(IP_ADAPTER_ADDRESSES));
        result = GetAdaptersAddresses(AF_INET, kFlags, nullptr, buffer.data(), &size);
    }
    if (result != NO_ERROR) {
        return subnets;
    }
    for (const IP_ADAPTER_ADDRESSES *adapter = buffer.data(); adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) {
            continue;
        }
        for (const IP_ADAPTER_UNICAST_ADDRESS *unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const SOCKADDR *address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET || unicast->OnLinkPrefixLength > 32) {
                continue;
            }
            subnets.push_back({reinterpret_cast<const SOCKADDR_IN *>(address)->sin_addr.s_addr,
                               MaskFromPrefixLength(unicast->OnLinkPrefixLength)});
        }
    }
    return subnets;
}

} // namespace kovr::cli
