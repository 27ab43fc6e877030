#include "common/device_info_lines.h"

#include "common/dhcp_mode.h"
#include "common/field_text.h"
#include "common/ipv4_text.h"
#include "common/mac_address_text.h"

namespace kovr::common {

std::string DhcpText(const KOVRDeviceInfoRecord &record)
{
    if ((record.presentFields & KOVR_FIELD_DHCP_MODE) == 0) {
        return "N/A";
    }
    return IsDhcpOn(record) ? "Enabled" : "Disabled";
}

std::string DeviceInfoText(const KOVRDeviceInfoRecord &r, TextFilter showDeviceText)
{
    const std::string name = FieldText(r.deviceName);
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
    text += "Device Name: " + showDeviceText(name) + "\n";
    text += "Advisory: " + std::to_string(r.advisory) + "\n";
    return text;
}

} // namespace kovr::common
