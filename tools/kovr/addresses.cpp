#include "addresses.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace kovr::cli {

const KOVR_GUID kLocatorSessionGuid = KOVR_LOCATOR_SESSION_GUID;

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads `digits` hexadecimal characters at `pos` into `value`.
bool ReadHex(const std::string &text, size_t pos, size_t digits, uint64_t &value)
{
    if (pos + digits > text.size()) {
        return false;
    }
    value = 0;
    for (size_t i = 0; i < digits; ++i) {
        int v = HexValue(text[pos + i]);
        if (v < 0) {
            return false;
        }
        value = value << 4 | static_cast<uint64_t>(v);
    }
    return true;
}

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

} // namespace

std::optional<MacAddress> ParseMac(const std::string &text)
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
        uint64_t value = 0;
        if (!ReadHex(text, i * 3, 2, value) || (i < 5 && text[i * 3 + 2] != separator)) {
            return std::nullopt;
        }
        mac[i] = static_cast<uint8_t>(value);
    }
    return mac;
}

std::string FormatMac(const uint8_t *mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return text;
}

bool IsAllDevicesAddress(const MacAddress &mac)
{
    for (uint8_t b : mac) {
        if (b != 0xFF) {
            return false;
        }
    }
    return true;
}

std::optional<uint32_t> ParseIpv4(const std::string &text)
{
    const std::vector<std::string> parts = Split(text, '.');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    uint8_t octets[4];
    for (size_t i = 0; i < 4; ++i) {
        const std::string &part = parts[i];
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0')) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > 255) {
            return std::nullopt;
        }
        octets[i] = static_cast<uint8_t>(value);
    }
    // The octets stand in memory in wire order, which is network byte order.
    uint32_t address;
    std::memcpy(&address, octets, sizeof address);
    return address;
}

std::optional<uint32_t> ParseSubnetMask(const std::string &text)
{
    const std::optional<uint32_t> mask = ParseIpv4(text);
    if (!mask) {
        return std::nullopt;
    }
    const uint8_t *octets = reinterpret_cast<const uint8_t *>(&*mask);
    const uint32_t hostOrder = static_cast<uint32_t>(octets[0]) << 24 | static_cast<uint32_t>(octets[1]) << 16 |
                               static_cast<uint32_t>(octets[2]) << 8 | octets[3];
    // Contiguous ones from the top: the inverted mask plus one is a power of two.
    const uint32_t inverted = ~hostOrder;
    if ((inverted & (inverted + 1)) != 0) {
        return std::nullopt;
    }
    return mask;
}

std::string FormatIpv4(uint32_t networkOrder)
{
    uint8_t octets[4];
    std::memcpy(octets, &networkOrder, sizeof octets);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

std::optional<KOVR_GUID> ParseGuid(const std::string &input)
{
    std::string text = input;
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
        return std::nullopt;
    }
    KOVR_GUID guid{};
    uint64_t value = 0;
    if (!ReadHex(text, 0, 8, value)) {
        return std::nullopt;
    }
    guid.Data1 = static_cast<uint32_t>(value);
    if (!ReadHex(text, 9, 4, value)) {
        return std::nullopt;
    }
    guid.Data2 = static_cast<uint16_t>(value);
    if (!ReadHex(text, 14, 4, value)) {
        return std::nullopt;
    }
    guid.Data3 = static_cast<uint16_t>(value);
    // Data4: two bytes before the last dash, six after it.
    static const size_t kData4Positions[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (size_t i = 0; i < 8; ++i) {
        if (!ReadHex(text, kData4Positions[i], 2, value)) {
            return std::nullopt;
        }
        guid.Data4[i] = static_cast<uint8_t>(value);
    }
    return guid;
}

std::string FormatGuid(const KOVR_GUID &guid)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                  guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

std::optional<uint32_t> ParseMagic(const std::string &text)
{
    if (text.size() != 4) {
        return std::nullopt;
    }
    std::string upper;
    for (char c : text) {
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (upper == "QUMA") {
        return KOVR_MAGIC_QUMA;
    }
    if (upper == "LORX") {
        return KOVR_MAGIC_LORX;
    }
    if (upper == "TESK") {
        return KOVR_MAGIC_TESK;
    }
    return std::nullopt;
}

std::optional<uint32_t> ParseMilliseconds(const std::string &text)
{
    if (text == "infinite") {
        return KOVR_INFINITE;
    }
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value == 0 || value > KOVR_INFINITE) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

} // namespace kovr::cli
