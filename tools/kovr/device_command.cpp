#include "tools/kovr/device_command.h"

#include "tools/kovr/exit_status.h"
#include "tools/kovr/password.h"

#include "common/library_calls.h"

#include <iostream>
#include <optional>

namespace kovr::cli {

const char *const kSettingsRetriesHelp = "Make the change up to N times in all while it times out";
const char *const kSettingsChangeFooter =
    "When the device doesn't answer in time, kovr asks it for its settings: if it already holds\n"
    "the new ones, only its reply was lost and the change is done; if not, the change is sent\n"
    "again, up to --retries times in all. A refused password or an error from the device is\n"
    "never retried.\n\n";

void AddDeviceCommandOptions(CLI::App &command, DeviceCommandOptions &options,
                             const std::function<void(CLI::App &)> &addOwnOptions)
{
    AddMacArgument(command, options.mac);
    if (addOwnOptions) {
        addOwnOptions(command);
    }
    AddPasswordOptions(command, options.password);
    AddSessionOptions(command, options.session);
}

void AddRetriesOption(CLI::App &command, unsigned &attempts, const std::string &what)
{
    command.add_option("--retries", attempts, what + " (default 3; 1 makes it once)")
        ->type_name("N")
        ->check(CLI::Range(1u, 10u));
}

common::ResendNotice RetryNotice(const std::string &action, unsigned limit)
{
    return [action, limit](unsigned attempt) {
        std::cerr << "kovr: " << action << ": no answer in time; trying again (attempt " << attempt << " of " << limit
                  << ")\n";
    };
}

int RunDeviceCommand(const DeviceCommandOptions &options, const WithPassword &use)
{
    const MacAddress &mac = options.mac;
    std::optional<Password> password(std::in_place);
    std::string error;
    if (!ReadPassword(options.password, "Password for " + FormatMac(mac.data()) + ": ", *password, error)) {
        std::cerr << "kovr: " << error << '\n';
        return kExitUsage;
    }
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    return use(session, mac, *password);
}

int RunSettingsChange(const DeviceCommandOptions &options, const std::string &action,
                      const common::DeviceSettings &wanted, unsigned attempts, const std::string &done)
{
    return RunDeviceCommand(options, [&](Session &session, const MacAddress &mac, Password &password) {
        const std::string target = action + " " + FormatMac(mac.data());
        const common::ChangeResult change =
            common::ChangeSettings(common::LibraryDeviceCalls(), session.handle(), mac.data(), wanted, password.c_str(),
                                   {attempts, std::nullopt}, RetryNotice(target, attempts));
        password.Clear();
        switch (change.status) {
        case common::ChangeStatus::Acknowledged:
            std::cout << FormatMac(mac.data()) << ": " << done << '\n';
            return kExitSuccess;
        case common::ChangeStatus::Confirmed:
            std::cerr << "kovr: " << target << ": the device's reply was lost; a query confirmed the change\n";
            std::cout << FormatMac(mac.data()) << ": " << done << '\n';
            return kExitSuccess;
        case common::ChangeStatus::Refused:
        case common::ChangeStatus::Failed:
            return ReportResult(session, target, change.result);
        case common::ChangeStatus::NoAnswer:
            break;
        }
        std::cerr << "kovr: " << target << " failed: no answer in time after " << change.attempts
                  << (change.attempts == 1 ? " attempt; " : " attempts; ")
                  << (change.mayHaveTakenEffect ? "the device may or may not have taken the change"
                                                : "the device has not taken the change")
                  << '\n';
        return kExitTimedOut;
    });
}

} // namespace kovr::cli
