// kovr watch: an asynchronous search that prints each device as it answers.
#include "tools/kovr/commands.h"

#include "tools/kovr/addresses.h"
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
    std::string total = "infinite";
    FormatChoice format;
    SessionChoice session;
};

int RunWatch(const WatchOptions &options)
{
    using Clock = EventSearch::Clock;
    const uint32_t totalMs = *ParseMilliseconds(options.total);
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    InterruptPipe interrupt;
    EventSearch search(session.handle());
    const Clock::time_point start = Clock::now();
    if (!search.Start()) {
        return ReportResult(session, "watch", -1);
    }
    std::optional<Clock::time_point> deadline;
    if (totalMs != KOVR_INFINITE) {
        deadline = start + std::chrono::milliseconds(totalMs);
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
        interrupt, [&] { return deadline; }, nextRedraw,
        [&] {
            print(search.Take());
            show();
        },
        show);
    search.Stop();
    print(search.Take());
    progress.Clear();
    return kExitSuccess;
}

} // namespace

void AddWatchCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<WatchOptions>();
    CLI::App *command =
        app.add_subcommand("watch", "Search asynchronously and print each device the moment it answers");
    command->add_option("--total", options->total, "Stop after MS milliseconds (default 'infinite': until Ctrl-C)")
        ->type_name("MS")
        ->check(MillisecondsValidator());
    AddFormatOptions(*command, options->format, true,
                     "Write JSON Lines: one object with every record field per device");
    AddSessionOptions(*command, options->session);
    command->footer("Every reply is printed, so a device that answers through two interfaces shows up twice.\n"
                    "Ctrl-C stops the search cleanly.\n\n"
                    "Examples:\n"
                    "  kovr watch\n"
                    "  kovr watch --total 30000 --json > devices.jsonl\n"
                    "  kovr watch --csv");
    command->callback([options, &status] { status = RunWatch(*options); });
}

} // namespace kovr::cli
