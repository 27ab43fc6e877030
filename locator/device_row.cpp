#include "locator/device_row.h"

#include "locator/record_text.h"

namespace kovr::locator {

DeviceRow::DeviceRow(const LibrarySeam &library, const KOVRDeviceInfoRecord &record)
    : QTreeWidgetItem(UserType), copy_(library.CopyRecord(&record), library.ReleaseRecord)
{
    setText(0, FormatDottedAddress(copy_->ipAddress));
    setText(1, FormatMacAddress(copy_->macAddress));
    setText(2, RecordText(copy_->deviceName));
    setText(3, RecordText(copy_->productName));
}

QString DeviceRow::Line() const
{
    return QStringList{text(0), text(1), text(2), text(3)}.join(QLatin1Char('\t'));
}

bool DeviceRow::operator<(const QTreeWidgetItem &other) const
{
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    const auto *device = other.type() == UserType ? static_cast<const DeviceRow *>(&other) : nullptr;
    if (column == 0 && device) {
        return PackedFromNetworkOrder(copy_->ipAddress) < PackedFromNetworkOrder(device->copy_->ipAddress);
    }
    return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
}

} // namespace kovr::locator
