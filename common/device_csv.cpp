#include "common/device_csv.h"

#include "common/device_info_lines.h"
#include "common/field_text.h"
#include "common/ipv4_text.h"
#include "common/mac_address_text.h"
#include "common/printable_text.h"

namespace kovr::common {

namespace {

std::string CsvLine(const std::vector<std::string> &cells)
{
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        line += (i ? "," : "") + CsvField(cells[i]);
    }
    return line + '\n';
}

} // namespace

const std::vector<std::string> &DeviceCsvColumns()
{
    static const std::vector<std::string> columns = {"ip",   "mac",       "name", "product",
                                                     "dhcp", "interface", "mask", "gateway"};
    return columns;
}

std::string CsvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string DeviceCsvHeader()
{
    return CsvLine(DeviceCsvColumns());
}

std::string DeviceCsvLine(const KOVRDeviceInfoRecord &record)
{
    return CsvLine({FormatIpv4(record.ipAddress), FormatMac(record.macAddress), Printable(FieldText(record.deviceName)),
                    Printable(FieldText(record.productName)), DhcpText(record), FormatIpv4(record.interfaceAddress),
                    FormatIpv4(record.subnetMask), FormatIpv4(record.gatewayAddress)});
}

} // namespace kovr::common
