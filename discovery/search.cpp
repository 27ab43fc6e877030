#include "search.h"

#include <algorithm>

#include "guarded_list.h"
#include "platform/event.h"
#include "platform/message_window.h"
#include "platform/thread.h"
#include "platform/timer.h"
#include "reply_intake.h"
#include "session.h"
#include "transport.h"
#include "wire_format.h"

namespace kovr {

namespace {

// Thousands of devices may answer one request within a few milliseconds,
// and every reply the socket can't hold is a device silently missed. The
// kernel charges a datagram's whole allocation, 1,280 bytes for a 200-byte
// reply and 2,304 for the largest, and grants twice the size asked for: 16 MiB holds the replies of 10,000 devices even while the
// worker gets no processor at all. Without the right to administer the
// network the system caps it (net.core.rmem_max), and the worker must keep up.
constexpr int kSearchReceiveBufferBytes = 16 << 20;

void SetSearching(DiscoverySession *session, bool searching)
{
    __atomic_store_n(&session->searching, searching ? 1 : 0, __ATOMIC_RELEASE);
}

void NotifyCaller(DiscoverySession *session)
{
    if (session->notifyCallback != nullptr) {
        session->notifyCallback(HandleOf(session), session->notifyUserData);
    }
    if (session->notifyWindow != nullptr) {
        // Posting checks that the window still exists at that moment.
        platform::PostWindowMessage(session->notifyWindow, session->notifyMessage, 0,
                                    static_cast<intptr_t>(session->notifyUserData));
    }
    if (session->notifyEvent != nullptr) {
        platform::SetEvent(session->notifyEvent);
    }
}

void CollectReplies(DiscoverySession *session, const SocketSet &set)
{
    const size_t watched = std::min(set.count, kMaxWatchedSockets);
    const int32_t pollMs = PollMilliseconds(session->searchPollInterval);
    // Watching the stop event too lets a stop end the wait at once rather
    // than after the rest of the poll interval; it is consumed below.
    const int stopFd = platform::EventFd(session->stopEvent);
    bool readable[kMaxWatchedSockets];
    QueuedDevices queued;
    for (;;) {
        const int32_t ready = platform::WaitReadable(set.sockets, watched, pollMs, readable, stopFd);
        if (ready < 0) {
            return;
        }
        bool starved = false;
        if (ready > 0) {
            for (size_t i = 0; i < watched; ++i) {
                if (readable[i] && !DrainSocket(session, queued, set.sockets[i])) {
                    starved = true;
                }
            }
            if (Count(session->results) > 0) {
                NotifyCaller(session);
            }
        }
        // A datagram left unread for want of memory keeps its socket
        // readable, so the next wait would return at once: pause for one
        // interval instead of spinning until memory comes back.
        if (platform::WaitEvent(session->stopEvent, starved ? static_cast<uint32_t>(pollMs) : 0) == 0) {
            return;
        }
    }
}

void SearchWorker(void *argument)
{
    auto *session = static_cast<DiscoverySession *>(argument);
    SocketSet set{};
    if (!OpenSocketSet(session, &set)) {
        return;
    }
    for (size_t i = 0; i < set.count; ++i) {
        // Best effort: the system may grant less, and the search works without.
        platform::SetReceiveBufferSize(set.sockets[i], kSearchReceiveBufferBytes);
    }
    uint8_t request[kDiscoveryRequestSize];
    BuildDiscoveryRequest(session, kAllDevices, request);
    // Sent once; a device that misses it is simply not found.
    SendToGroup(session, set.sockets, set.count, request, sizeof request);
    CollectReplies(session, set);
    CloseSocketSet(&set);
}

} // namespace

bool IsSearching(const DiscoverySession *session)
{
    return __atomic_load_n(&session->searching, __ATOMIC_ACQUIRE) != 0;
}

bool IsAsynchronous(const DiscoverySession *session)
{
    return __atomic_load_n(&session->asynchronous, __ATOMIC_ACQUIRE) != 0;
}

void SetAsynchronous(DiscoverySession *session, bool asynchronous)
{
    __atomic_store_n(&session->asynchronous, asynchronous ? 1 : 0, __ATOMIC_RELEASE);
}

int CompareMacAddress(const void *key, const void *record)
{
    if (key == nullptr || record == nullptr) {
        return -1;
    }
    const auto *wanted = static_cast<const uint8_t *>(key);
    const uint8_t *queued = static_cast<const ReplyRecord *>(record)->info.macAddress;
    for (size_t i = 0; i < kMacSize; ++i) {
        if (wanted[i] != queued[i]) {
            return wanted[i] < queued[i] ? -1 : 1;
        }
    }
    return 0;
}

void DiscardResults(GuardedList *queue)
{
    while (void *record = PopFront(queue)) {
        ReleaseRecord(static_cast<ReplyRecord *>(record));
    }
}

void SetSearchNotification(DiscoverySession *session, KOVRSearchNotifyCallback callback, KOVR_WINDOW window,
                           uint32_t message, KOVR_EVENT event, uintptr_t userValue)
{
    if (session == nullptr) {
        return;
    }
    if (callback != nullptr) {
        session->notifyCallback = callback;
        session->notifyUserData = userValue;
        session->notifyWindow = nullptr;
        session->notifyMessage = 0;
        session->notifyEvent = nullptr;
    } else if (platform::IsLiveWindow(window)) {
        session->notifyWindow = window;
        session->notifyMessage = message;
        session->notifyUserData = userValue;
        session->notifyCallback = nullptr;
        session->notifyEvent = nullptr;
    } else if (event != nullptr) {
        session->notifyEvent = event;
        session->notifyCallback = nullptr;
        session->notifyWindow = nullptr;
        session->notifyMessage = 0;
        session->notifyUserData = 0;
    }
}

int32_t StartSearchWorker(DiscoverySession *session)
{
    if (session == nullptr || IsSearching(session)) {
        return -1;
    }
    SetSearching(session, true);
    DiscardResults(session->results);
    // A stop requested after the last worker had ended on its own was never
    // consumed; left set, it would end this search at its first pass.
    platform::WaitEvent(session->stopEvent, 0);
    session->workerThread = platform::StartThread(SearchWorker, session);
    if (session->workerThread == nullptr) {
        SetSearching(session, false);
        return -1;
    }
    return 0;
}

void StopSearchWorker(DiscoverySession *session)
{
    if (session == nullptr || !IsSearching(session)) {
        return;
    }
    platform::CancelTimer(session->searchTimer);
    platform::SetEvent(session->stopEvent);
    platform::JoinThread(session->workerThread);
    session->workerThread = nullptr;
    // The worker may have restarted the idle timer between the cancel above
    // and its end; that expiry must not outlive the search.
    platform::CancelTimer(session->searchTimer);
    SetSearching(session, false);
}

void SyncSearchNotify(KOVR_HANDLE handle, uintptr_t /*userValue*/)
{
    DiscoverySession *session = FindSession(handle);
    if (session == nullptr || session->idleLimitInfinite) {
        return;
    }
    platform::StartTimer(session->searchTimer, session->idleDueTime);
}

int32_t RunSyncSearch(DiscoverySession *session, uint32_t idleLimitMs, uint32_t totalLimitMs)
{
    if (session == nullptr || IsSearching(session)) {
        return -1;
    }
    if (idleLimitMs == 0 || totalLimitMs == 0 || (idleLimitMs == KOVR_INFINITE && totalLimitMs == KOVR_INFINITE)) {
        return -1;
    }
    session->idleDueTime = -static_cast<int64_t>(idleLimitMs) * kTicksPerMillisecond;
    session->idleLimitInfinite = idleLimitMs == KOVR_INFINITE;
    SetSearchNotification(session, SyncSearchNotify, nullptr, 0, nullptr, 0);
    // An expiry left over from an earlier search would end this one at once.
    platform::CancelTimer(session->searchTimer);
    if (StartSearchWorker(session) != 0) {
        return -1;
    }
    platform::WaitTimer(session->searchTimer, totalLimitMs);
    StopSearchWorker(session);
    return Count(session->results);
}

} // namespace kovr
