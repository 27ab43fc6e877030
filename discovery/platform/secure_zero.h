// Wiping secrets: a write of zeros that the compiler may not drop as dead.
#pragma once

#include <cstddef>

namespace kovr::platform {

void SecureZero(void *data, size_t length);

} // namespace kovr::platform
