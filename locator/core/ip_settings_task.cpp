#include "locator/core/ip_settings_task.h"

#include "locator/core/device_command.h"
#include "locator/core/guarded_command.h"
#include "locator/core/workers.h"

namespace kovr::locator {

IpSettingsTask::IpSettingsTask(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                               std::shared_ptr<DevicePins> pins, PostToUi post, Confirm confirm)
    : library_(library), device_(device), pins_(std::move(pins)), post_(post),
      question_(UiQuestion::Make(std::move(post), std::move(confirm)))
{}

IpSettingsTask::~IpSettingsTask()
{
    lifetime_.End();
    question_->Cancel();
}

bool IpSettingsTask::Apply(const common::DeviceSettings &wanted, std::unique_ptr<common::Password> password,
                           std::function<void(const Outcome &)> done)
{
    if (running_) {
        return false;
    }
    running_ = true;
    auto finish = [this, done = std::move(done)](const Outcome &outcome) {
        running_ = false;
        done(outcome);
    };
    ApplicationWorkers().Start([library = &library_, device = device_, wanted, pins = pins_, question = question_,
                                post = post_, password = std::shared_ptr<common::Password>(std::move(password)),
                                finish = lifetime_.Guard(std::move(finish))]() mutable {
        Outcome outcome;
        {
            CommandSession session(*library);
            GuardedCommand guard(*library, session.Handle(), device, *pins,
                                 LocatorGuardOptions(question, TextId::PlainPasswordQuestion), TextId::IpSettingsError);
            if (guard.Prepare(outcome.error)) {
                const common::ChangeResult change =
                    common::ChangeSettings(DeviceCallsOf(*library), session.Handle(), device.macAddress, wanted,
                                           password->c_str(), common::Attempts{}, nullptr, guard.Trust());
                const bool held = change.status == common::ChangeStatus::Acknowledged ||
                                  change.status == common::ChangeStatus::Confirmed;
                outcome.error = guard.Finish(held, change.result);
            } else {
                outcome.declined = !outcome.error;
            }
            password.reset();
        }
        post([finish = std::move(finish), outcome]() mutable { finish(outcome); });
    });
    return true;
}

} // namespace kovr::locator
