// Text forms of the values kovr reads from its command line and prints:
// MAC addresses, IPv4 addresses, subnet masks, GUIDs, session magics and
// time limits. The parsers are strict, so that a typing mistake is refused
// before anything is sent to a device.
#pragma once

#include <kovr/kovr.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kovr::cli {

using MacAddress = std::array<uint8_t, 6>;

// Six two-digit hexadecimal bytes separated by ':' or '-' (one kind only),
// in either case: "02:00:00:00:00:01", "02-00-00-00-00-0A".
std::optional<MacAddress> ParseMac(const std::string &text);
// Lower-case and colon-separated, as the locator shows it.
std::string FormatMac(const uint8_t *mac);
bool IsAllDevicesAddress(const MacAddress &mac);

// Dotted decimal with exactly four parts of 0 to 255 and no leading zeros
// (which some parsers read as octal). The result is in network byte order.
std::optional<uint32_t> ParseIpv4(const std::string &text);
// A dotted address whose one bits are contiguous from the top.
std::optional<uint32_t> ParseSubnetMask(const std::string &text);
// Renders an address held in network byte order.
std::string FormatIpv4(uint32_t networkOrder);

// "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}", braces optional, either case.
std::optional<KOVR_GUID> ParseGuid(const std::string &text);
// Upper case with braces.
std::string FormatGuid(const KOVR_GUID &guid);

// QUMA, LORX or TESK, in either case.
std::optional<uint32_t> ParseMagic(const std::string &text);

// Milliseconds from 1 to 4294967295, or "infinite" for KOVR_INFINITE
// (which 4294967295 also is).
std::optional<uint32_t> ParseMilliseconds(const std::string &text);

// The GUID of the locator's sessions, used when no session is chosen.
extern const KOVR_GUID kLocatorSessionGuid;

} // namespace kovr::cli
