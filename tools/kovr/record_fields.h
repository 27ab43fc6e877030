// The renderings of single record fields that every output format shares.
#pragma once

#include "common/device_info_lines.h"
#include "common/field_text.h"
#include "common/hex.h"
#include "common/printable_text.h"

#include <cstddef>
#include <string>

namespace kovr::cli {

using common::DhcpText;
using common::FieldText;
using common::FormatHex;
using common::Printable;

// Characters a terminal shows for UTF-8 text (continuation bytes take no column).
size_t DisplayWidth(const std::string &text);

} // namespace kovr::cli
