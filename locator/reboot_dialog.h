#ifndef KOVR_LOCATOR_REBOOT_DIALOG_H
#define KOVR_LOCATOR_REBOOT_DIALOG_H

#include "common/reboot_wait.h"
#include "locator/busy_window.h"
#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <QFutureWatcher>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class StopSignal;

// Reboots one device with its password, then waits until the device answers
// again or the wait runs out. The command and the wait run on a worker
// thread; closing the dialog ends the wait. Stays open for another try.
class RebootDialog : public TemplateDialog {
    Q_OBJECT

public:
    using Pause = std::function<void(int milliseconds)>;

    explicit RebootDialog(const LibrarySeam &library, QWidget *parent = nullptr);

    // Borrowed from the main window for the dialog's run.
    const KOVRDeviceInfoRecord *m_device = nullptr;

    // Replaces the sleep between polls, which runs on the worker thread
    // (tests wait for nothing).
    void SetPause(Pause pause) { m_pause = std::move(pause); }

    void OnReboot();
    void ShowRebootError(KOVR_HANDLE session);
    // Between a press of Reboot and the end of its command or wait.
    bool IsBusy() const { return m_busy != nullptr; }

public slots:
    void done(int result) override;

protected:
    void OnInitDialog() override;

private:
    void UpdateData(bool saveAndValidate);
    void OnRebootSent();
    void OnWaitEnded();
    void EndPress();

    const LibrarySeam &m_library;
    QLabel *m_productLabel;
    QLabel *m_macLabel;
    QLineEdit *m_passwordEdit;
    QLabel *m_statusLabel;
    std::shared_ptr<StopSignal> m_stop;
    Pause m_pause;
    KOVR_HANDLE m_session = nullptr; // of the running press
    std::unique_ptr<BusyWindow> m_busy;
    QFutureWatcher<int32_t> m_command;
    QFutureWatcher<kovr::common::RebootOutcome> m_wait;

    QString m_productLine;
    QString m_macLine;
    QString m_password;
    QString m_status;
};

#endif
