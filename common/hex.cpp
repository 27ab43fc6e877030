#include "common/hex.h"

namespace kovr::common {

namespace {

int DigitValue(char c)
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

} // namespace

std::optional<uint8_t> HexByteAt(std::string_view text, size_t at)
{
    if (at > text.size() || text.size() - at < 2) {
        return std::nullopt;
    }
    const int high = DigitValue(text[at]);
    const int low = DigitValue(text[at + 1]);
    if (high < 0 || low < 0) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(high << 4 | low);
}

std::optional<std::vector<uint8_t>> ParseHex(std::string_view text)
{
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t at = 0; at < text.size(); at += 2) {
        const std::optional<uint8_t> byte = HexByteAt(text, at);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(*byte);
    }
    return bytes;
}

std::string FormatHex(const uint8_t *data, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

} // namespace kovr::common
