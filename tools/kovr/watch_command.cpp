// kovr watch: an asynchronous search that prints each device as it answers.
#include "tools/kovr/commands.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/device_search.h"
#include "tools/kovr/event_search.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/interrupt_pipe.h"
#include "tools/kovr/options.h"
#include "tools/kovr/progress_line.h"
#include "tools/kovr/record_writer.h"
#include "tools/kovr/session.h"

#include <iostream>
#include <memory>

#include <unistd.h>

namespace kovr::cli {

namespace {

struct WatchOptions {
    uint32_t totalMs = KOVR_INFINITE;
    unsigned requests = common::kRequestsWhileFinding;
    FormatChoice format;
    SessionChoice session;
};

int RunWatch(const WatchOptions &options)
{
    using Clock = EventSearch::Clock;
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    InterruptPipe interrupt;
    // One request prints every reply, as the library queues them; more
    // print each device once per interface, however often it answers.
    const common::SearchPlan plan{options.requests, KOVR_INFINITE, options.totalMs};
    EventSearch search(session, plan, options.requests == 1 ? common::Merge::None : common::Merge::ByMacAndInterface);
    const Clock::time_point start = Clock::now();
    if (!search.Start()) {
        return ReportResult(session, "watch", KOVR_FAILED);
    }
    ProgressLine progress(STDERR_FILENO);
    StreamWriter writer(std::cout, options.format.format());
    writer.Begin();
    size_t seen = 0;
    const auto print = [&](const std::vector<KOVRDeviceInfoRecord> &records) {
        for (const KOVRDeviceInfoRecord &record : records) {
            // Off the terminal line first, in case stdout shares it.
            progress.Clear();
            writer.Write(record);
            ++seen;
        }
    };
    const auto show = [&] {
        progress.Show(SearchProgressText(
            "Watching", std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start), seen));
    };
    const auto nextRedraw = [&]() -> std::optional<Clock::time_point> {
        if (!progress.enabled()) {
            return std::nullopt;
        }
        return Clock::now() + kProgressRedrawInterval;
    };
    show();
    search.RunUntilDone(
        interrupt, nextRedraw,
        [&](const std::vector<KOVRDeviceInfoRecord> &records) {
            print(records);
            show();
        },
        show);
    print(search.Stop());
    progress.Clear();
    return kExitSuccess;
}

} // namespace

void AddWatchCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<WatchOptions>();
    CLI::App *command =
        app.add_subcommand("watch", "Search asynchronously and print each device the moment it answers");
    AddReadOption<uint32_t>(*command, "--total", options->totalMs, ReadMilliseconds,
                            "Stop after MS milliseconds (default 'infinite': until Ctrl-C)")
        ->type_name("MS");
    AddRequestsOption(*command, options->requests);
    AddFormatOptions(*command, options->format, true,
                     "Write JSON Lines: one object with every record field per device");
    AddSessionOptions(*command, options->session);
    command->footer("Each device is printed once per local interface it answers through, so a device on two\n"
                    "interfaces shows up twice; with --requests 1, every reply is printed.\n"
                    "Ctrl-C stops the search cleanly.\n\n"
                    "Examples:\n"
                    "  kovr watch\n"
                    "  kovr watch --total 30000 --json > devices.jsonl\n"
                    "  kovr watch --csv");
    command->callback([options, &status] { status = RunWatch(*options); });
}

} // namespace kovr::cli
