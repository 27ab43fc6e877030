// kovr set-ip: give a device a static address, subnet mask and gateway.
#include "tools/kovr/commands.h"

#include "tools/kovr/device_command.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

struct SetIpOptions {
    DeviceCommandOptions device;
    std::string ip;
    std::string mask;
    std::string gateway;
    unsigned attempts = common::kDefaultAttempts;
};

int RunSetIp(const SetIpOptions &options)
{
    const common::DeviceSettings wanted{false, *ParseIpv4(options.ip), *ParseSubnetMask(options.mask),
                                        *ParseIpv4(options.gateway)};
    return RunSettingsChange(options.device, "set-ip", wanted, options.attempts,
                             "IP address " + options.ip + ", subnet mask " + options.mask + ", gateway " +
                                 options.gateway);
}

} // namespace

void AddSetIpCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<SetIpOptions>();
    CLI::App *command = app.add_subcommand("set-ip", "Give a device a static IP address, subnet mask and gateway");
    AddDeviceCommandOptions(*command, options->device, [&](CLI::App &own) {
        own.add_option("--ip", options->ip, "The new IP address")->type_name("A")->required()->check(Ipv4Validator());
        own.add_option("--mask", options->mask, "The new subnet mask")
            ->type_name("M")
            ->required()
            ->check(SubnetMaskValidator());
        own.add_option("--gateway", options->gateway, "The new gateway address")
            ->type_name("G")
            ->required()
            ->check(Ipv4Validator());
        AddRetriesOption(own, options->attempts, kSettingsRetriesHelp);
    });
    command->footer(std::string(kSettingsChangeFooter) +
                    "The password is asked for on the terminal unless --password-file or --password-stdin\n"
                    "says where to read it; it is never taken from the command line.\n\n"
                    "Examples:\n"
                    "  kovr set-ip 02:00:00:00:00:01 --ip 10.77.1.20 --mask 255.255.255.0 --gateway 10.77.1.254\n"
                    "  kovr set-ip 02:00:00:00:00:01 --ip 10.77.1.20 --mask 255.255.255.0 \\\n"
                    "      --gateway 10.77.1.254 --password-file ~/.config/kovr/password");
    command->callback([options, &status] { status = RunSetIp(*options); });
}

} // namespace kovr::cli
