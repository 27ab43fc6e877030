// The search engine: a worker thread per searching session that collects
// DiscoveryReplies into the session's ResultQueue and notifies the caller.
#pragma once

#include <cstdint>

#include "kovr/kovr.h"

namespace kovr {

struct DiscoverySession;
struct GuardedList;

int32_t StartSearchWorker(DiscoverySession *session);
void StopSearchWorker(DiscoverySession *session);
void SetSearchNotification(DiscoverySession *session, KOVRSearchNotifyCallback callback, KOVR_WINDOW window,
                           uint32_t message, KOVR_EVENT event, uintptr_t userValue);
int32_t RunSyncSearch(DiscoverySession *session, uint32_t idleLimitMs, uint32_t totalLimitMs);
void SyncSearchNotify(KOVR_HANDLE handle, uintptr_t userValue);
void DiscardResults(GuardedList *queue);
// The searching and asynchronous flags. KOVRStopSearch may read them on any
// thread while a synchronous search runs, so they are accessed atomically.
bool IsSearching(const DiscoverySession *session);
bool IsAsynchronous(const DiscoverySession *session);
void SetAsynchronous(DiscoverySession *session, bool asynchronous);
int CompareMacAddress(const void *key, const void *record);

} // namespace kovr
