// kovr search: one synchronous search, then the devices it found.
#include "tools/kovr/commands.h"

#include "tools/kovr/device_search.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/pins.h"
#include "tools/kovr/record_writer.h"
#include "tools/kovr/session.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

struct SearchOptions {
    SearchLimits limits;
    FormatChoice format;
    SessionChoice session;
};

int RunSearch(const SearchOptions &options)
{
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    Pins pins;
    std::vector<KOVRDeviceInfoRecord> devices;
    common::ChallengeSightings sightings;
    const int status = SearchDevices(session, options.limits, devices, &sightings);
    if (status == kExitSuccess) {
        WriteSearchResults(std::cout, options.format.format(), devices);
    }
    pins.Learn(sightings);
    pins.Save();
    return status;
}

} // namespace

void AddSearchCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<SearchOptions>();
    CLI::App *command = app.add_subcommand("search", "Find the devices on the local network and list them");
    AddSearchLimitOptions(*command, options->limits);
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
