#ifndef KOVR_LOCATOR_LOCATOR_DIALOG_H
#define KOVR_LOCATOR_LOCATOR_DIALOG_H

#include "common/device_checks.h"
#include "locator/busy_window.h"
#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <QFutureWatcher>
#include <QIcon>

#include <functional>
#include <memory>
#include <vector>

class QTreeWidget;
class DeviceRow;

// The main window: the devices that answered the last search, one row each,
// and the tasks for the selected one. Each device row owns a heap copy of
// its record; the device dialogs borrow it while they run. The search runs
// on a worker thread, so the window keeps painting meanwhile.
class LocatorDialog : public TemplateDialog {
    Q_OBJECT

public:
    using SubnetSource = std::function<std::vector<kovr::common::LocalSubnet>()>;
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

    // The selected device as IP, MAC, name and product, tab-separated, to
    // the clipboard.
    void CopySelectedRow();
    void SaveListAs();

    // Where the conflict marks take this machine's subnets from (tests
    // give their own).
    void SetSubnetSource(SubnetSource source) { m_subnets = std::move(source); }
    bool IsSearching() const { return m_search.isRunning(); }

    QTreeWidget *List() const { return m_list; }

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
    void CopyText(const QString &text);
    // The selected record copy, or none after telling the user so.
    const KOVRDeviceInfoRecord *SelectedDeviceOrNotice();

    const LibrarySeam &m_library;
    QTreeWidget *m_list = nullptr;
    QIcon m_hIcon;
    KOVR_HANDLE m_session = nullptr;
    bool m_destroyed = false;
    QFutureWatcher<Records> m_search;
    std::shared_ptr<kovr::common::SearchWakeup> m_searchWakeup;
    std::unique_ptr<BusyWindow> m_busy;
    SubnetSource m_subnets;
    // -1 until the user sorts: rows stay in reply order.
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

#endif
