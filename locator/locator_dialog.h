#pragma once

#include "common/device_checks.h"
#include "locator/busy_window.h"
#include "locator/core/device_pins.h"
#include "locator/core/device_table.h"
#include "locator/core/library_seam.h"
#include "locator/core/search_job.h"
#include "locator/template_dialog.h"

#include <functional>
#include <memory>
#include <vector>

class QTreeWidget;

namespace kovr::locator {

class BatchDialog;
class DeviceListView;

// The main window: draws the core's device table and forwards the user's
// input to it. The devices that answered the last search, one row each,
// and the tasks for the selected one; the selected rows are configured at
// once, as are the devices a plan file names. The search runs on a worker,
// so the window keeps painting meanwhile. The pins of devices seen offering
// a challenge are kept in the user's state folder, shared with kovr; a
// row's menu forgets one.
class LocatorDialog : public TemplateDialog {
    Q_OBJECT

public:
    using SubnetSource = std::function<std::vector<common::LocalSubnet>()>;

    explicit LocatorDialog(const LibrarySeam &library, QWidget *parent = nullptr);
    ~LocatorDialog() override;

    void RefreshList();
    void DeleteAllRows();
    const KOVRDeviceInfoRecord *DeviceAt(int index) const;
    const KOVRDeviceInfoRecord *GetSelectedDevice() const;
    void ShowNoSelection();

    void OnStartSearch();
    void OnShowResults(const SearchJob::Found &found);
    void OnOpenWebInterface();
    void OnConfigureIpSettings();
    void OnRebootDevice();
    void OnDeviceInfo();
    // The selected device's pin: its password may travel in plain again.
    void OnForgetPin();

    // The selected devices at once, and the devices a plan file names.
    void OnConfigureSelectedDevices();
    void OnApplyPlan();
    void ApplyPlanFile(const QString &path);
    // The positions of the selected device rows, in list order.
    std::vector<size_t> SelectedPositions() const { return table_.SelectedDeviceRows(); }

    // The selected devices as IP, MAC, name and product, tab-separated, one
    // a line, to the clipboard.
    void CopySelectedRow();
    void SaveListAs();

    // Where the conflict marks take this machine's subnets from (tests
    // give their own).
    void SetSubnetSource(SubnetSource source) { subnets_ = std::move(source); }
    bool IsSearching() const { return search_.Running(); }
    // The pins the window and its dialogs share.
    const std::shared_ptr<DevicePins> &Pins() const { return pins_; }

    QTreeWidget *List() const { return list_; }

public slots:
    void done(int result) override;

protected:
    void OnInitDialog() override;

private:
    void OnDestroy();
    void ShowContextMenu(const QPoint &position);
    // The single-device tasks with one row selected or none (which they
    // tell the user), the batch with one or more.
    void UpdateTasks();
    bool SeveralSelected() const { return SelectedPositions().size() > 1; }
    void RunBatch(BatchDialog &dialog);
    void CopyText(const std::string &text);
    // The selected record copy, or none after telling the user so.
    const KOVRDeviceInfoRecord *SelectedDeviceOrNotice();
    // What went wrong with the pins' file since the last look, each once.
    void ShowPinWarnings();

    const LibrarySeam &library_;
    const std::shared_ptr<DevicePins> pins_;
    DeviceTable table_;
    SearchJob search_;
    QTreeWidget *list_ = nullptr;
    DeviceListView *view_ = nullptr; // from OnInitDialog
    KOVR_HANDLE session_ = nullptr;
    bool destroyed_ = false;
    std::unique_ptr<BusyWindow> busy_;
    SubnetSource subnets_;
    QAction *configureSelected_ = nullptr;
};

} // namespace kovr::locator
