#include "tools/kovr/device_command.h"

#include "tools/kovr/exit_status.h"
#include "tools/kovr/password.h"
#include "tools/kovr/pins.h"

#include "common/library_calls.h"

#include <iostream>
#include <optional>

namespace kovr::cli {

const char *const kSettingsRetriesHelp = "Make the change up to N more times while it times out";
const char *const kSettingsChangeFooter =
    "When the device doesn't answer in time, kovr asks it for its settings: if it already holds\n"
    "the new ones, only its reply was lost and the change is done; if not, the change is sent\n"
    "again, at most --retries more times. A refused password or an error from the device is\n"
    "never retried.\n\n";
const char *const kPasswordFooter =
    "A device that offers a challenge gets the password only as a digest, and is pinned: from then\n"
    "on, if anything answers for it without a challenge, nothing is sent and kovr exits with\n"
    "status 5 ('kovr forget MAC' resets the pin). A device without one gets it in plain, which any\n"
    "host on the segment can read: kovr warns first, and --require-digest refuses it.\n\n";

void AddDeviceCommandOptions(CLI::App &command, DeviceCommandOptions &options,
                             const std::function<void(CLI::App &)> &addOwnOptions)
{
    AddMacArgument(command, options.mac);
    if (addOwnOptions) {
        addOwnOptions(command);
    }
    AddPasswordOptions(command, options.password);
    AddRequireDigestOption(command, options.requireDigest);
    AddSessionOptions(command, options.session);
}

void AddRequireDigestOption(CLI::App &command, bool &requireDigest)
{
    command.add_flag("--require-digest", requireDigest,
                     "Send a password only as a digest: refuse a device that offers no challenge");
}

void AddRetriesOption(CLI::App &command, unsigned &retries, const std::string &what)
{
    constexpr unsigned kMaxRetries = common::kMaxAttempts - 1;
    command.add_option("--retries", retries, what + " (default " + std::to_string(retries) + "; 0 makes it once)")
        ->type_name("N")
        ->check(CLI::Range(0u, kMaxRetries));
}

common::Attempts AttemptsWith(unsigned retries)
{
    return {retries + 1, std::nullopt};
}

common::ResendNotice RetryNotice(const std::string &action, unsigned retries)
{
    return [action, limit = retries + 1](unsigned attempt) {
        std::cerr << "kovr: " << action << ": no answer in time; trying again (attempt " << attempt << " of " << limit
                  << ")\n";
    };
}

common::GuardOptions KovrGuardOptions(bool requireDigest, const std::string &action, const std::string &postscript)
{
    common::GuardOptions options;
    options.requireDigest = requireDigest;
    options.approvePlain = [action, postscript](const MacAddress &first) {
        std::cerr << "kovr: warning: " << action << ": " << common::PlainWarningText(first) << ' ' << postscript
                  << '\n';
        return true;
    };
    options.howToForget = [](const MacAddress &mac) {
        return "forget its pin with 'kovr forget " + FormatMac(mac.data()) + "' and try again";
    };
    return options;
}

int ReportRefusal(const common::CommandGuard &guard, const std::string &action, common::Verdict verdict,
                  const MacAddress &mac)
{
    std::cerr << "kovr: " << action << ": " << guard.Explain(verdict, mac) << '\n';
    return verdict == common::Verdict::Impostor ? kExitImpostor : kExitFailure;
}

int RunDeviceCommand(const DeviceCommandOptions &options, const std::string &action, const WithPassword &use)
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
    const std::string target = action + " " + FormatMac(mac.data());
    Pins pins;
    common::CommandGuard guard(common::LibraryGuardCalls(), pins.store(),
                               KovrGuardOptions(options.requireDigest, target, "--require-digest refuses it."));
    // Only the device's answer to a query for its own MAC shows whether it
    // offers a challenge; a pinned device needs none, the library's guard
    // refuses whatever answers for it without one.
    KOVRDeviceInfoRecord reply{};
    const bool ask = guard.WantsReply(mac);
    if (ask) {
        const int32_t result = common::QueryDevice(common::LibraryDeviceCalls(), session.handle(), mac.data(), reply,
                                                   {common::kDefaultAttempts, std::nullopt},
                                                   RetryNotice(target, common::kDefaultAttempts));
        if (result != 0) {
            return ReportResult(session, target, result);
        }
    }
    const common::Verdict verdict = guard.Decide(mac, ask ? &reply : nullptr);
    pins.Save();
    if (verdict == common::Verdict::Impostor || verdict == common::Verdict::RefusedPlain) {
        return ReportRefusal(guard, target, verdict, mac);
    }
    if (verdict == common::Verdict::Plain) {
        guard.ApprovePlain(mac);
    }
    if (!guard.Arm(session.handle(), verdict)) {
        std::cerr << "kovr: " << target << ": the library refused the command policy; nothing was sent\n";
        return kExitFailure;
    }
    const int status = use({session, mac, *password, guard, verdict});
    pins.Save();
    return status;
}

int ReportCommandResult(const CommandContext &context, const std::string &action, int32_t result)
{
    if (const auto refusal = context.guard.Refusal(context.session.handle(), context.mac, result)) {
        return ReportRefusal(context.guard, action, *refusal, context.mac);
    }
    return ReportResult(context.session, action, result);
}

int RunSettingsChange(const DeviceCommandOptions &options, const std::string &action,
                      const common::DeviceSettings &wanted, unsigned retries, const std::string &done)
{
    return RunDeviceCommand(options, action, [&](const CommandContext &context) {
        const MacAddress &mac = context.mac;
        const std::string target = action + " " + FormatMac(mac.data());
        const common::ChangeResult change = common::ChangeSettings(
            common::LibraryDeviceCalls(), context.session.handle(), mac.data(), wanted, context.password.c_str(),
            AttemptsWith(retries), RetryNotice(target, retries), context.trust());
        context.password.Clear();
        switch (change.status) {
        case common::ChangeStatus::Acknowledged:
            context.Took();
            std::cout << FormatMac(mac.data()) << ": " << done << '\n';
            return kExitSuccess;
        case common::ChangeStatus::Confirmed:
            std::cerr << "kovr: " << target << ": the device's reply was lost; a query confirmed the change\n";
            std::cout << FormatMac(mac.data()) << ": " << done << '\n';
            return kExitSuccess;
        case common::ChangeStatus::Refused:
        case common::ChangeStatus::Failed:
            return ReportCommandResult(context, target, change.result);
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
