#include "common/mac_address_text.h"

#include "common/hex.h"

#include <algorithm>

namespace kovr::common {

std::optional<MacAddress> ParseMac(std::string_view text)
{
    if (text.size() != 17) {
        return std::nullopt;
    }
    const char separator = text[2];
    if (separator != ':' && separator != '-') {
        return std::nullopt;
    }
    MacAddress mac{};
    for (size_t i = 0; i < mac.size(); ++i) {
        const std::optional<uint8_t> byte = HexByteAt(text, i * 3);
        if (!byte || (i + 1 < mac.size() && text[i * 3 + 2] != separator)) {
            return std::nullopt;
        }
        mac[i] = *byte;
    }
    return mac;
}

std::string FormatMac(const uint8_t *mac)
{
    std::string text = FormatHex(mac, 1);
    for (size_t i = 1; i < 6; ++i) {
        text += ':';
        text += FormatHex(mac + i, 1);
    }
    return text;
}

bool IsAllDevicesAddress(const MacAddress &mac)
{
    return std::all_of(mac.begin(), mac.end(), [](uint8_t b) { return b == 0xFF; });
}

} // namespace kovr::common
