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

// A record with every field a device can report, the name "lobby-camera".
inline KOVRDeviceInfoRecord FullRecord()
{
    KOVRDeviceInfoRecord r = BareRecord(0xbc);
    r.version = 513;
    r.interfaceAddress = Address(10, 77, 1, 1);
    r.tag22Value = 0x7f;
    r.guid = {0x0E5C9A41, 0x3B7D, 0x4F2A, {0x9C, 0x11, 0x6D, 0x8E, 0x2F, 0x4A, 0x7B, 0x02}};
    r.nonceLength = 14;
    for (uint8_t i = 0; i < 14; ++i) {
        r.nonce[i] = static_cast<uint8_t>(0xf0 + i);
    }
    r.presentFields = 0x003FF0BF;
    r.ipAddress = Address(10, 0, 0, 5);
    r.subnetMask = Address(255, 255, 255, 0);
    r.gatewayAddress = Address(10, 0, 0, 254);
    r.dnsAddress = Address(192, 168, 100, 1);
    r.dhcpMode = 1;
    std::strcpy(r.deviceName, "lobby-camera");
    std::strcpy(r.productName, "7100-NT");
    r.advisory = 65535;
    r.tag24Length = 3;
    r.tag24Data[0] = 0x00;
    r.tag24Data[1] = 0xa5;
    r.tag24Data[2] = 0x5a;
    return r;
}

} // namespace kovr::test
