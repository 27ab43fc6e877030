#pragma once

#include "common/field_text.h"

#include <QString>

#include <stdint.h>

namespace kovr::locator {

// How the windows render the fields of a device record.

// "02:1a:2b:3c:4d:5e": the six bytes in record order, lower-case hexadecimal.
QString FormatMacAddress(const uint8_t *mac);

// Dotted decimal without leading zeros, from an address in network byte order.
QString FormatDottedAddress(uint32_t networkOrder);

// A NUL-terminated text field of the record; a field that lacks its NUL ends
// at the field's size rather than running into the next field.
template <size_t N>
QString RecordText(const char (&field)[N])
{
    return QString::fromStdString(common::FieldText(field));
}

// The address controls hold the first octet in the most significant byte;
// records hold addresses in network byte order.
uint32_t PackedFromNetworkOrder(uint32_t networkOrder);
uint32_t NetworkOrderFromPacked(uint32_t packed);

} // namespace kovr::locator
