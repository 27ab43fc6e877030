// The text fields of a device record.
#pragma once

#include <cstddef>
#include <string>

namespace kovr::common {

// A NUL-terminated field up to its terminator; a field that lacks one ends
// at the field's size rather than running into the next field.
template <size_t N>
std::string FieldText(const char (&field)[N])
{
    size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return std::string(field, length);
}

} // namespace kovr::common
