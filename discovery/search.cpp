#include "discovery/search.h"

#include <algorithm>
#include <cstring>

#include "discovery/command_errors.h"
#include "discovery/handles.h"
#include "discovery/requests.h"

namespace kovr {

namespace {

// Thousands of devices may answer one request within a few milliseconds,
// and every reply the socket can't hold is a device silently missed. The
// kernel charges a datagram's whole allocation, 1,280 bytes for a 200-byte
// reply and 2,304 for the largest, and grants twice the size asked for: 16 MiB holds the replies of 10,000 devices even
// while the worker gets no processor at all. Without the right to administer the network the system caps it
// (net.core.rmem_max), and the worker must keep up.
constexpr int kSearchReceiveBufferBytes = 16 << 20;

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

void NotifyCaller(SearchState &state)
{
    std::visit(Overloaded{
                   [](std::monostate) {},
                   [](const CallbackTarget &target) { target.callback(target.session, target.userValue); },
                   [](const WindowTarget &target) {
                       PostWindowMessage(target.window, target.message, 0, static_cast<intptr_t>(target.userValue));
                   },
                   [](const EventTarget &target) { SignalEvent(target.event); },
                   [&state](SyncSearchTarget) { SyncSearchNotify(state); },
               },
               state.notify);
}

void CollectReplies(SearchState &state, const SocketSet &set)
{
    const size_t watched = std::min(set.count(), kMaxWatchedSockets);
    const int32_t pollMs = PollMilliseconds(state.pollInterval);
    // Watching the stop event too lets a stop end the wait at once rather
    // than after the rest of the poll interval; it is consumed below.
    bool readable[kMaxWatchedSockets];
    QueuedDevices queued;
    const Intake intake{state.identity, state.results, !state.asynchronous.load(), queued};
    for (;;) {
        const int32_t ready = platform::WaitReadable(set.sockets(), watched, pollMs, readable, state.stopEvent.get());
        if (ready < 0) {
            return;
        }
        bool starved = false;
        if (ready > 0) {
            for (size_t i = 0; i < watched; ++i) {
                if (readable[i] && !DrainSocket(intake, set.sockets()[i])) {
                    starved = true;
                }
            }
            if (state.results.Count() > 0) {
                NotifyCaller(state);
            }
        }
        // A datagram left unread for want of memory keeps its socket
        // readable, so the next wait would return at once: pause for one
        // interval instead of spinning until memory comes back.
        if (state.stopEvent->Wait(starved ? static_cast<uint32_t>(pollMs) : 0) == 0) {
            return;
        }
    }
}

void SearchWorker(SearchState &state)
{
    state.workerId.store(std::this_thread::get_id());
    SocketSet set;
    const TransportStatus opened = OpenSocketSet(state.transport, &set);
    if (opened.outcome != Outcome::Accepted) {
        state.openError.store(opened.error);
        state.openOutcome.store(opened.outcome);
        // Nothing can answer a search that never went out: a synchronous
        // one ends now and says why, rather than reporting no devices.
        std::lock_guard<std::mutex> lock(state.closing);
        if (!state.asynchronous.load() && !state.closed) {
            state.timer->Start(std::chrono::nanoseconds(1));
        }
        return;
    }
    for (size_t i = 0; i < set.count(); ++i) {
        // Best effort: the system may grant less, and the search works without.
        platform::SetReceiveBufferSize(set.sockets()[i], kSearchReceiveBufferBytes);
    }
    uint8_t request[kDiscoveryRequestSize];
    BuildDiscoveryRequest(state.identity, kAllDevices, request);
    // Sent once; a device that misses it is simply not found.
    SendToGroup(state.transport, set.sockets(), set.count(), request, sizeof request);
    CollectReplies(state, set);
}

// A call from within a notification runs on the worker. It must neither
// wait for the worker's end nor for the control, which a stop on another
// thread may hold while it waits for the worker.
bool OnWorker(const SearchState &state)
{
    return state.workerId.load() == std::this_thread::get_id();
}

} // namespace

int CompareMacAddress(const uint8_t key[kMacSize], const ReplyRecord &record)
{
    return std::memcmp(key, record.info.macAddress, kMacSize);
}

void DiscardResults(ResultQueue &queue)
{
    queue.Clear();
}

void SetSearchNotification(SearchState &state, const NotifyTarget &target)
{
    state.notify = target;
}

int32_t StartSearchWorker(SearchState &state, const Identity &identity, const TransportSettings &transport)
{
    if (state.searching.load()) {
        return KOVR_FAILED;
    }
    state.searching.store(true);
    state.worker.reset();
    state.workerId.store(std::thread::id());
    DiscardResults(state.results);
    state.openOutcome.store(Outcome::Accepted);
    state.identity = identity;
    state.transport = transport;
    // A stop requested after the last worker had ended on its own was never
    // consumed; left set, it would end this search at its first pass.
    state.stopEvent->Wait(0);
    // The worker holds the state, so that a session closed from within a
    // notification leaves it whole until the worker has ended.
    state.worker = platform::Thread::Start([shared = state.shared_from_this()] { SearchWorker(*shared); });
    if (state.worker == nullptr) {
        state.searching.store(false);
        return KOVR_FAILED;
    }
    return 0;
}

void StopSearchWorker(SearchState &state)
{
    if (!state.searching.load()) {
        return;
    }
    state.timer->Cancel();
    state.stopEvent->Set();
    state.worker.reset();
    state.workerId.store(std::thread::id());
    // The worker may have restarted the idle timer between the cancel above
    // and its end; that expiry must not outlive the search.
    state.timer->Cancel();
    state.searching.store(false);
}

int32_t StartAsyncSearch(SearchState &state, const Identity &identity, const TransportSettings &transport,
                         ErrorState &errors, const NotifyTarget &target)
{
    // A worker that started another one could never be told to end.
    if (OnWorker(state)) {
        return KOVR_FAILED;
    }
    std::lock_guard<std::mutex> lock(state.control);
    if (state.searching.load()) {
        return KOVR_FAILED;
    }
    state.asynchronous.store(true);
    SetSearchNotification(state, target);
    errors.Record(Status::Succeeded);
    return StartSearchWorker(state, identity, transport);
}

void StopAsyncSearch(SearchState &state)
{
    if (OnWorker(state)) {
        // The worker ends once the notification returns; whoever starts the
        // next search or ends the session joins it.
        if (state.searching.load() && state.asynchronous.load()) {
            state.stopEvent->Set();
            state.searching.store(false);
        }
        return;
    }
    std::lock_guard<std::mutex> lock(state.control);
    if (state.searching.load() && state.asynchronous.load()) {
        StopSearchWorker(state);
    }
}

void EndSearches(SearchState &state)
{
    {
        std::lock_guard<std::mutex> lock(state.closing);
        state.closed = true;
        if (state.searching.load() && !state.asynchronous.load()) {
            // The shortest due time the timer takes: its starter wakes now.
            state.timer->Start(std::chrono::nanoseconds(1));
        }
    }
    StopAsyncSearch(state);
}

int32_t RecordOpenFailure(SearchState &state, ErrorState &errors)
{
    const Outcome outcome = state.openOutcome.exchange(Outcome::Accepted);
    if (outcome == Outcome::Accepted) {
        return 0;
    }
    return RecordTransportFailure(errors, {outcome, state.openError.load()});
}

void SyncSearchNotify(SearchState &state)
{
    std::lock_guard<std::mutex> lock(state.closing);
    if (!state.idleLimitInfinite && !state.closed) {
        state.timer->Start(state.idleLimit);
    }
}

int32_t RunSyncSearch(SearchState &state, const Identity &identity, const TransportSettings &transport,
                      ErrorState &errors, uint32_t idleLimitMs, uint32_t totalLimitMs)
{
    if (OnWorker(state)) {
        return KOVR_FAILED;
    }
    {
        std::lock_guard<std::mutex> lock(state.control);
        if (state.searching.load()) {
            return KOVR_FAILED;
        }
        state.asynchronous.store(false);
        errors.Record(Status::Succeeded);
        if (idleLimitMs == 0 || totalLimitMs == 0 || (idleLimitMs == KOVR_INFINITE && totalLimitMs == KOVR_INFINITE)) {
            return KOVR_FAILED;
        }
        state.idleLimit = std::chrono::milliseconds(idleLimitMs);
        state.idleLimitInfinite = idleLimitMs == KOVR_INFINITE;
        SetSearchNotification(state, SyncSearchTarget{});
        // An expiry left over from an earlier search would end this one at once.
        state.timer->Cancel();
        // A close on another thread either comes first and refuses this
        // search, or finds it running and ends it.
        std::lock_guard<std::mutex> closing(state.closing);
        if (state.closed || StartSearchWorker(state, identity, transport) != 0) {
            return KOVR_FAILED;
        }
    }
    // The starter alone ends a synchronous search, so the worker is still
    // its own when the wait is over.
    state.timer->Wait(totalLimitMs);
    std::lock_guard<std::mutex> lock(state.control);
    StopSearchWorker(state);
    const int32_t failed = RecordOpenFailure(state, errors);
    return failed != 0 ? failed : state.results.Count();
}

} // namespace kovr
