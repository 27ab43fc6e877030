// The renderings of single record fields that every output format shares.
#pragma once

#include <kovr/kovr.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace kovr::cli {

// "Enabled" or "Disabled" when the device reported its DHCP mode, else "N/A".
std::string DhcpText(const KOVRDeviceInfoRecord &record);

// A text field up to its terminator, never past the field's end.
template <size_t N>
std::string FieldText(const char (&field)[N])
{
    size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return std::string(field, length);
}

// Devices name themselves, so a name may hold control characters; shown on
// a terminal as \xNN, they can't move the cursor or change its settings.
std::string Printable(const std::string &text);

// Lower-case hexadecimal digits, two per byte, no separators.
std::string HexBytes(const uint8_t *data, size_t size);

// Characters a terminal shows for UTF-8 text (continuation bytes take no column).
size_t DisplayWidth(const std::string &text);

} // namespace kovr::cli
