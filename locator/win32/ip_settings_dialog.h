#pragma once

#include "locator/core/device_pins.h"
#include "locator/core/ip_settings_form.h"
#include "locator/core/library_seam.h"
#include "locator/win32/busy_window.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"

#include <memory>

namespace kovr::locator {

// Gives one device DHCP or a static address, mask and gateway: draws the
// IpSettingsForm's state and forwards the clicks to it.
class IpSettingsDialog : public TemplateDialog {
public:
    IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins);
    ~IpSettingsDialog() override;

    // While the change of Apply runs.
    bool IsBusy() const { return form_.Busy(); }

protected:
    void OnInitDialog() override;
    HWND OpeningFocus() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;

private:
    void Draw(const IpSettingsForm::State &state);

    // Outlives the form, whose results it carries.
    UiPost post_;
    IpSettingsForm form_;
    std::unique_ptr<BusyWindow> busy_;
};

} // namespace kovr::locator
