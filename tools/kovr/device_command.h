// What the password-protected commands (set-ip, dhcp, reboot) share: the
// device's MAC, the session options, the password source, --retries, and
// the run of one command from reading the password to reporting the
// device's answer.
#pragma once

#include "tools/kovr/addresses.h"
#include "tools/kovr/options.h"
#include "tools/kovr/session.h"

#include "common/password.h"
#include "common/settings_change.h"

#include <functional>
#include <string>

namespace kovr::cli {

using common::Password;

struct DeviceCommandOptions {
    MacAddress mac{};
    SessionChoice session;
    PasswordSource password;
};
// The MAC first, then the command's own options, then the shared ones.
void AddDeviceCommandOptions(CLI::App &command, DeviceCommandOptions &options,
                             const std::function<void(CLI::App &)> &addOwnOptions = nullptr);

// --retries N: how many times in all a command or query that timed out is made.
void AddRetriesOption(CLI::App &command, unsigned &attempts, const std::string &what);

// What set-ip and dhcp say about --retries.
extern const char *const kSettingsRetriesHelp;
extern const char *const kSettingsChangeFooter;

// A notice on stderr before attempt `attempt` of `limit`.
common::ResendNotice RetryNotice(const std::string &action, unsigned limit);

// Clears the password as soon as nothing more is sent.
using WithPassword = std::function<int(Session &session, const MacAddress &mac, Password &password)>;

// Reads the password, opens a session and runs `use`; the password is wiped
// by then at the latest. Returns the exit status that `use` gives.
int RunDeviceCommand(const DeviceCommandOptions &options, const WithPassword &use);

// set-ip and dhcp: asks for `wanted` through common::ChangeSettings and
// prints `done` once the device took it, saying so when only a query could
// confirm it.
int RunSettingsChange(const DeviceCommandOptions &options, const std::string &action,
                      const common::DeviceSettings &wanted, unsigned attempts, const std::string &done);

} // namespace kovr::cli
