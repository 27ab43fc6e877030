#pragma once

#include "locator/busy_window.h"
#include "locator/core/ip_settings_form.h"
#include "locator/core/library_seam.h"
#include "locator/template_dialog.h"

#include <memory>

class QLineEdit;

namespace kovr::locator {

class IpAddressControl;

// Gives one device DHCP or a static address, mask and gateway: draws the
// IpSettingsForm's state and forwards the clicks to it.
class IpSettingsDialog : public TemplateDialog {
    Q_OBJECT

public:
    IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                     QWidget *parent = nullptr);

    // While the change of Apply runs.
    bool IsBusy() const { return form_.Busy(); }

public slots:
    void done(int result) override;

protected:
    void OnOK() override;
    QWidget *OpeningFocus() override;

private:
    void Draw(const IpSettingsForm::State &state);

    IpAddressControl *addresses_[3];
    QLineEdit *password_;
    IpSettingsForm form_;
    std::unique_ptr<BusyWindow> busy_;
};

} // namespace kovr::locator
