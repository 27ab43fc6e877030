// Writing text to a descriptor in full, retrying short writes and signals;
// for the terminal and stderr, where stdio's buffers don't fit.
#pragma once

#include <string>

namespace kovr::cli {

// Gives up silently on an error: nothing useful can be said about a
// terminal that can't be written to.
void WriteAll(int fd, const std::string &text);

} // namespace kovr::cli
