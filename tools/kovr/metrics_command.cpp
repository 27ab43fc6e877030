// kovr metrics: one search, as kovr check runs it, written as Prometheus
// gauges for node_exporter's textfile collector or any other reader.
#include "tools/kovr/commands.h"

#include "tools/kovr/console_output.h"
#include "tools/kovr/device_search.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/metrics_text.h"
#include "tools/kovr/record_fields.h"

#include "common/atomic_file.h"
#include "common/host_interfaces.h"

#include <chrono>
#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

// A segment where nothing answers would otherwise keep the search for the
// library's full minute, and a host would publish only every two minutes. Devices answer within the first second or two
// (10,000 of them within 1.8 s), and the search ends --idle after the
// last reply, so on a segment with devices this limit is never reached.
constexpr uint32_t kMetricsSearchTotalMs = 10000;

struct MetricsOptions {
    SearchLimits limits{common::kRequestsWhileFinding, common::kDefaultSearchIdleMs, kMetricsSearchTotalMs};
    std::string output;
};

// Standard output, or the file replaced whole; false after saying what
// went wrong, also when the new file is in place but may not be on disk.
bool WriteMetrics(const std::string &output, const std::string &text)
{
    if (output.empty()) {
        KeepLineFeedsOnStandardOutput();
        std::cout << text << std::flush;
        if (!std::cout) {
            std::cerr << "kovr: can't write the metrics to standard output\n";
            return false;
        }
        return true;
    }
    std::string error;
    switch (common::ReplaceFileAtomically(output, text, error)) {
    case common::Replacement::Done:
        return true;
    case common::Replacement::NotDurable:
        std::cerr << "kovr: wrote " << Printable(output) << ", but it may not be on disk yet (" << error
                  << "): after a crash the previous file may come back\n";
        return false;
    case common::Replacement::Failed:
        break;
    }
    std::cerr << "kovr: can't write " << Printable(output) << ": " << error << '\n';
    return false;
}

int RunMetrics(const MetricsOptions &options)
{
    const auto started = std::chrono::steady_clock::now();
    std::vector<KOVRDeviceInfoRecord> devices;
    // Conflicts only: the metrics service may write nothing but its file,
    // so it learns no pins.
    common::ChallengeSightings sightings;
    int status;
    {
        Session session(SessionChoice{});
        status = session.valid() ? SearchDevices(session, options.limits, devices, &sightings) : ReportOpenFailure();
    }
    SearchRun run;
    run.succeeded = status == kExitSuccess;
    run.duration = std::chrono::steady_clock::now() - started;
    run.finished = std::chrono::system_clock::now();
    std::vector<common::LocalSubnet> interfaces;
    std::vector<common::Problem> problems;
    InterfaceNames names;
    if (run.succeeded) {
        interfaces = common::HostSubnets();
        problems = common::CheckDevices(devices, interfaces, sightings.Conflicting());
        names = common::HostInterfaceNames();
    }
    // A failed search is written too, so that an alert sees it.
    if (!WriteMetrics(options.output, MetricsText(run, devices, problems, interfaces, names))) {
        return kExitFailure;
    }
    return run.succeeded ? kExitSuccess : kExitFailure;
}

} // namespace

void AddMetricsCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<MetricsOptions>();
    CLI::App *command = app.add_subcommand("metrics", "Search once and write the devices and their problems as "
                                                      "Prometheus metrics");
    command
        ->add_option("--output", options->output,
                     "Replace FILE in one step (a new file in its folder, synced, then renamed over it, mode "
                     "0644) instead of writing to standard output")
        ->type_name("FILE")
        // An empty name would otherwise mean standard output.
        ->check(CLI::Validator(
            [](const std::string &path) { return path.empty() ? std::string("a file name is required") : ""; }, ""));
    AddSearchLimitOptions(*command, options->limits);
    command->footer("The metrics, in Prometheus text format 0.0.4, each a gauge:\n"
                    "  kovr_devices{address,interface}    devices that answered through each local address\n"
                    "  kovr_device_info                   1 for each device, labelled mac, ip, mask, gateway,\n"
                    "                                     name, product, dhcp, address and interface\n"
                    "  kovr_device_problem{mac,kind,severity}   1 for each problem of each device\n"
                    "  kovr_problems{kind,severity}       devices with each kind of problem, every kind listed\n"
                    "  kovr_search_duration_seconds       how long the search took\n"
                    "  kovr_search_success                1, or 0 when the search failed or could not go out\n"
                    "                                     (no interface up with an IPv4 address and multicast)\n"
                    "  kovr_last_run_timestamp_seconds    when the search ended, in Unix time\n"
                    "address is the local address a device answered through, interface the name of the\n"
                    "interface that holds it; ip is the device's own address.\n"
                    "The search ends --total after its start (" +
                    std::to_string(kMetricsSearchTotalMs / 1000) +
                    " s unless given), so that a segment without\n"
                    "devices is done quickly; with devices it ends --idle after the last reply.\n"
                    "The problems are those of 'kovr check'. Device names are escaped and invalid UTF-8 in them\n"
                    "becomes U+FFFD, so no name can break the file. A failed search writes only the last three.\n\n"
                    "Exit status: 0 the metrics were written, whatever problems they show; 1 the search failed\n"
                    "(the metrics are written all the same), the output could not be written (then a previous\n"
                    "FILE is left as it was), or FILE was replaced but the system could not say it is on disk\n"
                    "(after a crash the previous FILE may come back).\n\n"
                    "Examples:\n"
                    "  kovr metrics\n"
                    "  kovr metrics --idle 2000 --output /var/lib/prometheus/node-exporter/kovr.prom");
    command->callback([options, &status] { status = RunMetrics(*options); });
}

} // namespace kovr::cli
