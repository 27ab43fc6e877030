#include "discovery/platform/secure_zero.h"

#if defined(_WIN32)
#  include <windows.h>
#else
#  include <string.h>
#endif

namespace kovr::platform {

void SecureZero(void *data, size_t length)
{
    if (length == 0) {
        return;
    }
#if defined(_WIN32)
    SecureZeroMemory(data, length);
#else
    explicit_bzero(data, length);
#endif
}

} // namespace kovr::platform
