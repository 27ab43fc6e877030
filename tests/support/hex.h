// Bytes and their hex text, as the tests print and compare them and as the
// simulator logs datagrams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kovr::test {

using Bytes = std::vector<uint8_t>;

// Lower-case hex digits, two per byte, nothing between them.
std::string Hex(const uint8_t *bytes, size_t length);
std::string Hex(const Bytes &bytes);
// The bytes of such text; a trailing odd digit is ignored.
Bytes FromHex(const std::string &hex);

} // namespace kovr::test
