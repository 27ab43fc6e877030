#include "locator/device_row.h"

#include "locator/record_text.h"

DeviceRow::DeviceRow(KOVRDeviceInfoRecord *copy) : QTreeWidgetItem(UserType), m_copy(copy)
{
    setText(0, FormatDottedAddress(copy->ipAddress));
    setText(1, FormatMacAddress(copy->macAddress));
    setText(2, RecordText(copy->deviceName));
    setText(3, RecordText(copy->productName));
}

QString DeviceRow::Line() const
{
    return QStringList{text(0), text(1), text(2), text(3)}.join(QLatin1Char('\t'));
}

bool DeviceRow::operator<(const QTreeWidgetItem &other) const
{
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    const auto *device = other.type() == UserType ? static_cast<const DeviceRow *>(&other) : nullptr;
    if (column == 0 && device)
        return PackedFromNetworkOrder(m_copy->ipAddress) < PackedFromNetworkOrder(device->m_copy->ipAddress);
    return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
}
