// kovr forget: drop a device's pin, for a device that really stopped
// offering a challenge (reset, or replaced by one with the same MAC).
#include "tools/kovr/commands.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/options.h"
#include "tools/kovr/pins.h"

#include <iostream>
#include <memory>

namespace kovr::cli {

namespace {

int RunForget(const MacAddress &mac)
{
    Pins pins;
    common::KnownDevices &store = pins.store();
    const std::string name = FormatMac(mac.data());
    if (!store.Forget(mac)) {
        if (!store.Readable()) {
            std::cerr << "kovr: forget " << name << ": the known devices can't be read, so no pin can be forgotten\n";
            return kExitFailure;
        }
        std::cout << name << ": not pinned\n";
        return kExitSuccess;
    }
    std::string error;
    if (!store.Save(error)) {
        std::cerr << "kovr: forget " << name << ": " << error << '\n';
        return kExitFailure;
    }
    std::cout << name << ": pin forgotten\n";
    return kExitSuccess;
}

} // namespace

void AddForgetCommand(CLI::App &app, int &status)
{
    auto mac = std::make_shared<MacAddress>();
    CLI::App *command = app.add_subcommand("forget", "Forget a device's pin, so that it may take a password in "
                                                     "plain again");
    AddMacArgument(*command, *mac);
    command->footer("A device seen offering a challenge is pinned: from then on it gets its password only as a\n"
                    "digest, and a command is refused, with nothing sent, when anything answers for it without a\n"
                    "challenge (exit status 5), since someone may be impersonating it. Forget the pin only when\n"
                    "the device really changed: reset, or replaced by one with the same MAC that takes its\n"
                    "password in plain. The pins are kept in $XDG_STATE_HOME/kovr/known-devices (by default\n"
                    "~/.local/state/kovr/known-devices; %LOCALAPPDATA%\\kovr\\known-devices on Windows).\n\n"
                    "Examples:\n"
                    "  kovr forget 02:00:00:00:00:01");
    command->callback([mac, &status] { status = RunForget(*mac); });
}

} // namespace kovr::cli
