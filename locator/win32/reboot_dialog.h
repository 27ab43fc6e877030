#pragma once

#include "locator/core/device_pins.h"
#include "locator/core/library_seam.h"
#include "locator/core/reboot_task.h"
#include "locator/win32/busy_window.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"

#include <memory>

namespace kovr::locator {

// Reboots one device with its password, then waits until the device answers
// again or the wait runs out, on a worker; closing the dialog ends the wait.
// Stays open for another try.
class RebootDialog : public TemplateDialog {
public:
    RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins);
    ~RebootDialog() override;

    // Replaces the pause between polls (tests wait for nothing).
    void SetPause(RebootTask::Pause pause) { task_->SetPause(std::move(pause)); }

    // Between a press of Reboot and the end of its command or wait.
    bool IsBusy() const { return task_->Running(); }

protected:
    void OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

private:
    std::unique_ptr<RebootTask> MakeTask(const KOVRDeviceInfoRecord &device);
    void OnReboot();
    void ShowStatus(TextId status);

    const LibrarySeam &library_;
    const std::shared_ptr<DevicePins> pins_;
    // Outlives the task, whose results it carries.
    UiPost post_;
    // Made anew when the dialog closes during a reboot, which lets the old
    // one finish on its own.
    std::unique_ptr<RebootTask> task_;
    std::unique_ptr<BusyWindow> busy_;
};

} // namespace kovr::locator
