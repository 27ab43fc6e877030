#pragma once

#include "locator/core/device_pins.h"
#include "locator/core/ip_settings_task.h"
#include "locator/core/library_seam.h"
#include "locator/win32/busy_window.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"

#include <memory>

namespace kovr::locator {

// Gives one device DHCP or a static address, mask and gateway. Apply runs
// the change on a worker and closes once the outcome is shown; until then
// the dialog can't be closed, so that a failure still reaches the user.
// When the user chooses not to send a password in plain, it stays open.
class IpSettingsDialog : public TemplateDialog {
public:
    IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins);
    ~IpSettingsDialog() override;

    // While the change of Apply runs.
    bool IsBusy() const { return task_.Running(); }

protected:
    void OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;

private:
    void SetAddressMode(bool manual);
    void OnApplied(const IpSettingsTask::Outcome &outcome);

    // Outlives the task, whose results it carries.
    UiPost post_;
    IpSettingsTask task_;
    std::unique_ptr<BusyWindow> busy_;
};

} // namespace kovr::locator
