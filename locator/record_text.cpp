#include "record_text.h"

#include <arpa/inet.h>

QString FormatMacAddress(const uint8_t *mac)
{
    return QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

QString FormatDottedAddress(uint32_t networkOrder)
{
    const uint32_t packed = PackedFromNetworkOrder(networkOrder);
    return QString::asprintf("%u.%u.%u.%u", packed >> 24, (packed >> 16) & 0xFF, (packed >> 8) & 0xFF, packed & 0xFF);
}

uint32_t PackedFromNetworkOrder(uint32_t networkOrder)
{
    return ntohl(networkOrder);
}

uint32_t NetworkOrderFromPacked(uint32_t packed)
{
    return htonl(packed);
}
