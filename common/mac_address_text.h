// MAC addresses as text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kovr::common {

using MacAddress = std::array<uint8_t, 6>;

// Six two-digit hexadecimal bytes in either case, separated by ':' or by
// '-' (one kind throughout): "02:4b:52:00:0a:FF", "02-4B-52-00-0A-FF".
std::optional<MacAddress> ParseMac(std::string_view text);

// "02:4b:52:00:0a:ff": the six bytes in order, lower case, colons.
std::string FormatMac(const uint8_t *mac);

// ff:ff:ff:ff:ff:ff, which every device answers: never one device's MAC.
bool IsAllDevicesAddress(const MacAddress &mac);

} // namespace kovr::common
