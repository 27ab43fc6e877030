// kovr search: one synchronous search, then the devices it found.
#include "commands.h"

#include "addresses.h"
#include "exit_status.h"
#include "options.h"
#include "record_writer.h"
#include "search_progress.h"
#include "session.h"
#include "sync_search_rules.h"

#include <iostream>
#include <memory>

#include <unistd.h>

namespace kovr::cli {

namespace {

struct SearchOptions {
    std::string idle = "5000";
    std::string total = "60000";
    FormatChoice format;
    SessionChoice session;
};

int RunSearch(const SearchOptions &options)
{
    const uint32_t idleMs = *ParseMilliseconds(options.idle);
    const uint32_t totalMs = *ParseMilliseconds(options.total);
    const std::string limitsError = CheckSearchLimits(idleMs, totalMs);
    if (!limitsError.empty()) {
        throw CLI::ValidationError(limitsError);
    }
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    ProgressLine progress(STDERR_FILENO);
    std::vector<KOVRDeviceInfoRecord> devices;
    if (progress.enabled()) {
        if (!SearchWithProgress(session.handle(), idleMs, totalMs, progress, devices)) {
            return ReportResult(session, "search", -1);
        }
    } else {
        const int32_t found = KOVRStartSyncSearchEx(session.handle(), idleMs, totalMs);
        if (found < 0) {
            return ReportResult(session, "search", found);
        }
        devices = TakeResults(session.handle());
    }
    WriteSearchResults(std::cout, options.format.format(), devices);
    return kExitSuccess;
}

} // namespace

void AddSearchCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<SearchOptions>();
    CLI::App *command = app.add_subcommand("search", "Find the devices on the local network and list them");
    command
        ->add_option("--idle", options->idle,
                     "End the search MS milliseconds after the last reply, once a device has answered "
                     "(default 5000; 'infinite' waits for --total)")
        ->type_name("MS")
        ->check(MillisecondsValidator());
    command
        ->add_option("--total", options->total,
                     "End the search after MS milliseconds in all (default 60000; 'infinite' for no limit)")
        ->type_name("MS")
        ->check(MillisecondsValidator());
    AddFormatOptions(*command, options->format, true,
                     "Write one JSON array with every field of every device record");
    AddSessionOptions(*command, options->session);
    command->footer("Each device is listed once, with its first reply. While the search runs, a progress line\n"
                    "is shown on stderr when stderr is a terminal.\n\n"
                    "Examples:\n"
                    "  kovr search\n"
                    "  kovr search --idle 1000 --total 10000\n"
                    "  kovr search --json | jq -r '.[].ipAddress'\n"
                    "  kovr search --csv > devices.csv\n"
                    "  kovr search --magic QUMA");
    command->callback([options, &status] { status = RunSearch(*options); });
}

} // namespace kovr::cli
