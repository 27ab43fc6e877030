// Device records as tests build them.
#pragma once

#include <cstdint>
#include <cstring>

#include "kovr/kovr.h"

namespace kovr::test {

// An IPv4 address from its four parts, in network order as records hold it.
inline uint32_t Address(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    const uint8_t octets[4] = {a, b, c, d};
    uint32_t address;
    std::memcpy(&address, octets, sizeof address);
    return address;
}

// A record as a device that reported only its MAC, 02:4b:52:00:0a:<lastMacByte>, leaves it.
inline KOVRDeviceInfoRecord BareRecord(uint8_t lastMacByte = 0x01)
{
    KOVRDeviceInfoRecord r{};
    r.recordSize = 852;
    r.version = 512;
    r.vendorId = KOVR_MAGIC_LORX;
    r.presentFields = KOVR_FIELD_MAC_ADDRESS;
    const uint8_t mac[6] = {0x02, 0x4b, 0x52, 0x00, 0x0a, lastMacByte};
    std::memcpy(r.macAddress, mac, sizeof mac);
    return r;
}

} // namespace kovr::test
