// The session's error numbers and texts, defined together so that they can
// never drift apart, and the per-session error state that records them.
#pragma once

#include "kovr/kovr.h"

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kovr {

constexpr size_t kErrorMessageSize = 256;

// Every error the library records of its own, by name; a device's errors
// come with their own number and text.
enum class Status {
    Succeeded,
    TimedOut,
    AuthenticationFailed,
    InvalidAddress,
    NoLocalAddress,
    PasswordTooLong,
    NoChallenge,
};

struct StatusEntry {
    int32_t number;
    const char *text;
};
// In the order of Status. The local failures share the library's -1.
constexpr StatusEntry kStatusTable[] = {
    {0, "Operation succeeded"},
    {KOVR_TIMED_OUT, "Operation timed out"},
    {1, "Authentication Failed"},
    {KOVR_FAILED, "Invalid device address"},
    {KOVR_FAILED, "No local IPv4 address"},
    {KOVR_FAILED, "Password too long"},
    // A number no device can send, so that callers can tell that nothing went out.
    {KOVR_ERROR_NO_CHALLENGE, KOVR_NO_CHALLENGE_MESSAGE},
};

static_assert(sizeof kStatusTable / sizeof kStatusTable[0] == static_cast<size_t>(Status::NoChallenge) + 1,
              "one entry per status");

constexpr const StatusEntry &EntryOf(Status status)
{
    return kStatusTable[static_cast<size_t>(status)];
}

// A network failure: kNetworkErrorPrefix, then the system's reason.
constexpr const char *kNetworkErrorPrefix = "Network error: ";

// The last error of a session. Any thread may read it while another call
// on the same session records one, so it carries its own lock.
class ErrorState {
public:
    ErrorState() { Record(Status::Succeeded); }

    void Record(Status status) { Record(EntryOf(status).number, EntryOf(status).text); }
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
