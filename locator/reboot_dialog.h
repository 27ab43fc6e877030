#pragma once

#include "locator/busy_window.h"
#include "locator/core/reboot_run.h"
#include "locator/template_dialog.h"

#include <memory>

class QLineEdit;

namespace kovr::locator {

// Draws the reboot's model (core/reboot_run.h) and forwards Reboot and the
// close to it. Stays open for another try.
class RebootDialog : public TemplateDialog {
    Q_OBJECT

public:
    RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                 QWidget *parent = nullptr);

    // Replaces the pause between polls (tests wait for nothing).
    void SetPause(RebootTask::Pause pause) { run_.SetPause(std::move(pause)); }

    void OnReboot();
    // Between a press of Reboot and the end of its command or wait.
    bool IsBusy() const { return run_.Current().busy != RebootRun::Busy::No; }

public slots:
    void done(int result) override;

private:
    void Draw(const RebootRun::State &state);

    QLineEdit *password_;
    std::unique_ptr<BusyWindow> busy_;
    RebootRun run_;
};

} // namespace kovr::locator
