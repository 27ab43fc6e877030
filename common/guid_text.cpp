#include "common/guid_text.h"

#include "common/hex.h"

namespace kovr::common {

namespace {

// Where each of the sixteen bytes starts in the text without braces: the
// text spells Data1, Data2 and Data3 most significant byte first.
constexpr size_t kBytePositions[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
constexpr size_t kDashPositions[4] = {8, 13, 18, 23};

} // namespace

std::optional<KOVR_GUID> ParseGuid(std::string_view text)
{
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    if (text.size() != 36) {
        return std::nullopt;
    }
    for (size_t dash : kDashPositions) {
        if (text[dash] != '-') {
            return std::nullopt;
        }
    }
    uint8_t bytes[16];
    for (size_t i = 0; i < 16; ++i) {
        const std::optional<uint8_t> byte = HexByteAt(text, kBytePositions[i]);
        if (!byte) {
            return std::nullopt;
        }
        bytes[i] = *byte;
    }
    KOVR_GUID guid{};
    guid.Data1 = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                 static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
    guid.Data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    guid.Data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
    for (size_t i = 0; i < 8; ++i) {
        guid.Data4[i] = bytes[8 + i];
    }
    return guid;
}

std::string FormatGuid(const KOVR_GUID &guid)
{
    const uint8_t bytes[16] = {static_cast<uint8_t>(guid.Data1 >> 24),
                               static_cast<uint8_t>(guid.Data1 >> 16),
                               static_cast<uint8_t>(guid.Data1 >> 8),
                               static_cast<uint8_t>(guid.Data1),
                               static_cast<uint8_t>(guid.Data2 >> 8),
                               static_cast<uint8_t>(guid.Data2),
                               static_cast<uint8_t>(guid.Data3 >> 8),
                               static_cast<uint8_t>(guid.Data3),
                               guid.Data4[0],
                               guid.Data4[1],
                               guid.Data4[2],
                               guid.Data4[3],
                               guid.Data4[4],
                               guid.Data4[5],
                               guid.Data4[6],
                               guid.Data4[7]};
    std::string text = "{";
    for (size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        for (char c : FormatHex(bytes + i, 1)) {
            text += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
        }
    }
    return text + "}";
}

} // namespace kovr::common
