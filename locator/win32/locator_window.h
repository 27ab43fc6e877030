#pragma once

#include "common/device_checks.h"
#include "locator/core/device_pins.h"
#include "locator/core/device_table.h"
#include "locator/core/library_seam.h"
#include "locator/core/search_job.h"
#include "locator/win32/busy_window.h"
#include "locator/win32/device_list.h"
#include "locator/win32/template_dialog.h"
#include "locator/win32/ui_post.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

namespace kovr::locator {

// The commands of the main window's context menu and keyboard shortcuts.
namespace MenuId {
enum : int {
    CopyIpAddress = 40001,
    CopyMacAddress,
    CopyRow,
    OpenWebPage,
    ConfigureIpSettings,
    DeviceInfo,
    RebootDevice,
    ForgetPin,
    ConfigureSelectedDevices, // also Ctrl+Shift+C
    ApplyPlan,                // also Ctrl+O
    SaveListAs,
    CopySelectedRows, // Ctrl+C
    Refresh,          // F5
};
}

// The main window: draws the core's device table and forwards the user's
// input to it. The devices that answered the last search, one row each,
// and the tasks for the selected one; the selected rows are configured at
// once, as are the devices a plan file names. The search runs on a worker,
// so the window keeps painting meanwhile, and takes no input until it ends.
// The pins of devices seen offering a challenge are shared with kovr; a
// row's menu forgets one.
class LocatorWindow : public TemplateDialog {
public:
    using SubnetSource = std::function<std::vector<common::LocalSubnet>()>;

    // `pins`: the user's (common::KnownDevicesPath()), or a test's own.
    LocatorWindow(const LibrarySeam &library, std::shared_ptr<DevicePins> pins);
    ~LocatorWindow() override;

    // Refresh List: "Searching...", then the devices; nothing while a
    // search runs.
    void RefreshList();
    bool IsSearching() const { return search_.Running(); }
    const DeviceTable &Table() const { return table_; }
    // Where the conflict marks take this machine's subnets from (tests
    // give their own).
    void SetSubnetSource(SubnetSource source) { subnets_ = std::move(source); }

    // The tasks on the selected device, and on several at once.
    void OnOpenWebInterface();
    void OnConfigureIpSettings();
    void OnDeviceInfo();
    void OnRebootDevice();
    // The selected device's pin: its password may travel in plain again.
    void OnForgetPin();
    void OnConfigureSelectedDevices();
    void OnApplyPlan();
    // The selected devices as IP, MAC, name and product, tab-separated, one
    // a line, to the clipboard.
    void CopySelectedRows();
    void SaveListAs();

protected:
    void OnInitDialog() override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(const NMHDR &header) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;
    void OnDestroy() override;
    HACCEL Accelerators() const override { return accelerators_; }

private:
    void OnStartSearch();
    void OnShowResults(const SearchJob::Found &found);
    // The single-device tasks with one row selected or none (which they
    // tell the user), the batch with one or more.
    void UpdateTasks();
    bool SeveralSelected() const { return table_.SelectedDeviceRows().size() > 1; }
    // The selected record copy, or none after telling the user so.
    const KOVRDeviceInfoRecord *SelectedDeviceOrNotice();
    // What went wrong with the pins' file since the last look, each once.
    void ShowPinWarnings();
    void ShowContextMenu(POINT screen);
    void RunMenuCommand(UINT id, size_t row);
    void CopyText(const std::string &text);

    const LibrarySeam &library_;
    const std::shared_ptr<DevicePins> pins_;
    UiPost post_;
    DeviceTable table_;
    SearchJob search_;
    std::unique_ptr<DeviceList> list_; // from OnInitDialog
    std::unique_ptr<BusyWindow> busy_;
    KOVR_HANDLE session_ = nullptr;
    SubnetSource subnets_;
    const HACCEL accelerators_;
};

} // namespace kovr::locator
