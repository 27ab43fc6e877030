#pragma once

#include "common/reboot_wait.h"
#include "locator/busy_window.h"
#include "locator/command_session.h"
#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <QFutureWatcher>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;

namespace kovr::locator {

class StopSignal;

// Reboots one device with its password, then waits until the device answers
// again or the wait runs out. The command and the wait run on a worker
// thread; closing the dialog ends the wait. Stays open for another try.
class RebootDialog : public TemplateDialog {
    Q_OBJECT

public:
    using Pause = std::function<void(int milliseconds)>;

    RebootDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, QWidget *parent = nullptr);

    // Replaces the sleep between polls, which runs on the worker thread
    // (tests wait for nothing).
    void SetPause(Pause pause) { pause_ = std::move(pause); }

    void OnReboot();
    // Between a press of Reboot and the end of its command or wait.
    bool IsBusy() const { return busy_ != nullptr; }

public slots:
    void done(int result) override;

private:
    void OnRebootSent();
    void OnWaitEnded();
    void ShowRebootError(KOVR_HANDLE session);

    const LibrarySeam &library_;
    const KOVRDeviceInfoRecord device_;
    QLineEdit *password_;
    QLabel *status_;
    std::shared_ptr<StopSignal> stop_;
    Pause pause_;
    std::unique_ptr<CommandSession> session_; // of the running press
    std::unique_ptr<BusyWindow> busy_;
    QFutureWatcher<int32_t> command_;
    QFutureWatcher<common::RebootOutcome> wait_;
};

} // namespace kovr::locator
