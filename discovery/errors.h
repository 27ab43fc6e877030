// The session's error numbers and texts, defined together so that they can
// never drift apart, and the per-session error state that records them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kovr {

constexpr size_t kErrorMessageSize = 256;

struct ErrorEntry {
    int32_t number;
    const char *text;
};

constexpr ErrorEntry kSucceeded{0, "Operation succeeded"};
constexpr ErrorEntry kTimedOut{-2, "Operation timed out"};
constexpr ErrorEntry kAuthenticationFailed{1, "Authentication Failed"};
// Local failures of the device operations.
constexpr ErrorEntry kInvalidAddress{-1, "Invalid device address"};
constexpr ErrorEntry kNoLocalAddress{-1, "No local IPv4 address"};
constexpr ErrorEntry kPasswordTooLong{-1, "Password too long"};
// A network failure: kNetworkErrorPrefix, then the system's reason.
constexpr int32_t kNetworkErrorNumber = -1;
constexpr const char *kNetworkErrorPrefix = "Network error: ";

// The last error of a session. Any thread may read it while another call
// on the same session records one, so it carries its own lock.
class ErrorState {
public:
    ErrorState() { Record(kSucceeded); }

    void Record(const ErrorEntry &entry) { Record(entry.number, entry.text); }
    // Keeps at most 255 characters of the message.
    void Record(int32_t number, const char *message);
    // -1 "Network error: " and the reason for a platform SystemError.
    void RecordNetworkError(int systemError);

    int32_t Number() const;
    // The message, then NULs up to size; a longer message is cut to size - 1.
    void CopyMessage(char *buffer, size_t size) const;

private:
    mutable std::mutex mutex_;
    int32_t number_ = 0;
    char message_[kErrorMessageSize] = {};
};

} // namespace kovr
