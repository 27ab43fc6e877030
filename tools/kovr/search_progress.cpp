#include "search_progress.h"

#include "event_search.h"
#include "interrupt_pipe.h"
#include "sync_search_rules.h"

namespace kovr::cli {

bool SearchWithProgress(KOVR_HANDLE session, uint32_t idleMs, uint32_t totalMs, ProgressLine &progress,
                        std::vector<KOVRDeviceInfoRecord> &devices)
{
    using Clock = EventSearch::Clock;
    InterruptPipe interrupt;
    EventSearch search(session);
    const Clock::time_point start = Clock::now();
    if (!search.Start()) {
        return false;
    }
    SyncSearchDeadline deadline(idleMs, totalMs, start);
    UniqueDevices unique;
    const auto show = [&] {
        progress.Show(SearchProgressText(
            "Searching", std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start), unique.size()));
    };
    show();
    search.RunUntilDone(
        interrupt.fd(), [&] { return deadline.End(); },
        [] { return std::optional<Clock::time_point>(Clock::now() + kProgressRedrawInterval); },
        [&] {
            // Notified after a pass that read a reply, which is when a
            // synchronous search restarts its idle time. (It also restarts it
            // for a pass that read only datagrams it rejected, once devices
            // are queued; those never reach this side of the library.)
            deadline.Notified(Clock::now());
            for (const KOVRDeviceInfoRecord &record : search.Take()) {
                unique.Add(record);
            }
            show();
        },
        show);
    search.Stop();
    // Replies read before the worker saw the stop count, as they do when a
    // synchronous search ends.
    for (const KOVRDeviceInfoRecord &record : search.Take()) {
        unique.Add(record);
    }
    progress.Clear();
    devices = unique.records();
    return true;
}

} // namespace kovr::cli
