#include "device_info_text.h"

#include "addresses.h"
#include "record_fields.h"

#include <string>

namespace kovr::cli {

std::string DeviceInfoText(const KOVRDeviceInfoRecord &r)
{
    // Only the DHCP line looks at presentFields; every other line shows its
    // field as it stands, so an unreported address reads 0.0.0.0.
    std::string text;
    text += "Version: " + std::to_string(r.version) + "\n";
    text += "Interface Address: " + FormatIpv4(r.interfaceAddress) + "\n";
    text += "Vendor ID: " + std::to_string(r.vendorId) + "\n";
    text += "MAC Address: " + FormatMac(r.macAddress) + "\n";
    text += "IP Address: " + FormatIpv4(r.ipAddress) + "\n";
    text += "Subnet Mask: " + FormatIpv4(r.subnetMask) + "\n";
    text += "Gateway Address: " + FormatIpv4(r.gatewayAddress) + "\n";
    text += "DNS Address: " + FormatIpv4(r.dnsAddress) + "\n";
    text += "DHCP Mode: " + DhcpText(r) + "\n";
    text += "Device Name: " + Printable(FieldText(r.deviceName)) + "\n";
    text += "Advisory: " + std::to_string(r.advisory) + "\n";
    return text;
}

} // namespace kovr::cli
