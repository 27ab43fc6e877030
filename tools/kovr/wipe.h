// Overwriting memory that held a password with zeros, in a way the compiler
// may not drop as a dead store.
#pragma once

#include <cstddef>

namespace kovr::cli {

void WipeBytes(void *data, size_t size);

} // namespace kovr::cli
