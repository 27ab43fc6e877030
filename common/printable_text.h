// Device texts made safe to show: devices name themselves, so a name may
// hold control characters, and any bytes at all.
#pragma once

#include <cstddef>
#include <string>

namespace kovr::common {

// Control characters as \xNN, so that on a terminal they can't move the
// cursor or change its settings, and in a file they can't break a line.
std::string Printable(const std::string &text);

// U+FFFD, which stands in for bytes that aren't UTF-8.
extern const char kUtf8Replacement[];

// The length of the valid UTF-8 sequence at text[at], or 0 when there is
// none: no overlong forms, surrogates or code points above U+10FFFF.
size_t Utf8SequenceLength(const std::string &text, size_t at);

// The text with every byte that isn't part of valid UTF-8 replaced by
// U+FFFD, and then Printable: what a window may show of a device's text.
std::string DisplayText(const std::string &text);

} // namespace kovr::common
