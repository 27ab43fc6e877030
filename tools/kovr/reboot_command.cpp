// kovr reboot: restart a device, and optionally wait until it answers again.
#include "tools/kovr/commands.h"

#include "tools/kovr/device_command.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/password.h"

#include "common/device_challenge.h"
#include "common/reboot_wait.h"

#include <iostream>
#include <memory>
#include <thread>

namespace kovr::cli {

namespace {

struct RebootOptions {
    DeviceCommandOptions device;
    bool wait = false;
};

// The device is back when it answers, itself: a guarded device's answer
// carries its challenge, while anyone can answer without one.
int WaitUntilBack(Session &session, const MacAddress &mac, common::ReplyTrust trust)
{
    std::cout << common::kRebootingStatus << std::endl;
    const common::RebootOutcome outcome = common::WaitForDevice(
        [&] {
            KOVRDeviceInfoRecord scratch{};
            return KOVRGetDeviceInfo(session.handle(), mac.data(), &scratch) == 0 && common::Trusted(scratch, trust);
        },
        [] { std::this_thread::sleep_for(common::kRebootPollPause); });
    std::cout << common::RebootStatusText(outcome) << std::endl;
    if (outcome == common::RebootOutcome::Ready) {
        return kExitSuccess;
    }
    std::cerr << "kovr: " << FormatMac(mac.data()) << " did not answer again after the reboot\n";
    return kExitTimedOut;
}

// A reboot is sent once, whatever happens: a second one could restart a
// device that is already coming back.
int RunReboot(const RebootOptions &options)
{
    return RunDeviceCommand(options.device, "reboot", [&](const CommandContext &context) {
        Session &session = context.session;
        const MacAddress &mac = context.mac;
        const int32_t result = KOVRRebootDevice(session.handle(), mac.data(), context.password.c_str());
        context.password.Clear();
        const std::string target = FormatMac(mac.data());
        if (result == KOVR_TIMED_OUT) {
            std::cerr << "kovr: reboot " << target
                      << ": no reply in time; the device may or may not have rebooted, and the reboot is not "
                         "sent again\n";
            return options.wait ? WaitUntilBack(session, mac, context.trust()) : kExitTimedOut;
        }
        if (result != 0) {
            return ReportCommandResult(context, "reboot " + target, result);
        }
        context.Took();
        if (options.wait) {
            return WaitUntilBack(session, mac, context.trust());
        }
        std::cout << target << ": rebooting\n";
        return kExitSuccess;
    });
}

} // namespace

void AddRebootCommand(CLI::App &app, int &status)
{
    auto options = std::make_shared<RebootOptions>();
    CLI::App *command = app.add_subcommand("reboot", "Restart a device");
    AddDeviceCommandOptions(*command, options->device, [&](CLI::App &own) {
        own.add_flag("--wait", options->wait,
                     "Then ask the device for its details until it answers: at once, then up to 40 times "
                     "after half a second each; prints Status: Ready, or Status: Timed out (exit status 3)");
    });
    command->footer(
        std::string("The reboot is sent once. When its reply doesn't come in time, the device may or may not\n"
                    "have rebooted: kovr says so and exits with status 3, or with --wait asks for the device\n"
                    "as after a reboot.\n\n") +
        kPasswordFooter +
        "Examples:\n"
        "  kovr reboot 02:00:00:00:00:01\n"
        "  kovr reboot 02:00:00:00:00:01 --wait --password-file /etc/kovr/password");
    command->callback([options, &status] { status = RunReboot(*options); });
}

} // namespace kovr::cli
