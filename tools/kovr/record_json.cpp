#include "tools/kovr/record_json.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/record_fields.h"

#include <algorithm>

namespace kovr::cli {

nlohmann::ordered_json RecordJson(const KOVRDeviceInfoRecord &r)
{
    const size_t nonceLength = std::min<size_t>(r.nonceLength, sizeof r.nonce);
    return nlohmann::ordered_json{
        {"recordSize", r.recordSize},
        {"version", r.version},
        {"interfaceAddress", FormatIpv4(r.interfaceAddress)},
        {"tag22Value", r.tag22Value},
        {"vendorId", r.vendorId},
        {"guid", FormatGuid(r.guid)},
        {"nonceLength", r.nonceLength},
        {"nonce", FormatHex(r.nonce, nonceLength)},
        {"presentFields", r.presentFields},
        {"macAddress", FormatMac(r.macAddress)},
        {"ipAddress", FormatIpv4(r.ipAddress)},
        {"subnetMask", FormatIpv4(r.subnetMask)},
        {"gatewayAddress", FormatIpv4(r.gatewayAddress)},
        {"dnsAddress", FormatIpv4(r.dnsAddress)},
        {"dhcpMode", r.dhcpMode},
        {"deviceName", FieldText(r.deviceName)},
        {"productName", FieldText(r.productName)},
        {"advisory", r.advisory},
        {"tag24Length", r.tag24Length},
        {"tag24Data", FormatHex(r.tag24Data, r.tag24Length)},
    };
}

std::string JsonText(const nlohmann::ordered_json &value)
{
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace kovr::cli
