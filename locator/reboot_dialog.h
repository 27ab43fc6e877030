#pragma once

#include "locator/busy_window.h"
#include "locator/core/library_seam.h"
#include "locator/core/reboot_task.h"
#include "locator/template_dialog.h"

#include <memory>

class QLabel;
class QLineEdit;

namespace kovr::locator {

// Reboots one device with its password, then waits until the device answers
// again or the wait runs out, on a worker; closing the dialog ends the wait.
// Stays open for another try.
class RebootDialog : public TemplateDialog {
    Q_OBJECT

public:
    RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                 QWidget *parent = nullptr);

    // Replaces the pause between polls (tests wait for nothing).
    void SetPause(RebootTask::Pause pause) { task_->SetPause(std::move(pause)); }

    void OnReboot();
    // Between a press of Reboot and the end of its command or wait.
    bool IsBusy() const { return task_->Running(); }

public slots:
    void done(int result) override;

private:
    const LibrarySeam &library_;
    const std::shared_ptr<DevicePins> pins_;
    // Made anew when the dialog closes during a reboot, which lets the old
    // one finish on its own.
    std::unique_ptr<RebootTask> task_;
    QLineEdit *password_;
    QLabel *status_;
    std::unique_ptr<BusyWindow> busy_;
};

} // namespace kovr::locator
