#pragma once

#include "common/device_checks.h"
#include "locator/busy_window.h"
#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <QFutureWatcher>

#include <functional>
#include <memory>
#include <vector>

class QTreeWidget;

namespace kovr::locator {

class BatchDialog;
class DeviceRow;

// The main window: the devices that answered the last search, one row each,
// and the tasks for the selected one; several selected rows are configured
// at once, as are the devices a plan file names. Each device row owns a copy of its
// record, and each device dialog is given the selected row's. The search
// runs on a worker thread, so the window keeps painting meanwhile.
class LocatorDialog : public TemplateDialog {
    Q_OBJECT

public:
    using SubnetSource = std::function<std::vector<common::LocalSubnet>()>;
    using Records = std::vector<KOVRDeviceInfoRecord>;

    explicit LocatorDialog(const LibrarySeam &library, QWidget *parent = nullptr);
    ~LocatorDialog() override;

    void RefreshList();
    void DeleteAllRows();
    const KOVRDeviceInfoRecord *DeviceAt(int index) const;
    const KOVRDeviceInfoRecord *GetSelectedDevice() const;
    void ShowNoSelection();

    void OnStartSearch();
    void OnShowResults(const Records &found);
    void OnOpenWebInterface();
    void OnConfigureIpSettings();
    void OnRebootDevice();
    void OnDeviceInfo();

    // Several selected devices at once, and the devices a plan file names.
    void OnConfigureSelectedDevices();
    void OnApplyPlan();
    void ApplyPlanFile(const QString &path);
    // The positions of the selected device rows, in list order.
    std::vector<size_t> SelectedPositions() const;

    // The selected devices as IP, MAC, name and product, tab-separated, one
    // a line, to the clipboard.
    void CopySelectedRow();
    void SaveListAs();

    // Where the conflict marks take this machine's subnets from (tests
    // give their own).
    void SetSubnetSource(SubnetSource source) { subnets_ = std::move(source); }
    bool IsSearching() const { return search_.isRunning(); }

    QTreeWidget *List() const { return list_; }

public slots:
    void done(int result) override;

protected:
    void OnInitDialog() override;

private:
    void OnDestroy();
    void OnSearchEnded();
    void InsertMessageRow(const QString &text);
    void PostStartSearch();
    void OnHeaderClicked(int column);
    void ShowContextMenu(const QPoint &position);
    void MarkConflicts();
    DeviceRow *SelectedRow() const;
    // The single-device tasks with one row selected or none (which they
    // tell the user), the batch with several.
    void UpdateTasks();
    bool SeveralSelected() const { return SelectedPositions().size() > 1; }
    void RunBatch(BatchDialog &dialog);
    std::vector<KOVRDeviceInfoRecord> ListedDevices() const;
    void CopyText(const QString &text);
    // The selected record copy, or none after telling the user so.
    const KOVRDeviceInfoRecord *SelectedDeviceOrNotice();

    const LibrarySeam &library_;
    QTreeWidget *list_ = nullptr;
    KOVR_HANDLE session_ = nullptr;
    bool destroyed_ = false;
    QFutureWatcher<Records> search_;
    std::shared_ptr<common::SearchWakeup> searchWakeup_;
    std::unique_ptr<BusyWindow> busy_;
    SubnetSource subnets_;
    // -1 until the user sorts: rows stay in reply order.
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace kovr::locator
