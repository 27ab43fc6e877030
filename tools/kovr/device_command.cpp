#include "tools/kovr/device_command.h"

#include "tools/kovr/exit_status.h"
#include "tools/kovr/password.h"

#include <iostream>
#include <optional>

namespace kovr::cli {

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

int RunDeviceCommand(const DeviceCommandOptions &options, const std::string &action, const CommandCall &call,
                     const AfterSuccess &afterSuccess)
{
    const MacAddress mac = *ParseMac(options.mac);
    const std::string target = FormatMac(mac.data());
    std::optional<Password> password(std::in_place);
    std::string error;
    if (!ReadPassword(options.password, "Password for " + target + ": ", *password, error)) {
        std::cerr << "kovr: " << error << '\n';
        return kExitUsage;
    }
    Session session(options.session);
    if (!session.valid()) {
        return ReportOpenFailure();
    }
    const int32_t result = call(session.handle(), mac.data(), password->c_str());
    password.reset();
    if (result != 0) {
        return ReportResult(session, action + " " + target, result);
    }
    return afterSuccess ? afterSuccess(session, mac) : kExitSuccess;
}

} // namespace kovr::cli
