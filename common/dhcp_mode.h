// Whether a device takes its settings from DHCP: the one rule for every
// program, so that the same record never reads as DHCP in one place and as a
// static address in another.
#pragma once

#include <kovr/kovr.h>

namespace kovr::common {

// Only a record that carries the DHCP field can say DHCP is on.
inline bool IsDhcpOn(const KOVRDeviceInfoRecord &record)
{
    return (record.presentFields & KOVR_FIELD_DHCP_MODE) != 0 && record.dhcpMode == KOVR_DHCP_ENABLED;
}

} // namespace kovr::common
