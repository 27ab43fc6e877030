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

#ifdef _WIN32
// The same for a Windows file handle (a HANDLE): false with the system's
// last error set when it stops short.
bool WriteAll(void *file, const std::string &text);
#endif

} // namespace kovr::common
