#include "tests/support/hex.h"

namespace kovr::test {

std::string Hex(const uint8_t *bytes, size_t length)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * length);
    for (size_t i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

std::string Hex(const Bytes &bytes)
{
    return Hex(bytes.data(), bytes.size());
}

Bytes FromHex(const std::string &hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

} // namespace kovr::test
