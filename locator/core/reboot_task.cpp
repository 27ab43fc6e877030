#include "locator/core/reboot_task.h"

#include "common/reboot_wait.h"
#include "locator/core/device_command.h"
#include "locator/core/guarded_command.h"
#include "locator/core/workers.h"

namespace kovr::locator {

RebootTask::RebootTask(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                       PostToUi post, Confirm confirm)
    : library_(library), device_(device), pins_(std::move(pins)), post_(post),
      question_(UiQuestion::Make(std::move(post), std::move(confirm))),
      pause_([stop = stop_](std::chrono::milliseconds duration) { stop->Pause(duration); })
{}

RebootTask::~RebootTask()
{
    lifetime_.End();
    question_->Cancel();
    stop_->Stop();
}

bool RebootTask::Start(std::unique_ptr<common::Password> password, Listener listener)
{
    if (running_) {
        return false;
    }
    running_ = true;
    auto refused = lifetime_.Guard([this, tell = listener.refused](const std::optional<Message> &error) {
        running_ = false;
        tell(error);
    });
    auto rebooting = lifetime_.Guard(listener.rebooting);
    auto ended = lifetime_.Guard([this, tell = listener.ended](TextId status) {
        running_ = false;
        tell(status);
    });
    ApplicationWorkers().Start([library = &library_, device = device_, pins = pins_, question = question_, post = post_,
                                stop = stop_, pause = pause_,
                                password = std::shared_ptr<common::Password>(std::move(password)), refused, rebooting,
                                ended]() mutable {
        CommandSession session(*library);
        std::optional<Message> error;
        bool rebooted = false;
        common::ReplyTrust trust = common::ReplyTrust::ChallengedReply;
        {
            GuardedCommand guard(*library, session.Handle(), device, *pins,
                                 LocatorGuardOptions(question, TextId::PlainPasswordQuestion), TextId::RebootError);
            if (guard.Prepare(error)) {
                const int32_t result = library->RebootDevice(session.Handle(), device.macAddress, password->c_str());
                rebooted = result == 0;
                error = guard.Finish(rebooted, result);
            }
            trust = guard.Trust();
        }
        password.reset();
        if (!rebooted) {
            post([refused, error]() mutable { refused(error); });
            return;
        }
        post([rebooting]() mutable { rebooting(TextId::StatusRebooting); });
        const common::RebootOutcome outcome = common::WaitForDevice(
            [&] {
                // Once the dialog has gone, nobody reads the outcome.
                if (stop->Stopped()) {
                    return true;
                }
                // For a pinned device, only its own reply, with its challenge.
                KOVRDeviceInfoRecord reply{};
                return library->GetDeviceInfo(session.Handle(), device.macAddress, &reply) == 0 &&
                       common::Trusted(reply, trust);
            },
            [&] { pause(common::kRebootPollPause); });
        const TextId status = outcome == common::RebootOutcome::Ready ? TextId::StatusReady : TextId::StatusTimedOut;
        post([ended, status]() mutable { ended(status); });
    });
    return true;
}

} // namespace kovr::locator
