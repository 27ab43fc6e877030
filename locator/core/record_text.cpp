#include "locator/core/record_text.h"

#include "common/ipv4_text.h"
#include "common/mac_address_text.h"

#include <cstring>

namespace kovr::locator {

std::string FormatMacAddress(const uint8_t *mac)
{
    return common::FormatMac(mac);
}

std::string FormatDottedAddress(uint32_t networkOrder)
{
    return common::FormatIpv4(networkOrder);
}

uint32_t PackedFromNetworkOrder(uint32_t networkOrder)
{
    uint8_t bytes[4];
    std::memcpy(bytes, &networkOrder, sizeof bytes);
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

uint32_t NetworkOrderFromPacked(uint32_t packed)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(packed >> 24), static_cast<uint8_t>(packed >> 16),
                              static_cast<uint8_t>(packed >> 8), static_cast<uint8_t>(packed)};
    uint32_t networkOrder;
    std::memcpy(&networkOrder, bytes, sizeof networkOrder);
    return networkOrder;
}

} // namespace kovr::locator
