#include "locator/core/reboot_run.h"

#include "locator/core/record_text.h"

#include <string>

namespace kovr::locator {

RebootRun::RebootRun(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                     PostToUi post, Confirm confirm, Changed changed)
    : library_(library), device_(device), pins_(std::move(pins)), post_(std::move(post)), confirm_(std::move(confirm)),
      changed_(std::move(changed)), task_(MakeTask())
{
    state_.productLine = {TextId::RebootProductLine, {RecordText(device.productName)}};
    state_.macLine = {TextId::RebootMacLine, {FormatMacAddress(device.macAddress)}};
}

std::unique_ptr<RebootTask> RebootRun::MakeTask() const
{
    auto task = std::make_unique<RebootTask>(library_, device_, pins_, post_, confirm_);
    if (pause_) {
        task->SetPause(pause_);
    }
    return task;
}

void RebootRun::SetPause(RebootTask::Pause pause)
{
    pause_ = std::move(pause);
    task_->SetPause(pause_);
}

void RebootRun::Change(const std::function<void(State &)> &edit)
{
    edit(state_);
    // The notice goes before the face hears, which may call back.
    const State told = state_;
    state_.notice.reset();
    changed_(told);
}

void RebootRun::OnReboot(std::unique_ptr<common::Password> password)
{
    if (state_.busy != Busy::No) {
        return;
    }
    if (!password) {
        Change([](State &s) {
            s.notice = Message(TextId::PasswordTooLong, {std::to_string(common::Password::kCapacity - 1)});
        });
        return;
    }
    RebootTask::Listener listener;
    listener.refused = [this](const std::optional<Message> &error) {
        Change([&](State &s) {
            s.busy = Busy::No;
            s.notice = error;
        });
    };
    listener.rebooting = [this](TextId status) {
        Change([&](State &s) {
            s.status = status;
            s.busy = Busy::Waiting;
        });
    };
    listener.ended = [this](TextId status) {
        Change([&](State &s) {
            s.status = status;
            s.busy = Busy::No;
        });
    };
    Change([](State &s) { s.busy = Busy::Sending; });
    task_->Start(std::move(password), std::move(listener));
}

void RebootRun::OnClose()
{
    if (state_.busy == Busy::No) {
        return;
    }
    // The device reboots anyway; the old task ends its wait and closes its
    // session on its worker, and tells nobody.
    task_ = MakeTask();
    Change([](State &s) { s.busy = Busy::No; });
}

} // namespace kovr::locator
