#include "locator/device_list_view.h"

#include "locator/core/conflict_notes.h"
#include "locator/core/dialog_template.h"
#include "locator/qt_texts.h"

#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

namespace kovr::locator {

DeviceListView::DeviceListView(QTreeWidget &list, DeviceTable &table) : QObject(&list), list_(list), table_(table)
{
    list_.setColumnCount(static_cast<int>(kDeviceColumnCount));
    QStringList titles;
    for (const DeviceColumn &column : kDeviceColumns) {
        titles << Tr(column.title);
    }
    list_.setHeaderLabels(titles);
    list_.header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_.header()->setSectionsClickable(true);
    for (size_t i = 0; i < kDeviceColumnCount; ++i) {
        list_.setColumnWidth(static_cast<int>(i), kDeviceColumns[i].width);
    }
    // A conflict mark no taller than the text keeps every row's height.
    const int markSize = list_.fontMetrics().height();
    list_.setIconSize(QSize(markSize, markSize));
    // Ctrl-click and Shift-click select several rows.
    list_.setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(list_.header(), &QHeaderView::sectionClicked, this, &DeviceListView::OnHeaderClicked);
    connect(&list_, &QTreeWidget::itemSelectionChanged, this, &DeviceListView::OnSelectionChanged);
}

void DeviceListView::Show()
{
    showing_ = true;
    list_.clear();
    const QIcon mark = list_.style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const std::string advice = Tr(TextId::ConflictAdvice).toStdString();
    QList<QTreeWidgetItem *> rows;
    for (size_t i = 0; i < table_.RowCount(); ++i) {
        auto *row = new QTreeWidgetItem;
        if (table_.KindAt(i) == RowKind::Message) {
            row->setText(0, Tr(table_.MessageAt(i)));
        } else {
            for (size_t column = 0; column < kDeviceColumnCount; ++column) {
                row->setText(static_cast<int>(column), FromUtf8(table_.CellText(i, column)));
            }
            if (!table_.ProblemsAt(i).empty()) {
                row->setIcon(0, mark);
                row->setToolTip(0, FromUtf8(ConflictNote(table_.ProblemsAt(i), advice)));
            }
        }
        rows << row;
    }
    list_.addTopLevelItems(rows);
    QTreeWidgetItem *current = nullptr;
    for (size_t i = 0; i < table_.RowCount(); ++i) {
        if (table_.IsSelected(i)) {
            rows[static_cast<int>(i)]->setSelected(true);
            current = current ? current : rows[static_cast<int>(i)];
        }
    }
    if (current) {
        list_.setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    }
    if (const std::optional<size_t> column = table_.SortColumn()) {
        list_.header()->setSortIndicatorShown(true);
        list_.header()->setSortIndicator(static_cast<int>(*column),
                                         table_.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    showing_ = false;
    emit SelectionChanged();
}

void DeviceListView::OnSelectionChanged()
{
    if (showing_) {
        return;
    }
    std::vector<size_t> selected;
    for (int i = 0; i < list_.topLevelItemCount(); ++i) {
        if (list_.topLevelItem(i)->isSelected()) {
            selected.push_back(static_cast<size_t>(i));
        }
    }
    table_.SetSelection(selected);
    emit SelectionChanged();
}

void DeviceListView::OnHeaderClicked(int column)
{
    table_.SortBy(static_cast<size_t>(column));
    Show();
}

} // namespace kovr::locator
