#include <windows.h>

#include <cstdio>
#include <cstring>

#include "discovery/platform/system_errors.h"

namespace kovr::platform {

SystemError LastSystemError()
{
    // Windows Sockets report through the same per-thread value.
    const DWORD error = GetLastError();
    return error != 0 ? static_cast<SystemError>(error) : kUnknownError;
}

void DescribeSystemError(SystemError error, char *buffer, size_t size)
{
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    DWORD length = 0;
    if (error > 0) {
        length =
            FormatMessageA(flags, nullptr, static_cast<DWORD>(error), 0, buffer, static_cast<DWORD>(size), nullptr);
    }
    if (length == 0) {
        if (error > 0) {
            std::snprintf(buffer, size, "system error %d", error);
        } else {
            std::snprintf(buffer, size, "unknown failure");
        }
        return;
    }
    // The system's texts end in a full stop and a space, which the message
    // they go into doesn't want.
    while (length > 0 && (buffer[length - 1] == ' ' || buffer[length - 1] == '.')) {
        buffer[--length] = '\0';
    }
}

} // namespace kovr::platform
