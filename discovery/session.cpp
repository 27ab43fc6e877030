#include "session.h"

#include <arpa/inet.h>

#include <cstdlib>
#include <cstring>

#include "guarded_list.h"
#include "platform/event.h"
#include "platform/fault_injection.h"
#include "platform/socket_library.h"
#include "platform/timer.h"
#include "search.h"

namespace kovr {

// Every error text the library stores, in one place.
const char *const kMessageSucceeded = "Operation succeeded";
const char *const kMessageTimedOut = "Operation timed out";
const char *const kMessageAuthentication = "Authentication Failed";
const char *const kMessageInvalidAddress = "Invalid device address";
const char *const kMessageNoLocalAddress = "No local IPv4 address";
const char *const kMessagePasswordTooLong = "Password too long";
const char *const kMessageNetworkErrorPrefix = "Network error: ";

namespace {

constexpr uint32_t kDefaultMulticastTtl = 64;
constexpr PollInterval kDefaultPollInterval = {0, 200000};
constexpr int64_t kDefaultCommandTimeout = -30000 * kTicksPerMillisecond;
constexpr int64_t kDefaultQueryTimeout = -5000 * kTicksPerMillisecond;
constexpr int64_t kDefaultIdleDueTime = -5000 * kTicksPerMillisecond;

// The SessionRegistry: empty and without a lock from program start. Its lock
// is made by the first list operation; two threads that make their first
// calls at once agree on one lock (see the guarded list).
GuardedList g_registry;

uint32_t GroupAddress()
{
    in_addr address{};
    inet_pton(AF_INET, kDefaultGroup, &address);
    return address.s_addr;
}

void SetDefaults(DiscoverySession *session)
{
    session->multicastTtl = kDefaultMulticastTtl;
    session->groupAddress = GroupAddress();
    session->commandTimeout = kDefaultCommandTimeout;
    session->queryTimeout = kDefaultQueryTimeout;
    session->port = kDefaultPort;
    session->pollInterval = kDefaultPollInterval;
    session->searching = 0;
    session->asynchronous = 0;
    session->searchPollInterval = kDefaultPollInterval;
    session->notifyCallback = nullptr;
    session->notifyWindow = nullptr;
    session->notifyMessage = 0;
    session->notifyEvent = nullptr;
    session->notifyUserData = 0;
}

} // namespace

DiscoverySession *CreateSession(uint32_t magic, const KOVR_GUID *guid)
{
    if (guid == nullptr || !platform::StartSocketLibrary()) {
        return nullptr;
    }
    DiscoverySession *session = nullptr;
    if (!platform::ShouldFail(platform::Fault::SessionAllocation)) {
        session = static_cast<DiscoverySession *>(std::calloc(1, sizeof(DiscoverySession)));
    }
    if (session == nullptr) {
        platform::ReleaseSocketLibrary();
        return nullptr;
    }

    session->magic = magic;
    std::memcpy(&session->guid, guid, sizeof session->guid);
    SetSessionError(session, kErrorNone, kMessageSucceeded);
    SetDefaults(session);

    session->stopEvent = platform::CreateAutoResetEvent();
    if (session->stopEvent != nullptr) {
        session->idleDueTime = kDefaultIdleDueTime;
        session->searchTimer = platform::CreateTimer();
    }
    if (session->searchTimer != nullptr) {
        session->results = CreateList();
    }
    if (session->results == nullptr || Append(&g_registry, session) < 0) {
        // DestroySession releases exactly what was acquired, whatever step failed.
        DestroySession(session);
        return nullptr;
    }
    return session;
}

void DestroySession(DiscoverySession *session)
{
    if (session == nullptr) {
        return;
    }
    RemoveEntry(&g_registry, session);
    if (session->stopEvent != nullptr) {
        platform::CloseEvent(session->stopEvent);
    }
    if (session->searchTimer != nullptr) {
        platform::CloseTimer(session->searchTimer);
    }
    if (session->results != nullptr) {
        DiscardResults(session->results);
        DestroyList(session->results);
    }
    platform::ReleaseSocketLibrary();
    std::free(session);
}

bool IsRegistered(KOVR_HANDLE handle)
{
    return handle != nullptr && Contains(&g_registry, handle);
}

DiscoverySession *FindSession(KOVR_HANDLE handle)
{
    // The identity is checked before the pointer is ever used as a session.
    return IsRegistered(handle) ? reinterpret_cast<DiscoverySession *>(handle) : nullptr;
}

KOVR_HANDLE HandleOf(DiscoverySession *session)
{
    return reinterpret_cast<KOVR_HANDLE>(session);
}

void SetSessionError(DiscoverySession *session, int32_t number, const char *message)
{
    if (session == nullptr || message == nullptr) {
        return;
    }
    session->lastError = number;
    // Copy at most 255 characters and pad with NULs; the last byte stays NUL.
    const size_t length = strnlen(message, kErrorMessageSize - 1);
    std::memmove(session->lastErrorMessage, message, length);
    std::memset(session->lastErrorMessage + length, 0, kErrorMessageSize - length);
}

} // namespace kovr
