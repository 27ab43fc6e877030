#include "tools/kovr/addresses.h"

namespace kovr::cli {

const KOVR_GUID kLocatorSessionGuid = KOVR_LOCATOR_SESSION_GUID;

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
