// The search engine: a worker thread per searching session that collects
// DiscoveryReplies into the session's ResultQueue and notifies the caller.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <variant>

#include "discovery/errors.h"
#include "discovery/platform/event.h"
#include "discovery/platform/thread.h"
#include "discovery/platform/timer.h"
#include "discovery/reply_intake.h"
#include "discovery/transport.h"
#include "kovr/kovr.h"

namespace kovr {

// Whom the worker tells that results are waiting.
struct CallbackTarget {
    KOVRSearchNotifyCallback callback;
    KOVR_HANDLE session;
    uintptr_t userValue;
};
struct WindowTarget {
    KOVR_WINDOW window;
    uint32_t message;
    uintptr_t userValue;
};
struct EventTarget {
    KOVR_EVENT event;
};
// A synchronous search: each notification restarts its idle limit.
struct SyncSearchTarget {};
using NotifyTarget = std::variant<std::monostate, CallbackTarget, WindowTarget, EventTarget, SyncSearchTarget>;

// A session's search: at most one worker at a time. Starting and stopping
// take `control`, so that calls on one session from several threads never
// start two workers or join one twice; the flags may be read without it.
struct SearchState : std::enable_shared_from_this<SearchState> {
    std::atomic<bool> searching{false};
    std::atomic<bool> asynchronous{false};
    std::mutex control;
    std::unique_ptr<platform::Thread> worker;
    // Set by the worker itself, so that calls from within a notification
    // can tell that they run on it.
    std::atomic<std::thread::id> workerId{};
    NotifyTarget notify;
    // What the running worker asks with and how; copied in at its start.
    Identity identity{};
    TransportSettings transport{};
    std::chrono::microseconds pollInterval{200000};
    std::chrono::milliseconds idleLimit{5000};
    bool idleLimitInfinite = false;
    std::unique_ptr<platform::Event> stopEvent;
    std::unique_ptr<platform::Timer> timer;
    ResultQueue results;
    // Why the last worker could not open its sockets, or Accepted: its
    // search never went out, which is no search without devices.
    std::atomic<Outcome> openOutcome{Outcome::Accepted};
    std::atomic<platform::SystemError> openError{platform::kNoError};
    // Guards arming the timer of a synchronous search against its session's
    // close, which ends the search by firing the timer: the worker must not
    // re-arm it after that.
    std::mutex closing;
    bool closed = false;
};

// Both take state.control themselves.
int32_t StartAsyncSearch(SearchState &state, const Identity &identity, const TransportSettings &transport,
                         ErrorState &errors, const NotifyTarget &target);
// Ends an asynchronous search; a synchronous one is ended only by its starter.
void StopAsyncSearch(SearchState &state);
// For a session that closes: ends an asynchronous search, cuts a synchronous
// one short (its starter, on another thread, returns at once), and refuses
// every later start.
void EndSearches(SearchState &state);

// The caller holds state.control for these two.
int32_t StartSearchWorker(SearchState &state, const Identity &identity, const TransportSettings &transport);
void StopSearchWorker(SearchState &state);

void SetSearchNotification(SearchState &state, const NotifyTarget &target);
// After a stop: when the search's worker could not open its sockets,
// records why and returns KOVR_FAILED (once per search), else 0.
int32_t RecordOpenFailure(SearchState &state, ErrorState &errors);
int32_t RunSyncSearch(SearchState &state, const Identity &identity, const TransportSettings &transport,
                      ErrorState &errors, uint32_t idleLimitMs, uint32_t totalLimitMs);
void SyncSearchNotify(SearchState &state);
void DiscardResults(ResultQueue &queue);
int CompareMacAddress(const uint8_t key[kMacSize], const ReplyRecord &record);

} // namespace kovr
