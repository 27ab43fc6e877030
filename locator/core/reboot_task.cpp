#include "locator/core/reboot_task.h"

#include "common/reboot_wait.h"
#include "locator/core/device_command.h"
#include "locator/core/workers.h"

namespace kovr::locator {

RebootTask::RebootTask(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, PostToUi post)
    : library_(library), device_(device), post_(std::move(post)),
      pause_([stop = stop_](std::chrono::milliseconds duration) { stop->Pause(duration); })
{}

RebootTask::~RebootTask()
{
    lifetime_.End();
    stop_->Stop();
}

bool RebootTask::Start(std::unique_ptr<common::Password> password, Listener listener)
{
    if (running_) {
        return false;
    }
    running_ = true;
    auto refused = lifetime_.Guard([this, tell = listener.refused](const Message &error) {
        running_ = false;
        tell(error);
    });
    auto rebooting = lifetime_.Guard(listener.rebooting);
    auto ended = lifetime_.Guard([this, tell = listener.ended](TextId status) {
        running_ = false;
        tell(status);
    });
    ApplicationWorkers().Start([library = &library_, device = device_, post = post_, stop = stop_, pause = pause_,
                                password = std::shared_ptr<common::Password>(std::move(password)), refused, rebooting,
                                ended]() mutable {
        CommandSession session(*library);
        const int32_t result = library->RebootDevice(session.Handle(), device.macAddress, password->c_str());
        password.reset();
        if (result != 0) {
            post([refused, error = LastErrorMessage(*library, session.Handle(), TextId::RebootError)]() mutable {
                refused(error);
            });
            return;
        }
        post([rebooting]() mutable { rebooting(TextId::StatusRebooting); });
        const common::RebootOutcome outcome = common::WaitForDevice(
            [&] {
                // Once the dialog has gone, nobody reads the outcome.
                if (stop->Stopped()) {
                    return true;
                }
                KOVRDeviceInfoRecord scratch;
                return library->GetDeviceInfo(session.Handle(), device.macAddress, &scratch) == 0;
            },
            [&] { pause(common::kRebootPollPause); });
        const TextId status = outcome == common::RebootOutcome::Ready ? TextId::StatusReady : TextId::StatusTimedOut;
        post([ended, status]() mutable { ended(status); });
    });
    return true;
}

} // namespace kovr::locator
