#pragma once

#include "locator/core/device_pins.h"
#include "locator/core/device_table.h"
#include "locator/core/library_seam.h"
#include "locator/win32/template_dialog.h"

#include <windows.h>

#include <memory>

namespace kovr::locator {

// The main window: draws the core's device table and forwards the user's
// input to it. The devices that answered the last search, one row each,
// and the tasks for the selected one; the selected rows are configured at
// once, as are the devices a plan file names. The pins of devices seen
// offering a challenge are shared with kovr; a row's menu forgets one.
class LocatorWindow : public TemplateDialog {
public:
    // `pins`: the user's (common::KnownDevicesPath()), or a test's own.
    LocatorWindow(const LibrarySeam &library, std::shared_ptr<DevicePins> pins);
    ~LocatorWindow() override;

    const DeviceTable &Table() const { return table_; }

    // The tasks on the selected device, and on several at once.
    void OnConfigureIpSettings();
    void OnRebootDevice();
    void OnConfigureSelectedDevices();
    void OnApplyPlan();

protected:
    void OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

private:
    const LibrarySeam &library_;
    const std::shared_ptr<DevicePins> pins_;
    DeviceTable table_;
    KOVR_HANDLE session_ = nullptr;
};

} // namespace kovr::locator
