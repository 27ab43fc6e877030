// kovr info: one device's current record, fetched from the device.
#include "tools/kovr/commands.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/device_command.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/pins.h"
#include "tools/kovr/record_fields.h"
#include "tools/kovr/record_json.h"
#include "tools/kovr/session.h"

#include "common/library_calls.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

struct InfoOptions {
    MacAddress mac{};
    bool json = false;
    unsigned retries = kDefaultRetries;
    SessionChoice session;
};

int RunInfo(const InfoOptions &options)
{
    const MacAddress &mac = options.mac;
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    KOVRDeviceInfoRecord record{};
    const std::string target = "info " + FormatMac(mac.data());
    const int32_t result = common::QueryDevice(common::LibraryDeviceCalls(), session.handle(), mac.data(), record,
                                               AttemptsWith(options.retries), RetryNotice(target, options.retries));
    if (result != 0) {
        return ReportResult(session, target, result);
    }
    Pins pins;
    common::CommandGuard guard(common::LibraryGuardCalls(), pins.store(), KovrGuardOptions(false, target, ""));
    if (guard.Decide(mac, &record) == common::Verdict::Impostor) {
        std::cerr << "kovr: warning: " << target
                  << ": the device offered a challenge before and now answers without one: someone may be "
                     "impersonating it, and these details may be theirs\n";
    }
    pins.Save();
    if (options.json) {
        std::cout << JsonText(RecordJson(record)) << '\n';
    } else {
        std::cout << common::DeviceInfoText(record, Printable);
    }
    return kExitSuccess;
}

} // namespace

void AddInfoCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<InfoOptions>();
    CLI::App *command = app.add_subcommand("info", "Ask one device for its current details");
    AddMacArgument(*command, options->mac);
    command->add_flag("--json", options->json, "Write one JSON object with every field of the device record");
    AddRetriesOption(*command, options->retries, "Ask up to N more times while the device doesn't answer");
    AddSessionOptions(*command, options->session);
    command->footer("Shows the lines of the locator's Device Information window. The device has 5 seconds\n"
                    "to answer each time it is asked (exit status 3 if it never does).\n\n"
                    "Examples:\n"
                    "  kovr info 02:00:00:00:00:01\n"
                    "  kovr info 02:00:00:00:00:01 --json | jq -r .productName");
    command->callback([options, &status] { status = RunInfo(*options); });
}

} // namespace kovr::cli
