// UTF-16, the text of Qt's strings and of Win32's wide calls, as the UTF-8
// that kovr and the locator use everywhere else: on the wire, in files and
// in the windows' texts.
#pragma once

#include <cstddef>
#include <optional>

namespace kovr::common {

// Writes the text as UTF-8 to out, an unpaired surrogate as U+FFFD, and
// gives the bytes written; none when they would pass `capacity`, and then
// whatever was written is the caller's to wipe. No unit makes more than
// three bytes.
std::optional<size_t> Utf8FromUtf16(const char16_t *text, size_t length, char *out, size_t capacity);

} // namespace kovr::common
