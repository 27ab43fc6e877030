// What the password-protected commands (set-ip, dhcp, reboot) share: the
// device's MAC, the session options, the password source, and the run of
// one command from reading the password to reporting the device's answer.
#pragma once

#include "tools/kovr/addresses.h"
#include "tools/kovr/options.h"
#include "tools/kovr/session.h"

#include <functional>
#include <string>

namespace kovr::cli {

struct DeviceCommandOptions {
    std::string mac;
    SessionChoice session;
    PasswordSource password;
};
// The MAC first, then the command's own options, then the shared ones.
void AddDeviceCommandOptions(CLI::App &command, DeviceCommandOptions &options,
                             const std::function<void(CLI::App &)> &addOwnOptions = nullptr);

using CommandCall = std::function<int32_t(KOVR_HANDLE session, const uint8_t *mac, const char *password)>;
using AfterSuccess = std::function<int(Session &session, const MacAddress &mac)>;

// Reads the password, opens a session, makes the call and wipes the
// password. On success, afterSuccess (if any) continues with the session
// and gives the exit status.
int RunDeviceCommand(const DeviceCommandOptions &options, const std::string &action, const CommandCall &call,
                     const AfterSuccess &afterSuccess = nullptr);

} // namespace kovr::cli
