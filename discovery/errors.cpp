#include "discovery/errors.h"

#include <cstdio>
#include <cstring>

#include "discovery/platform/system_errors.h"

namespace kovr {

void ErrorState::Record(int32_t number, const char *message)
{
    std::lock_guard<std::mutex> lock(mutex_);
    number_ = number;
    // Copy at most 255 characters and pad with NULs; the last byte stays NUL.
    const size_t length = strnlen(message, kErrorMessageSize - 1);
    std::memmove(message_, message, length);
    std::memset(message_ + length, 0, kErrorMessageSize - length);
}

void ErrorState::RecordNetworkError(int systemError)
{
    char reason[128];
    platform::DescribeSystemError(systemError, reason, sizeof reason);
    char message[kErrorMessageSize];
    std::snprintf(message, sizeof message, "%s%s", kNetworkErrorPrefix, reason);
    Record(KOVR_FAILED, message);
}

int32_t ErrorState::Number() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return number_;
}

void ErrorState::CopyMessage(char *buffer, size_t size) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t length = strnlen(message_, size);
    std::memcpy(buffer, message_, length);
    std::memset(buffer + length, 0, size - length);
    buffer[size - 1] = '\0';
}

} // namespace kovr
