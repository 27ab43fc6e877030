#pragma once

#include "locator/busy_window.h"
#include "locator/core/ip_settings_task.h"
#include "locator/core/library_seam.h"
#include "locator/template_dialog.h"

#include <memory>

class QLineEdit;
class QRadioButton;

namespace kovr::locator {

class IpAddressControl;

// Gives one device DHCP or a static address, mask and gateway. Apply runs
// the change on a worker and closes once the outcome is shown; until then
// the dialog can't be closed, so that a failure still reaches the user.
// When the user chooses not to send a password in plain, it stays open.
class IpSettingsDialog : public TemplateDialog {
    Q_OBJECT

public:
    IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                     QWidget *parent = nullptr);

    // While the change of Apply runs.
    bool IsBusy() const { return task_.Running(); }

public slots:
    void done(int result) override;

protected:
    void OnOK() override;

private:
    void SetAddressMode(bool manual);
    void OnApplied(const IpSettingsTask::Outcome &outcome);

    IpSettingsTask task_;
    IpAddressControl *ipAddress_;
    IpAddressControl *subnetMask_;
    IpAddressControl *gateway_;
    QLineEdit *password_;
    QRadioButton *dhcpRadio_;
    QRadioButton *manualRadio_;
    std::unique_ptr<BusyWindow> busy_;
};

} // namespace kovr::locator
