#pragma once

#include "locator/core/reboot_run.h"
#include "locator/win32/busy_window.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"

#include <memory>

namespace kovr::locator {

// Draws the reboot's model (core/reboot_run.h) and forwards Reboot and the
// close to it. Stays open for another try.
class RebootDialog : public TemplateDialog {
public:
    RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins);
    ~RebootDialog() override;

    // Replaces the pause between polls (tests wait for nothing).
    void SetPause(RebootTask::Pause pause) { run_.SetPause(std::move(pause)); }

    // Between a press of Reboot and the end of its command or wait.
    bool IsBusy() const { return run_.Current().busy != RebootRun::Busy::No; }

protected:
    void OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

private:
    void Draw(const RebootRun::State &state);

    // Outlives the model's tasks, whose results it carries.
    UiPost post_;
    std::unique_ptr<BusyWindow> busy_;
    RebootRun run_;
};

} // namespace kovr::locator
