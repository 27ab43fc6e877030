#include "locator/core/ip_settings_task.h"

#include "locator/core/device_command.h"
#include "locator/core/workers.h"

namespace kovr::locator {

IpSettingsTask::IpSettingsTask(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, PostToUi post)
    : library_(library), device_(device), post_(std::move(post))
{}

IpSettingsTask::~IpSettingsTask()
{
    lifetime_.End();
}

bool IpSettingsTask::OpensInDhcpMode() const
{
    return common::SettingsOf(device_).dhcp;
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
    ApplicationWorkers().Start([library = &library_, device = device_, wanted, post = post_,
                                password = std::shared_ptr<common::Password>(std::move(password)),
                                finish = lifetime_.Guard(std::move(finish))]() mutable {
        Outcome outcome;
        {
            CommandSession session(*library);
            const common::ChangeResult change =
                common::ChangeSettings(DeviceCallsOf(*library), session.Handle(), device.macAddress, wanted,
                                       password->c_str(), common::Attempts{});
            password.reset();
            const bool held =
                change.status == common::ChangeStatus::Acknowledged || change.status == common::ChangeStatus::Confirmed;
            outcome.result = held ? 0 : change.result;
            if (!held) {
                outcome.error = LastErrorMessage(*library, session.Handle(), TextId::IpSettingsError);
            }
        }
        post([finish = std::move(finish), outcome]() mutable { finish(outcome); });
    });
    return true;
}

} // namespace kovr::locator
