// GUIDs as text.
#pragma once

#include <kovr/kovr.h>

#include <optional>
#include <string>
#include <string_view>

namespace kovr::common {

// "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}": the braces are optional (both
// or neither), the digits in either case.
std::optional<KOVR_GUID> ParseGuid(std::string_view text);

// Upper case with braces, as above.
std::string FormatGuid(const KOVR_GUID &guid);

} // namespace kovr::common
