// The per-open state behind a KOVR_HANDLE, the process-wide registry that
// validates handles, and the per-session error state.
#pragma once

#include <cstdint>

#include "kovr/kovr.h"

namespace kovr {

struct GuardedList;
namespace platform {
struct Timer;
struct Thread;
} // namespace platform

struct PollInterval {
    int32_t seconds;
    int32_t microseconds;
};

constexpr uint32_t kMagicQuma = KOVR_MAGIC_QUMA;
constexpr uint32_t kMagicLorx = KOVR_MAGIC_LORX;
constexpr uint32_t kMagicTesk = KOVR_MAGIC_TESK;
constexpr uint16_t kDefaultPort = 2362;
constexpr const char *kDefaultGroup = "224.0.5.128";
constexpr size_t kErrorMessageSize = 256;

// Due times are relative, in 100 ns units, stored negative.
constexpr int64_t kTicksPerMillisecond = 10000;

struct DiscoverySession {
    uint32_t magic;
    KOVR_GUID guid;
    int32_t lastError;
    char lastErrorMessage[kErrorMessageSize];
    uint32_t multicastTtl;
    uint32_t groupAddress; // network byte order
    uint16_t port;         // host byte order
    PollInterval pollInterval;
    int64_t commandTimeout;
    int64_t queryTimeout;
    int32_t searching;
    int32_t asynchronous;
    platform::Thread *workerThread;
    PollInterval searchPollInterval;
    KOVRSearchNotifyCallback notifyCallback;
    KOVR_WINDOW notifyWindow;
    uint32_t notifyMessage;
    KOVR_EVENT notifyEvent;
    uintptr_t notifyUserData;
    KOVR_EVENT stopEvent;
    int64_t idleDueTime;
    bool idleLimitInfinite;
    platform::Timer *searchTimer;
    GuardedList *results;
};

DiscoverySession *CreateSession(uint32_t magic, const KOVR_GUID *guid);
void DestroySession(DiscoverySession *session);
// Never reads through the handle: the registry compares identities.
bool IsRegistered(KOVR_HANDLE handle);
DiscoverySession *FindSession(KOVR_HANDLE handle);
KOVR_HANDLE HandleOf(DiscoverySession *session);
void SetSessionError(DiscoverySession *session, int32_t number, const char *message);

// Session error numbers and their texts, kept together so they can't drift.
constexpr int32_t kErrorNone = 0;
constexpr int32_t kErrorTimedOut = -2;
constexpr int32_t kErrorAuthentication = 1;
constexpr int32_t kErrorLocal = -1;
extern const char *const kMessageSucceeded;      // "Operation succeeded"
extern const char *const kMessageTimedOut;       // "Operation timed out"
extern const char *const kMessageAuthentication; // "Authentication Failed"
// Local failures of the device operations, recorded with kErrorLocal.
extern const char *const kMessageInvalidAddress;   // "Invalid device address"
extern const char *const kMessageNoLocalAddress;   // "No local IPv4 address"
extern const char *const kMessagePasswordTooLong;  // "Password too long"
extern const char *const kMessageNetworkErrorPrefix; // "Network error: ", then the system's reason

} // namespace kovr
