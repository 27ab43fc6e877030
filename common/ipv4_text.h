// IPv4 addresses as dotted decimal text. Addresses are held in network byte
// order, as the library's record and calls hold them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kovr::common {

// Exactly four parts of 0 to 255 separated by dots, decimal digits only and
// no leading zeros (which some readers take for octal).
std::optional<uint32_t> ParseIpv4(std::string_view text);

// Four decimal numbers without leading zeros: "10.0.0.5".
std::string FormatIpv4(uint32_t networkOrder);

} // namespace kovr::common
