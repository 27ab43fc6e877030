#ifndef KOVR_LOCATOR_LOCATOR_DIALOG_H
#define KOVR_LOCATOR_LOCATOR_DIALOG_H

#include "locator/library_seam.h"
#include "locator/template_dialog.h"

#include <QIcon>

class QTreeWidget;

// The main window: the devices that answered the last search, one row each,
// and the tasks for the selected one. Each device row owns a heap copy of
// its record; the device dialogs borrow it while they run.
class LocatorDialog : public TemplateDialog {
    Q_OBJECT

public:
    explicit LocatorDialog(const LibrarySeam &library, QWidget *parent = nullptr);
    ~LocatorDialog() override;

    void RefreshList();
    void DeleteAllRows();
    const KOVRDeviceInfoRecord *DeviceAt(int index) const;
    const KOVRDeviceInfoRecord *GetSelectedDevice() const;
    void ShowNoSelection();

    void OnStartSearch();
    void OnShowResults();
    void OnOpenWebInterface();
    void OnConfigureIpSettings();
    void OnRebootDevice();
    void OnDeviceInfo();

    QTreeWidget *List() const { return m_list; }

public slots:
    void done(int result) override;

protected:
    void OnInitDialog() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnDestroy();
    void InsertMessageRow(const QString &text);
    void PostStartSearch();
    // The selected record copy, or none after telling the user so.
    const KOVRDeviceInfoRecord *SelectedDeviceOrNotice();

    const LibrarySeam &m_library;
    QTreeWidget *m_list = nullptr;
    QIcon m_hIcon;
    KOVR_HANDLE m_session = nullptr;
    bool m_startSearchWhenExposed = false;
    bool m_destroyed = false;
};

#endif
