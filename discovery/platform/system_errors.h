// What a failed platform call reports: the system's own error number, so
// that callers can show its reason without reading errno afterwards.
#pragma once

#include <cstddef>
#include <string>

namespace kovr::platform {

using SystemError = int;
constexpr SystemError kNoError = 0;
// A failure without a system reason, such as an injected fault.
constexpr SystemError kUnknownError = -1;

// The calling thread's last system error, read right after the failed call.
SystemError LastSystemError();

// The system's text for an error number, cut to fit `size` bytes with its
// NUL; "unknown failure" for kUnknownError and other numbers it doesn't know.
void DescribeSystemError(SystemError error, char *buffer, size_t size);

// The same text, for callers that keep it.
inline std::string SystemErrorText(SystemError error)
{
    char text[256];
    DescribeSystemError(error, text, sizeof text);
    return text;
}

} // namespace kovr::platform
