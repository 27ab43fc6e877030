// kovr check: one search, then the configuration problems of the devices
// found, one per line or as a JSON array.
#include "tools/kovr/commands.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/device_search.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/pins.h"
#include "tools/kovr/record_fields.h"
#include "tools/kovr/record_json.h"

#include "common/host_interfaces.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

struct CheckOptions {
    SearchLimits limits;
    FormatChoice format;
};

std::vector<std::string> ProblemMacs(const common::Problem &problem, const std::vector<KOVRDeviceInfoRecord> &devices)
{
    std::vector<std::string> macs;
    for (size_t position : problem.devices) {
        macs.push_back(FormatMac(devices[position].macAddress));
    }
    return macs;
}

void WriteProblems(const std::vector<common::Problem> &problems, const std::vector<KOVRDeviceInfoRecord> &devices,
                   bool json)
{
    if (json) {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const common::Problem &problem : problems) {
            array.push_back({{"kind", common::ProblemKindName(problem.kind)},
                             {"severity", common::SeverityName(problem.severity)},
                             {"devices", ProblemMacs(problem, devices)},
                             {"interface", problem.interfaceAddress != 0
                                               ? nlohmann::ordered_json(FormatIpv4(problem.interfaceAddress))
                                               : nlohmann::ordered_json()},
                             {"message", problem.message}});
        }
        std::cout << JsonText(array) << '\n';
        return;
    }
    for (const common::Problem &problem : problems) {
        std::string macs;
        for (const std::string &mac : ProblemMacs(problem, devices)) {
            macs += (macs.empty() ? "" : ",") + mac;
        }
        // Messages quote device names, which may hold control characters.
        std::cout << common::SeverityName(problem.severity) << ' ' << common::ProblemKindName(problem.kind) << ' '
                  << macs << ": " << Printable(problem.message) << '\n';
    }
}

int RunCheck(const CheckOptions &options)
{
    Session session(SessionChoice{});
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    Pins pins;
    std::vector<KOVRDeviceInfoRecord> devices;
    common::ChallengeSightings sightings;
    const int status = SearchDevices(session, options.limits, devices, &sightings);
    if (status != kExitSuccess) {
        return status;
    }
    pins.Learn(sightings);
    pins.Save();
    const std::vector<common::Problem> problems =
        common::CheckDevices(devices, common::HostSubnets(), sightings.Conflicting());
    WriteProblems(problems, devices, options.format.json);
    return problems.empty() ? kExitSuccess : kExitProblemsFound;
}

} // namespace

void AddCheckCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<CheckOptions>();
    CLI::App *command = app.add_subcommand("check", "Find misconfigured devices: shared addresses, unreachable "
                                                    "devices, bad masks and gateways");
    AddFormatOptions(*command, options->format, false,
                     "Write one JSON array of {kind, severity, devices, interface, message}");
    AddSearchLimitOptions(*command, options->limits);
    command->footer("One line per problem: severity, kind, the devices' MACs and what to do. The kinds are\n"
                    "duplicate-address, unreachable (outside the subnet of the interface it answered through),\n"
                    "gateway-outside-subnet, bad-mask, unconfigured (no address and DHCP off),\n"
                    "conflicting-challenge (replies for one MAC with and without a challenge: another host may\n"
                    "be answering for it) and the warning duplicate-name.\n"
                    "Exit status: 0 nothing found, 4 problems found, 1 and 3 as for the other commands.\n\n"
                    "Examples:\n"
                    "  kovr check\n"
                    "  kovr check --json | jq -r '.[] | select(.kind == \"unreachable\") | .devices[]'");
    command->callback([options, &status] { status = RunCheck(*options); });
}

} // namespace kovr::cli
