#ifndef KOVR_LOCATOR_IP_SETTINGS_DIALOG_H
#define KOVR_LOCATOR_IP_SETTINGS_DIALOG_H

#include "locator/busy_window.h"
#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <QFutureWatcher>

#include <memory>

class IpAddressControl;
class QLineEdit;
class QLabel;
class QRadioButton;

// Gives one device DHCP or a static address, mask and gateway. Apply sends
// exactly one command through a session of its own, on a worker thread, and
// always closes.
class IpSettingsDialog : public TemplateDialog {
    Q_OBJECT

public:
    explicit IpSettingsDialog(const LibrarySeam &library, QWidget *parent = nullptr);

    // Borrowed from the main window for the dialog's run.
    const KOVRDeviceInfoRecord *m_device = nullptr;

    // manual: 0 for DHCP, 1 for a static address.
    void SetAddressMode(int manual);
    void OnDhcpClicked();
    void OnManualClicked();
    void ShowLastError(KOVR_HANDLE session);
    // While the command of Apply runs.
    bool IsBusy() const { return m_busy != nullptr; }

public slots:
    void done(int result) override;

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    void UpdateData(bool saveAndValidate);
    void OnCommandEnded();

    const LibrarySeam &m_library;
    IpAddressControl *m_ipAddressCtrl;
    IpAddressControl *m_gatewayCtrl;
    IpAddressControl *m_subnetMaskCtrl;
    QLineEdit *m_passwordEdit;
    QLabel *m_macLabel;
    QLabel *m_productLabel;
    QRadioButton *m_dhcpRadio;
    QRadioButton *m_manualRadio;

    QString m_password;
    QString m_macText;
    QString m_productText;
    int m_mode = -1; // 0 DHCP, 1 manual, -1 neither button checked

    KOVR_HANDLE m_session = nullptr; // of the running command
    std::unique_ptr<BusyWindow> m_busy;
    QFutureWatcher<int32_t> m_command;
};

#endif
