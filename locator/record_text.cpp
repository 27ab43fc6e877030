#include "locator/record_text.h"

#include "common/ipv4_text.h"
#include "common/mac_address_text.h"

#include <QtEndian>

namespace kovr::locator {

QString FormatMacAddress(const uint8_t *mac)
{
    return QString::fromStdString(common::FormatMac(mac));
}

QString FormatDottedAddress(uint32_t networkOrder)
{
    return QString::fromStdString(common::FormatIpv4(networkOrder));
}

uint32_t PackedFromNetworkOrder(uint32_t networkOrder)
{
    return qFromBigEndian(networkOrder);
}

uint32_t NetworkOrderFromPacked(uint32_t packed)
{
    return qToBigEndian(packed);
}

} // namespace kovr::locator
