#include "common/ipv4_text.h"

#include <algorithm>
#include <cstring>

namespace kovr::common {

std::optional<uint32_t> ParseIpv4(std::string_view text)
{
    uint8_t octets[4];
    size_t part = 0;
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(text.find('.', start), text.size());
        const std::string_view digits = text.substr(start, end - start);
        if (part == 4 || digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > 255) {
            return std::nullopt;
        }
        octets[part++] = static_cast<uint8_t>(value);
        if (end == text.size()) {
            break;
        }
        start = end + 1;
    }
    if (part != 4) {
        return std::nullopt;
    }
    // The octets stand in memory in wire order, which is network byte order.
    uint32_t address;
    std::memcpy(&address, octets, sizeof address);
    return address;
}

std::string FormatIpv4(uint32_t networkOrder)
{
    uint8_t octets[4];
    std::memcpy(octets, &networkOrder, sizeof octets);
    std::string text;
    for (size_t i = 0; i < 4; ++i) {
        text += (i ? "." : "") + std::to_string(octets[i]);
    }
    return text;
}

} // namespace kovr::common
