#ifndef KOVR_LOCATOR_REBOOT_DIALOG_H
#define KOVR_LOCATOR_REBOOT_DIALOG_H

#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <functional>

class QLabel;
class QLineEdit;

// Reboots one device with its password, then waits on this thread until the
// device answers again or the wait runs out. Stays open for another try.
class RebootDialog : public TemplateDialog {
    Q_OBJECT

public:
    using Pause = std::function<void(int milliseconds)>;

    explicit RebootDialog(const LibrarySeam &library, QWidget *parent = nullptr);

    // Borrowed from the main window for the dialog's run.
    const KOVRDeviceInfoRecord *m_device = nullptr;

    // Replaces the sleep between polls (tests wait for nothing).
    void SetPause(Pause pause) { m_pause = std::move(pause); }

    void OnReboot();
    void ShowRebootError(KOVR_HANDLE session);

protected:
    void OnInitDialog() override;

private:
    void UpdateData(bool saveAndValidate);
    QString WaitForDevice(KOVR_HANDLE session);
    bool PollDevice(KOVR_HANDLE session);

    const LibrarySeam &m_library;
    QLabel *m_productLabel;
    QLabel *m_macLabel;
    QLineEdit *m_passwordEdit;
    QLabel *m_statusLabel;
    Pause m_pause;

    QString m_productLine;
    QString m_macLine;
    QString m_password;
    QString m_status;
};

#endif
