// How the windows render the fields of a device record. Device text is
// untrusted: it reaches the faces as valid UTF-8 without control characters.
#pragma once

#include "common/field_text.h"
#include "common/printable_text.h"

#include <cstdint>
#include <string>

namespace kovr::locator {

// "02:1a:2b:3c:4d:5e": the six bytes in record order, lower-case hexadecimal.
std::string FormatMacAddress(const uint8_t *mac);

// Dotted decimal without leading zeros, from an address in network byte order.
std::string FormatDottedAddress(uint32_t networkOrder);

// A NUL-terminated text field of the record, up to its NUL (or the field's
// end), made safe to show.
template <size_t N>
std::string RecordText(const char (&field)[N])
{
    return common::DisplayText(common::FieldText(field));
}

// The address controls hold the first octet in the most significant byte;
// records hold addresses in network byte order.
uint32_t PackedFromNetworkOrder(uint32_t networkOrder);
uint32_t NetworkOrderFromPacked(uint32_t packed);

} // namespace kovr::locator
