// Exported search functions: the starters, the result queue and the stop.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "guarded_list.h"
#include "kovr/kovr.h"
#include "platform/event.h"
#include "platform/message_window.h"
#include "search.h"
#include "session.h"
#include "wire_format.h"

using namespace kovr;

namespace {

// The part that the three asynchronous starters share, once each has
// checked its own arguments.
int32_t StartAsyncSearch(KOVR_HANDLE h, KOVRSearchNotifyCallback callback, KOVR_WINDOW window, uint32_t message,
                         KOVR_EVENT event, uintptr_t userValue)
{
    DiscoverySession *session = FindSession(h);
    if (session == nullptr || IsSearching(session)) {
        return -1;
    }
    SetAsynchronous(session, true);
    SetSearchNotification(session, callback, window, message, event, userValue);
    SetSessionError(session, kErrorNone, kMessageSucceeded);
    return StartSearchWorker(session);
}

} // namespace

extern "C" {

KOVR_API int32_t KOVRStartSyncSearch(KOVR_HANDLE h)
{
    return KOVRStartSyncSearchEx(h, 5000, 60000);
}

KOVR_API int32_t KOVRStartSyncSearchEx(KOVR_HANDLE h, uint32_t idleLimitMs, uint32_t totalLimitMs)
{
    if (!IsRegistered(h)) {
        return -1;
    }
    DiscoverySession *session = FindSession(h);
    if (session == nullptr || IsSearching(session)) {
        return -1;
    }
    SetAsynchronous(session, false);
    SetSessionError(session, kErrorNone, kMessageSucceeded);
    return RunSyncSearch(session, idleLimitMs, totalLimitMs);
}

KOVR_API int32_t KOVRStartAsyncSearchCallback(KOVR_HANDLE h, KOVRSearchNotifyCallback cb, uintptr_t userValue)
{
    if (!IsRegistered(h) || cb == nullptr) {
        return -1;
    }
    return StartAsyncSearch(h, cb, nullptr, 0, nullptr, userValue);
}

KOVR_API int32_t KOVRStartAsyncSearchMessage(KOVR_HANDLE h, KOVR_WINDOW window, uint32_t message, uintptr_t userValue)
{
    if (!IsRegistered(h) || !platform::IsLiveWindow(window) || message == 0) {
        return -1;
    }
    return StartAsyncSearch(h, nullptr, window, message, nullptr, userValue);
}

KOVR_API int32_t KOVRStartAsyncSearchEvent(KOVR_HANDLE h, KOVR_EVENT event)
{
    // An event that isn't live could never be set; refusing it up front
    // tells the caller rather than leaving a search that never notifies.
    if (!IsRegistered(h) || !platform::IsLiveEvent(event)) {
        return -1;
    }
    return StartAsyncSearch(h, nullptr, nullptr, 0, event, 0);
}

KOVR_API int32_t KOVRGetSearchResultCount(KOVR_HANDLE h)
{
    DiscoverySession *session = IsRegistered(h) ? FindSession(h) : nullptr;
    return session == nullptr ? -1 : Count(session->results);
}

KOVR_API int32_t KOVRGetSearchResults(KOVR_HANDLE h, KOVRDeviceInfoRecord *records, uint32_t capacity)
{
    if (!IsRegistered(h) || capacity == 0 || records == nullptr) {
        return -1;
    }
    DiscoverySession *session = FindSession(h);
    if (session == nullptr) {
        return -1;
    }
    int32_t copied = 0;
    // One pop per record, so replies queued meanwhile still fit in this call.
    while (static_cast<uint32_t>(copied) < capacity && copied < INT32_MAX) {
        auto *record = static_cast<ReplyRecord *>(PopFront(session->results));
        if (record == nullptr) {
            break;
        }
        std::memcpy(&records[copied], &record->info, sizeof(KOVRDeviceInfoRecord));
        std::free(record);
        ++copied;
    }
    return copied;
}

KOVR_API void KOVRStopSearch(KOVR_HANDLE h)
{
    DiscoverySession *session = IsRegistered(h) ? FindSession(h) : nullptr;
    // A synchronous search is ended only by its own starter.
    if (session != nullptr && IsSearching(session) && IsAsynchronous(session)) {
        StopSearchWorker(session);
    }
}

}
