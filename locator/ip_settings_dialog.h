#pragma once

#include "locator/busy_window.h"
#include "locator/command_session.h"
#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <QFutureWatcher>

#include <memory>

class QLineEdit;
class QRadioButton;

namespace kovr::locator {

class IpAddressControl;

// Gives one device DHCP or a static address, mask and gateway. Apply sends
// exactly one command through a session of its own, on a worker thread, and
// closes once the outcome is shown; until then the dialog can't be closed,
// so that a failure still reaches the user.
class IpSettingsDialog : public TemplateDialog {
    Q_OBJECT

public:
    IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, QWidget *parent = nullptr);

    // While the command of Apply runs.
    bool IsBusy() const { return busy_ != nullptr; }

public slots:
    void done(int result) override;

protected:
    void OnOK() override;

private:
    void SetAddressMode(bool manual);
    void OnCommandEnded();
    void ShowLastError(KOVR_HANDLE session);

    const LibrarySeam &library_;
    const KOVRDeviceInfoRecord device_;
    IpAddressControl *ipAddress_;
    IpAddressControl *subnetMask_;
    IpAddressControl *gateway_;
    QLineEdit *password_;
    QRadioButton *dhcpRadio_;
    QRadioButton *manualRadio_;

    std::unique_ptr<CommandSession> session_; // of the running command
    std::unique_ptr<BusyWindow> busy_;
    QFutureWatcher<int32_t> command_;
};

} // namespace kovr::locator
