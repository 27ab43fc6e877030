// Text forms of the values kovr reads from its command line and prints:
// MAC addresses, IPv4 addresses, subnet masks, GUIDs, session magics and
// time limits. The parsers are strict, so that a typing mistake is refused
// before anything is sent to a device.
#pragma once

#include "common/guid_text.h"
#include "common/ipv4_text.h"
#include "common/mac_address_text.h"

#include <kovr/kovr.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kovr::cli {

// MACs, IPv4 addresses and GUIDs read and print as in the other programs.
using common::FormatGuid;
using common::FormatIpv4;
using common::FormatMac;
using common::IsAllDevicesAddress;
using common::MacAddress;
using common::ParseGuid;
using common::ParseIpv4;
using common::ParseMac;

// QUMA, LORX or TESK, in either case.
std::optional<uint32_t> ParseMagic(const std::string &text);

// Milliseconds from 1 to 4294967295, or "infinite" for KOVR_INFINITE
// (which 4294967295 also is).
std::optional<uint32_t> ParseMilliseconds(const std::string &text);

// The GUID of the locator's sessions, used when no session is chosen.
extern const KOVR_GUID kLocatorSessionGuid;

} // namespace kovr::cli
