// kovr search: one synchronous search, then the devices it found.
#include "tools/kovr/commands.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/progress_ticker.h"
#include "tools/kovr/record_writer.h"
#include "tools/kovr/session.h"

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
    // The library refuses these too, but only a usage error can say why.
    if (idleMs == KOVR_INFINITE && totalMs == KOVR_INFINITE) {
        throw CLI::ValidationError("--idle and --total can't both be infinite");
    }
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
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
    WriteSearchResults(std::cout, options.format.format(), TakeResults(session.handle()));
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
    AddFormatOptions(*command, options->format, true, "Write one JSON array with every field of every device record");
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
