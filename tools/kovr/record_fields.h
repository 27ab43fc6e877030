// The renderings of single record fields that every output format shares.
#pragma once

#include "common/device_info_lines.h"
#include "common/field_text.h"
#include "common/hex.h"

#include <cstddef>
#include <string>

namespace kovr::cli {

using common::DhcpText;
using common::FieldText;
using common::FormatHex;

// Devices name themselves, so a name may hold control characters; shown on
// a terminal as \xNN, they can't move the cursor or change its settings.
std::string Printable(const std::string &text);

// Characters a terminal shows for UTF-8 text (continuation bytes take no column).
size_t DisplayWidth(const std::string &text);

} // namespace kovr::cli
