#include "tools/kovr/device_search.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/progress_ticker.h"

#include <unistd.h>

namespace kovr::cli {

void AddSearchLimitOptions(CLI::App &command, SearchLimits &limits)
{
    command
        .add_option("--idle", limits.idle,
                    "End the search MS milliseconds after the last reply, once a device has answered "
                    "(default 5000; 'infinite' waits for --total)")
        ->type_name("MS")
        ->check(MillisecondsValidator());
    command
        .add_option("--total", limits.total,
                    "End the search after MS milliseconds in all (default 60000; 'infinite' for no limit)")
        ->type_name("MS")
        ->check(MillisecondsValidator());
}

int SearchDevices(Session &session, const SearchLimits &limits, std::vector<KOVRDeviceInfoRecord> &devices)
{
    const uint32_t idleMs = *ParseMilliseconds(limits.idle);
    const uint32_t totalMs = *ParseMilliseconds(limits.total);
    // The library refuses these too, but only a usage error can say why.
    if (idleMs == KOVR_INFINITE && totalMs == KOVR_INFINITE) {
        throw CLI::ValidationError("--idle and --total can't both be infinite");
    }
    int32_t found;
    {
        ProgressLine progress(STDERR_FILENO);
        const ProgressTicker ticker(progress, "Searching");
        found = KOVRStartSyncSearchEx(session.handle(), idleMs, totalMs);
    }
    if (found < 0) {
        return ReportResult(session, "search", found);
    }
    devices = TakeResults(session.handle());
    return kExitSuccess;
}

} // namespace kovr::cli
