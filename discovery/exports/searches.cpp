// Exported search functions: the starters, the result queue and the stop.
#include <cstdint>
#include <cstring>

#include "discovery/handles.h"
#include "discovery/session.h"
#include "kovr/kovr.h"

using namespace kovr;

namespace {

int32_t StartAsync(KOVR_HANDLE h, const NotifyTarget &target)
{
    const SessionPointer session = FindSession(h);
    if (session == nullptr) {
        return KOVR_FAILED;
    }
    return StartAsyncSearch(*session->search, session->identity, session->transport, session->errors, target);
}

} // namespace

extern "C" {

KOVR_API int32_t KOVRStartSyncSearch(KOVR_HANDLE h)
{
    return KOVRStartSyncSearchEx(h, 5000, 60000);
}

KOVR_API int32_t KOVRStartSyncSearchEx(KOVR_HANDLE h, uint32_t idleLimitMs, uint32_t totalLimitMs)
{
    const SessionPointer session = FindSession(h);
    if (session == nullptr) {
        return KOVR_FAILED;
    }
    return RunSyncSearch(*session->search, session->identity, session->transport, session->errors, idleLimitMs,
                         totalLimitMs);
}

KOVR_API int32_t KOVRStartAsyncSearchCallback(KOVR_HANDLE h, KOVRSearchNotifyCallback cb, uintptr_t userValue)
{
    if (cb == nullptr) {
        return KOVR_FAILED;
    }
    return StartAsync(h, CallbackTarget{cb, h, userValue});
}

KOVR_API int32_t KOVRStartAsyncSearchMessage(KOVR_HANDLE h, KOVR_WINDOW window, uint32_t message, uintptr_t userValue)
{
    if (message == 0 || !IsLiveWindow(window)) {
        return KOVR_FAILED;
    }
    return StartAsync(h, WindowTarget{window, message, userValue});
}

KOVR_API int32_t KOVRStartAsyncSearchEvent(KOVR_HANDLE h, KOVR_EVENT event)
{
    // An event that isn't live could never be set; refusing it up front
    // tells the caller rather than leaving a search that never notifies.
    if (!IsLiveEvent(event)) {
        return KOVR_FAILED;
    }
    return StartAsync(h, EventTarget{event});
}

KOVR_API int32_t KOVRGetSearchResultCount(KOVR_HANDLE h)
{
    const SessionPointer session = FindSession(h);
    return session == nullptr ? KOVR_FAILED : session->search->results.Count();
}

KOVR_API int32_t KOVRGetSearchResults(KOVR_HANDLE h, KOVRDeviceInfoRecord *records, uint32_t capacity)
{
    const SessionPointer session = FindSession(h);
    if (session == nullptr || capacity == 0 || records == nullptr) {
        return KOVR_FAILED;
    }
    int32_t copied = 0;
    std::unique_ptr<ReplyRecord> record;
    // One pop per record, so replies queued meanwhile still fit in this call.
    while (static_cast<uint32_t>(copied) < capacity && copied < INT32_MAX &&
           session->search->results.PopFront(&record)) {
        std::memcpy(&records[copied], &record->info, sizeof(KOVRDeviceInfoRecord));
        ++copied;
    }
    return copied;
}

KOVR_API void KOVRStopSearch(KOVR_HANDLE h)
{
    if (const SessionPointer session = FindSession(h)) {
        StopAsyncSearch(*session->search);
        // A search that could not go out leaves its reason as the last error.
        RecordOpenFailure(*session->search, session->errors);
    }
}
}
