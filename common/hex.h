// Bytes as hexadecimal text: two digits per byte, no separators.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kovr::common {

// The byte spelt by the two digits at `at`, in either case.
std::optional<uint8_t> HexByteAt(std::string_view text, size_t at);

// An even number of digits, in either case; empty text is no bytes.
std::optional<std::vector<uint8_t>> ParseHex(std::string_view text);

// Lower case.
std::string FormatHex(const uint8_t *data, size_t size);

} // namespace kovr::common
