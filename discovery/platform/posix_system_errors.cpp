#include <cerrno>
#include <cstdio>
#include <cstring>

#include "discovery/platform/system_errors.h"

namespace kovr::platform {

SystemError LastSystemError()
{
    return errno != 0 ? errno : kUnknownError;
}

void DescribeSystemError(SystemError error, char *buffer, size_t size)
{
    // Some failures (an injected fault, a call that sets no errno) come
    // without a reason; "Success" would be a misleading one.
    if (error <= 0) {
        std::snprintf(buffer, size, "unknown failure");
        return;
    }
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char *text = strerror_r(error, buffer, size);
    if (text != buffer) {
        std::snprintf(buffer, size, "%s", text);
    }
}

} // namespace kovr::platform
