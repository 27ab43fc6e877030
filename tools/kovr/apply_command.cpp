// kovr apply: configure many devices at once from a plan, as CSV (such as
// kovr search --csv writes) or JSON.
#include "tools/kovr/commands.h"

#include "tools/kovr/apply_report.h"
#include "tools/kovr/device_command.h"
#include "tools/kovr/device_search.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/password.h"
#include "tools/kovr/pins.h"
#include "tools/kovr/record_fields.h"

#include "common/library_calls.h"
#include "common/plan.h"
#include "common/plan_apply.h"
#include "common/plan_file.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>

namespace kovr::cli {

namespace {

using common::PlanEntry;

struct ApplyOptions {
    std::string plan;
    bool dryRun = false;
    PasswordSource password;
    unsigned parallel = common::kDefaultParallel;
    bool parallelGiven = false;
    uint32_t deadlineMs = std::chrono::milliseconds(common::kDefaultApplyDeadline).count();
    FormatChoice format;
    SearchLimits limits;
    bool requireDigest = false;
};

// The checked plan, or the exit status of a plan that can't be used.
std::optional<int> LoadPlan(const std::string &path, std::vector<PlanEntry> &entries)
{
    common::PlanFile plan = common::LoadPlanFile(path);
    for (const std::string &fault : plan.faults) {
        std::cerr << "kovr: " << path << ": " << Printable(fault) << '\n';
    }
    if (!plan.faults.empty()) {
        return kExitUsage;
    }
    entries = std::move(plan.entries);
    return std::nullopt;
}

int RunApply(const ApplyOptions &options)
{
    const common::Clock::time_point start = common::Clock::now();
    std::vector<PlanEntry> entries;
    if (const std::optional<int> refused = LoadPlan(options.plan, entries)) {
        return *refused;
    }
    common::ApplySettings settings;
    settings.dryRun = options.dryRun;
    settings.parallel = options.parallel;
    if (options.parallelGiven) {
        settings.parallelOnLoss = options.parallel;
    }
    settings.deadline = options.deadlineMs == KOVR_INFINITE ? common::Clock::time_point::max()
                                                            : start + std::chrono::milliseconds(options.deadlineMs);
    std::optional<Password> password;
    const bool needsPassword =
        std::any_of(entries.begin(), entries.end(), [](const PlanEntry &entry) { return entry.password == nullptr; });
    if (!options.dryRun && needsPassword) {
        password.emplace();
        std::string error;
        if (!ReadPassword(options.password, "Password for the devices: ", *password, error)) {
            std::cerr << "kovr: " << error << '\n';
            return kExitUsage;
        }
        settings.sharedPassword = &*password;
    }
    Session session(SessionChoice{});
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    Pins pins;
    common::CommandGuard guard(
        common::LibraryGuardCalls(), pins.store(),
        KovrGuardOptions(options.requireDigest, "apply",
                         "So may other devices of the plan: this is said once. --require-digest refuses them."));
    settings.guard = &guard;
    std::vector<KOVRDeviceInfoRecord> found;
    common::ChallengeSightings sightings;
    const int searched = SearchDevices(session, options.limits, found, &sightings);
    if (searched != kExitSuccess) {
        return searched;
    }
    pins.Learn(sightings);
    const std::vector<DeviceReport> reports = common::ApplyPlan(common::LibraryApplyCalls(), entries, found, settings);
    password.reset();
    pins.Save();
    if (options.format.json) {
        WriteApplyJson(std::cout, reports);
    } else {
        WriteApplyReport(std::cout, reports);
    }
    return ApplyExitStatus(reports);
}

} // namespace

void AddApplyCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<ApplyOptions>();
    CLI::App *command = app.add_subcommand("apply", "Configure many devices at once from a CSV or JSON plan");
    command
        ->add_option("PLAN", options->plan,
                     "CSV with a header (mac, and dhcp or ip, mask and gateway; password optional), "
                     "or a JSON array of objects with the same keys")
        ->type_name("")
        ->required()
        ->check(CLI::ExistingFile);
    command->add_flag("--dry-run", options->dryRun, "Show each change, old -> new, and send nothing");
    AddPasswordOptions(*command, options->password);
    AddRequireDigestOption(*command, options->requireDigest);
    CLI::Option *parallel =
        command
            ->add_option("--parallel", options->parallel,
                         "Configure up to N devices at once (default " + std::to_string(options->parallel) + ", and " +
                             std::to_string(common::kMaxParallel) + " once a query or command has to be asked again)")
            ->type_name("N")
            ->check(CLI::Range(1u, common::kMaxParallel));
    AddReadOption<uint32_t>(*command, "--deadline", options->deadlineMs, ReadMilliseconds,
                            "Start no command or query after MS milliseconds from the start (default " +
                                std::to_string(options->deadlineMs) +
                                "; 'infinite' for no limit). A command already in flight ends within the "
                                "library's own limit")
        ->type_name("MS");
    AddFormatOptions(*command, options->format, false, "Write one JSON object: each device's outcome, and a summary");
    AddSearchLimitOptions(*command, options->limits);
    command->footer("The plan is checked whole before anything is sent: a bad MAC, address or dhcp value, a\n"
                    "static row without all of ip, mask and gateway, or a MAC listed twice is refused with its\n"
                    "line (or JSON index), exit status 2. A row with dhcp Enabled asks for DHCP and its address\n"
                    "columns are ignored; columns the plan doesn't use (name, product, ...) are ignored too.\n"
                    "One password, from --password-file, --password-stdin or a prompt, serves every device; a\n"
                    "password column overrides it per device, and then the plan must not be readable by group\n"
                    "or others. The plan is a regular file; a row with more cells than the header is refused\n"
                    "(quote a password with a comma), and so is a password with a NUL character. No message\n"
                    "shows any part of a password.\n\n"
                    "Datagrams get lost, so apply keeps going until every change holds: a device the search\n"
                    "missed is asked for by its MAC, and a change whose reply doesn't come is checked with a\n"
                    "query and sent again while the device doesn't hold it, until --deadline; once that\n"
                    "happens, more devices are taken at once and a missed one is asked for more often. A\n"
                    "refused password or an error from the device is final. Each device ends verified (a query\n"
                    "shows the new setting), unchanged, failed (with the reason), unverified (the change may\n"
                    "have been made, but no query confirmed it) or not found. Exit status: 0 when every device\n"
                    "is verified or unchanged, else 1.\n\n"
                    "A device that offers a challenge gets the password only as a digest, and is pinned. A\n"
                    "pinned device is asked for its settings before anything is judged unchanged or sent; if\n"
                    "anything answers for it without a challenge, it fails with nothing sent and is not tried\n"
                    "again. Devices without a challenge get the password in plain, which any host on the\n"
                    "segment can read: kovr warns once, and --require-digest makes them fail instead.\n\n"
                    "To configure many devices, export the device list, change ip, mask, gateway or dhcp in a\n"
                    "spreadsheet and save it as CSV, look at the changes, then make them.\n\n"
                    "Examples:\n"
                    "  kovr search --csv > devices.csv\n"
                    "  kovr apply devices.csv --dry-run\n"
                    "  kovr apply devices.csv --password-file ~/.config/kovr/password");
    command->callback([options, parallel, &status] {
        options->parallelGiven = parallel->count() > 0;
        status = RunApply(*options);
    });
}

} // namespace kovr::cli
