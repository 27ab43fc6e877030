#pragma once

#include "locator/library_seam.h"

#include <kovr/kovr.h>

#include <QTreeWidgetItem>

#include <memory>

namespace kovr::locator {

// A row of the main window's list for one device: the four column texts and
// the row's own copy of the record, made and released through the library
// table. Sorts by the address as a number in the first column and by text in
// the others.
class DeviceRow : public QTreeWidgetItem {
public:
    DeviceRow(const LibrarySeam &library, const KOVRDeviceInfoRecord &record);

    const KOVRDeviceInfoRecord &Record() const { return *copy_; }
    // IP, MAC, name and product, separated by tabs.
    QString Line() const;

    bool operator<(const QTreeWidgetItem &other) const override;

private:
    std::unique_ptr<KOVRDeviceInfoRecord, void (*)(KOVRDeviceInfoRecord *)> copy_;
};

} // namespace kovr::locator
