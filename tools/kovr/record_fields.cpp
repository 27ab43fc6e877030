#include "record_fields.h"

#include <cstdio>

namespace kovr::cli {

std::string DhcpText(const KOVRDeviceInfoRecord &record)
{
    if ((record.presentFields & KOVR_FIELD_DHCP_MODE) == 0) {
        return "N/A";
    }
    return record.dhcpMode == 1 ? "Enabled" : "Disabled";
}

std::string Printable(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string HexBytes(const uint8_t *data, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0x0F];
    }
    return out;
}

size_t DisplayWidth(const std::string &text)
{
    size_t width = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++width;
        }
    }
    return width;
}

} // namespace kovr::cli
