// The reboot dialog's view-model: the device's lines, the status line and
// how busy the dialog is, from a press of Reboot through the command and the
// wait for the device. Closing during the wait lets the running reboot end
// on its own and leaves a fresh one for the next press.
#pragma once

#include "locator/core/reboot_task.h"

#include <functional>
#include <memory>
#include <optional>

namespace kovr::locator {

class RebootRun {
public:
    // While the command runs the dialog takes no input; while it waits for
    // the device the cursor shows the wait too.
    enum class Busy { No, Sending, Waiting };

    struct State {
        Message productLine;
        Message macLine;
        std::optional<TextId> status; // an empty line until the device took a reboot
        Busy busy = Busy::No;
        // A message box to show once, with this change.
        std::optional<Message> notice;
    };
    using Changed = std::function<void(const State &)>;

    RebootRun(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
              PostToUi post, Confirm confirm, Changed changed);
    RebootRun(const RebootRun &) = delete;
    RebootRun &operator=(const RebootRun &) = delete;

    const State &Current() const { return state_; }
    // Replaces the pause between polls (tests wait for nothing).
    void SetPause(RebootTask::Pause pause);

    // Reboot pressed with the typed password; none when it was too long.
    void OnReboot(std::unique_ptr<common::Password> password);
    // The dialog closes, during a reboot or not.
    void OnClose();

private:
    std::unique_ptr<RebootTask> MakeTask() const;
    void Change(const std::function<void(State &)> &edit);

    const LibrarySeam &library_;
    const KOVRDeviceInfoRecord device_;
    const std::shared_ptr<DevicePins> pins_;
    const PostToUi post_;
    const Confirm confirm_;
    const Changed changed_;
    RebootTask::Pause pause_;
    State state_;
    std::unique_ptr<RebootTask> task_;
};

} // namespace kovr::locator
