// What the password-protected commands (set-ip, dhcp, reboot) share: the
// device's MAC, the session options, the password source, --require-digest,
// --retries, and the run of one command from reading the password, through
// the decision whether and how it may leave, to reporting the device's
// answer.
#pragma once

#include "tools/kovr/addresses.h"
#include "tools/kovr/options.h"
#include "tools/kovr/session.h"

#include "common/command_guard.h"
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
    bool requireDigest = false;
};
// The MAC first, then the command's own options, then the shared ones.
void AddDeviceCommandOptions(CLI::App &command, DeviceCommandOptions &options,
                             const std::function<void(CLI::App &)> &addOwnOptions = nullptr);
// --require-digest: refuse a device that would take its password in plain.
void AddRequireDigestOption(CLI::App &command, bool &requireDigest);

// --retries N: how many more times a command or query that timed out is
// made after the first; the default gives common's attempts in all.
constexpr unsigned kDefaultRetries = common::kDefaultAttempts - 1;
void AddRetriesOption(CLI::App &command, unsigned &retries, const std::string &what);
// The first attempt and the retries, without a deadline.
common::Attempts AttemptsWith(unsigned retries);

// What set-ip and dhcp say about --retries.
extern const char *const kSettingsRetriesHelp;
extern const char *const kSettingsChangeFooter;
// What set-ip, dhcp and reboot say about passwords on the wire.
extern const char *const kPasswordFooter;

// A notice on stderr before each retry: "attempt 2 of 3".
common::ResendNotice RetryNotice(const std::string &action, unsigned retries);

// The guard's options as kovr uses them: a warning on stderr, naming the
// action and ending with `postscript`, before the first password of the run
// that crosses the segment in clear, and 'kovr forget' as the way to forget
// a pin.
common::GuardOptions KovrGuardOptions(bool requireDigest, const std::string &action, const std::string &postscript);
// Prints the guard's sentence for a verdict that sends nothing and returns
// the exit status: kExitImpostor, or kExitFailure for a refused plain device.
int ReportRefusal(const common::CommandGuard &guard, const std::string &action, common::Verdict verdict,
                  const MacAddress &mac);

// One command, once its password may leave: the session with its policy
// set, and the guard's verdict.
struct CommandContext {
    Session &session;
    const MacAddress &mac;
    Password &password;
    common::CommandGuard &guard;
    common::Verdict verdict;

    // Which replies to later queries show the device itself.
    common::ReplyTrust trust() const { return common::TrustAfter(verdict); }
    // The device took the command: pinned when it went as a digest.
    void Took() const { guard.Took(mac, verdict); }
};
// Clears the password as soon as nothing more is sent.
using WithPassword = std::function<int(const CommandContext &context)>;

// Reads the password, opens a session, asks a device that isn't pinned for
// its challenge, and runs `use` unless the guard sends nothing; the
// password is wiped by then at the latest. Returns the exit status that
// `use` gives, or the refusal's.
int RunDeviceCommand(const DeviceCommandOptions &options, const std::string &action, const WithPassword &use);

// For a command's result: the guard's refusal (nothing was sent), or
// ReportResult's exit status and message.
int ReportCommandResult(const CommandContext &context, const std::string &action, int32_t result);

// set-ip and dhcp: asks for `wanted` through common::ChangeSettings and
// prints `done` once the device took it, saying so when only a query could
// confirm it.
int RunSettingsChange(const DeviceCommandOptions &options, const std::string &action,
                      const common::DeviceSettings &wanted, unsigned retries, const std::string &done);

} // namespace kovr::cli
