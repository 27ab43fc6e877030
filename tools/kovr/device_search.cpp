#include "tools/kovr/device_search.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/progress_ticker.h"

#include "common/library_calls.h"

#include <unistd.h>

namespace kovr::cli {

void AddRequestsOption(CLI::App &command, unsigned &requests)
{
    command
        .add_option("--requests", requests,
                    "Send the discovery request exactly N times, spread over the first second, so that a lost "
                    "datagram hides no device (1 sends it once). Default: " +
                        std::to_string(common::kDefaultSearchRequests) +
                        " times, then again every third of a second while one of the last two requests found a "
                        "device not seen before, up to " +
                        std::to_string(common::kMaxSearchRequests))
        ->type_name("N")
        ->check(CLI::Range(1u, common::kMaxSearchRequests));
}

void AddSearchLimitOptions(CLI::App &command, SearchLimits &limits)
{
    AddRequestsOption(command, limits.requests);
    // The defaults are the fields' values as the command set them.
    AddReadOption<uint32_t>(command, "--idle", limits.idleMs, ReadMilliseconds,
                            "End the search MS milliseconds after the last reply, once a device has answered "
                            "(default " +
                                std::to_string(limits.idleMs) + "; 'infinite' waits for --total)")
        ->type_name("MS");
    AddReadOption<uint32_t>(command, "--total", limits.totalMs, ReadMilliseconds,
                            "End the search after MS milliseconds in all (default " + std::to_string(limits.totalMs) +
                                "; 'infinite' for no limit)")
        ->type_name("MS");
}

int SearchDevices(Session &session, const SearchLimits &limits, std::vector<KOVRDeviceInfoRecord> &devices,
                  common::ChallengeSightings *sightings)
{
    const uint32_t idleMs = limits.idleMs;
    const uint32_t totalMs = limits.totalMs;
    // The library refuses these too, but only a usage error can say why.
    if (idleMs == KOVR_INFINITE && totalMs == KOVR_INFINITE) {
        throw CLI::ValidationError("--idle and --total can't both be infinite");
    }
    int32_t found;
    {
        ProgressLine progress(STDERR_FILENO);
        const ProgressTicker ticker(progress, "Searching");
        found =
            common::SearchDevices(common::LibrarySearchCalls([&session] { return OpenSession(session.choice()); }),
                                  session.handle(), {limits.requests, idleMs, totalMs}, devices, nullptr, sightings);
    }
    // A search that could not go out (no interface up with an IPv4 address
    // and multicast, or no socket) found nothing because it never looked:
    // the library leaves the reason as the session's last error.
    if (found == 0 && session.LastError() != 0) {
        found = KOVR_FAILED;
    }
    if (found < 0) {
        return ReportResult(session, "search", found);
    }
    return kExitSuccess;
}

} // namespace kovr::cli
