// kovr set-ip: give a device a static address, subnet mask and gateway.
#include "tools/kovr/commands.h"

#include "tools/kovr/device_command.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

struct SetIpOptions {
    DeviceCommandOptions device;
    common::DeviceSettings wanted;
    unsigned retries = kDefaultRetries;
};

int RunSetIp(const SetIpOptions &options)
{
    const common::DeviceSettings &wanted = options.wanted;
    return RunSettingsChange(options.device, "set-ip", wanted, options.retries,
                             "IP address " + FormatIpv4(wanted.ip) + ", subnet mask " + FormatIpv4(wanted.mask) +
                                 ", gateway " + FormatIpv4(wanted.gateway));
}

} // namespace

void AddSetIpCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<SetIpOptions>();
    CLI::App *command = app.add_subcommand("set-ip", "Give a device a static IP address, subnet mask and gateway");
    AddDeviceCommandOptions(*command, options->device, [&](CLI::App &own) {
        AddReadOption<uint32_t>(own, "--ip", options->wanted.ip, ReadIpv4, "The new IP address")
            ->type_name("A")
            ->required();
        AddReadOption<uint32_t>(own, "--mask", options->wanted.mask, ReadSubnetMask, "The new subnet mask")
            ->type_name("M")
            ->required();
        AddReadOption<uint32_t>(own, "--gateway", options->wanted.gateway, ReadIpv4, "The new gateway address")
            ->type_name("G")
            ->required();
        AddRetriesOption(own, options->retries, kSettingsRetriesHelp);
    });
    command->footer(std::string(kSettingsChangeFooter) + kPasswordFooter +
                    "The password is asked for on the terminal unless --password-file or --password-stdin\n"
                    "says where to read it; it is never taken from the command line.\n\n"
                    "Examples:\n"
                    "  kovr set-ip 02:00:00:00:00:01 --ip 10.77.1.20 --mask 255.255.255.0 --gateway 10.77.1.254\n"
                    "  kovr set-ip 02:00:00:00:00:01 --ip 10.77.1.20 --mask 255.255.255.0 \\\n"
                    "      --gateway 10.77.1.254 --password-file ~/.config/kovr/password");
    command->callback([options, &status] { status = RunSetIp(*options); });
}

} // namespace kovr::cli
