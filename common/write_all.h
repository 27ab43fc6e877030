// Writing text to a descriptor in full, retrying short writes and signals;
// for the terminal and stderr, where stdio's buffers don't fit, and files
// that must be written whole.
#pragma once

#include <string>

namespace kovr::common {

// False with errno set when it stops short (ENOSPC when nothing more can be
// written). The terminal's callers ignore it: nothing useful can be said
// about a terminal that can't be written to.
bool WriteAll(int fd, const std::string &text);

} // namespace kovr::common
