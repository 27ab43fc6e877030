// kovr dhcp: let a device take its network settings from DHCP.
#include "tools/kovr/commands.h"

#include "tools/kovr/device_command.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

struct DhcpOptions {
    DeviceCommandOptions device;
    unsigned retries = kDefaultRetries;
};

} // namespace

void AddDhcpCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<DhcpOptions>();
    CLI::App *command = app.add_subcommand("dhcp", "Let a device take its network settings from DHCP");
    AddDeviceCommandOptions(*command, options->device,
                            [&](CLI::App &own) { AddRetriesOption(own, options->retries, kSettingsRetriesHelp); });
    command->footer(std::string(kSettingsChangeFooter) + kPasswordFooter +
                    "Examples:\n"
                    "  kovr dhcp 02:00:00:00:00:01\n"
                    "  pass show lab/device | kovr dhcp 02:00:00:00:00:01 --password-stdin");
    command->callback([options, &status] {
        status = RunSettingsChange(options->device, "dhcp", {true, 0, 0, 0}, options->retries, "DHCP enabled");
    });
}

} // namespace kovr::cli
