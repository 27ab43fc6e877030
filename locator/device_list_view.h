#pragma once

#include "locator/core/device_table.h"

#include <QObject>

class QTreeWidget;

namespace kovr::locator {

// Draws the core's device table in the main window's list: the columns at
// their widths, each row's cells and conflict mark, the selection and the
// sort indicator. The user's selection goes back to the table, and a click
// on a column's header sorts it.
class DeviceListView : public QObject {
    Q_OBJECT

public:
    DeviceListView(QTreeWidget &list, DeviceTable &table);

    // Draws every row of the table.
    void Show();

signals:
    void SelectionChanged();

private:
    void OnSelectionChanged();
    void OnHeaderClicked(int column);

    QTreeWidget &list_;
    DeviceTable &table_;
    bool showing_ = false; // while Show sets the selection
};

} // namespace kovr::locator
