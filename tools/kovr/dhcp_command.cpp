// kovr dhcp: let a device take its network settings from DHCP.
#include "tools/kovr/commands.h"

#include "tools/kovr/device_command.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

// The mode value that turns DHCP on.
constexpr int32_t kDhcpEnabled = 1;

int RunDhcp(const DeviceCommandOptions &options)
{
    return RunDeviceCommand(
        options, "dhcp",
        [](KOVR_HANDLE session, const uint8_t *mac, const char *password) {
            return KOVRSetDHCP(session, mac, kDhcpEnabled, password);
        },
        [](Session &, const MacAddress &mac) {
            std::cout << FormatMac(mac.data()) << ": DHCP enabled\n";
            return 0;
        });
}

} // namespace

void AddDhcpCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<DeviceCommandOptions>();
    CLI::App *command = app.add_subcommand("dhcp", "Let a device take its network settings from DHCP");
    AddDeviceCommandOptions(*command, *options);
    command->footer("Examples:\n"
                    "  kovr dhcp 02:00:00:00:00:01\n"
                    "  pass show lab/device | kovr dhcp 02:00:00:00:00:01 --password-stdin");
    command->callback([options, &status] { status = RunDhcp(*options); });
}

} // namespace kovr::cli
