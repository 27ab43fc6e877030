#ifndef KOVR_LOCATOR_DEVICE_ROW_H
#define KOVR_LOCATOR_DEVICE_ROW_H

#include <kovr/kovr.h>

#include <QTreeWidgetItem>

// A row of the main window's list for one device: the four column texts and
// the window's heap copy of the record, which the row borrows. Sorts by the
// address as a number in the first column and by text in the others.
class DeviceRow : public QTreeWidgetItem {
public:
    explicit DeviceRow(KOVRDeviceInfoRecord *copy);

    KOVRDeviceInfoRecord *Record() const { return m_copy; }
    // IP, MAC, name and product, separated by tabs.
    QString Line() const;

    bool operator<(const QTreeWidgetItem &other) const override;

private:
    KOVRDeviceInfoRecord *m_copy;
};

#endif
