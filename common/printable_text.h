// Device texts made safe to show: devices name themselves, so a name may
// hold control characters.
#pragma once

#include <string>

namespace kovr::common {

// Control characters as \xNN, so that on a terminal they can't move the
// cursor or change its settings, and in a file they can't break a line.
std::string Printable(const std::string &text);

} // namespace kovr::common
