#include "locator/locator_dialog.h"

#include "common/device_csv.h"
#include "locator/batch_dialog.h"
#include "locator/conflict_notes.h"
#include "locator/device_info_dialog.h"
#include "locator/device_row.h"
#include "locator/ip_settings_dialog.h"
#include "locator/local_subnets.h"
#include "locator/message_box.h"
#include "locator/plan_file.h"
#include "locator/reboot_dialog.h"
#include "locator/record_text.h"
#include "locator/text_file.h"
#include "locator/window_icon.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace kovr::locator {

namespace {

struct Column {
    const char *title;
    int width; // pixels
};

const Column kColumns[] = {
    {QT_TRANSLATE_NOOP("LocatorDialog", "IP Address"), 110},
    {QT_TRANSLATE_NOOP("LocatorDialog", "MAC Address"), 110},
    {QT_TRANSLATE_NOOP("LocatorDialog", "Name"), 110},
    {QT_TRANSLATE_NOOP("LocatorDialog", "Product"), 129},
};

const QKeySequence kConfigureSelectedKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
const QKeySequence kApplyPlanKeys(Qt::CTRL | Qt::Key_O);

DeviceRow *AsDeviceRow(QTreeWidgetItem *item)
{
    return item && item->type() == QTreeWidgetItem::UserType ? static_cast<DeviceRow *>(item) : nullptr;
}

} // namespace

LocatorDialog::LocatorDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kLocatorTemplate, parent), library_(library), list_(ControlAs<QTreeWidget>(ControlId::DeviceList)),
      subnets_(LocalSubnets)
{
    setWindowIcon(LoadWindowIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    connect(ControlAs<QPushButton>(ControlId::OpenWebInterface), &QPushButton::clicked, this,
            &LocatorDialog::OnOpenWebInterface);
    connect(ControlAs<QPushButton>(ControlId::ConfigureIpSettings), &QPushButton::clicked, this,
            &LocatorDialog::OnConfigureIpSettings);
    connect(ControlAs<QPushButton>(ControlId::RefreshList), &QPushButton::clicked, this, &LocatorDialog::RefreshList);
    connect(ControlAs<QPushButton>(ControlId::RebootDevice), &QPushButton::clicked, this,
            &LocatorDialog::OnRebootDevice);
    connect(ControlAs<QPushButton>(ControlId::DeviceInfo), &QPushButton::clicked, this, &LocatorDialog::OnDeviceInfo);
    connect(&search_, &QFutureWatcher<Records>::finished, this, &LocatorDialog::OnSearchEnded);

    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this, &LocatorDialog::CopySelectedRow);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, &LocatorDialog::RefreshList);
    connect(new QShortcut(kConfigureSelectedKeys, this), &QShortcut::activated, this,
            &LocatorDialog::OnConfigureSelectedDevices);
    connect(new QShortcut(kApplyPlanKeys, this), &QShortcut::activated, this, &LocatorDialog::OnApplyPlan);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &LocatorDialog::ShowContextMenu);
    // Ctrl-click and Shift-click select several rows.
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &LocatorDialog::UpdateTasks);
}

LocatorDialog::~LocatorDialog()
{
    // A window torn down without ending its modal run still lets go of its
    // session and its records.
    if (!destroyed_) {
        OnDestroy();
    }
}

void LocatorDialog::OnInitDialog()
{
    list_->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList titles;
    for (const Column &column : kColumns) {
        titles << tr(column.title);
    }
    list_->setHeaderLabels(titles);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->header()->setSectionsClickable(true);
    connect(list_->header(), &QHeaderView::sectionClicked, this, &LocatorDialog::OnHeaderClicked);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        list_->setColumnWidth(i, kColumns[i].width);
    }
    // A conflict mark no taller than the text keeps every row's height.
    const int markSize = list_->fontMetrics().height();
    list_->setIconSize(QSize(markSize, markSize));

    session_ = library_.OpenByGuid(&kLocatorSessionGuid);
    RefreshList();
}

void LocatorDialog::RefreshList()
{
    // One search at a time; the window takes no input while it runs.
    if (search_.isRunning() || destroyed_) {
        return;
    }
    library_.StopSearch(session_);
    DeleteAllRows();
    InsertMessageRow(tr("Searching..."));
    PostStartSearch();
}

void LocatorDialog::PostStartSearch()
{
    QMetaObject::invokeMethod(this, &LocatorDialog::OnStartSearch, Qt::QueuedConnection);
}

void LocatorDialog::OnStartSearch()
{
    if (search_.isRunning() || destroyed_) {
        return;
    }
    busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Wait);
    const LibrarySeam *library = &library_;
    KOVR_HANDLE session = session_;
    // Shared with the worker, which may outlive the window.
    auto wakeup = std::make_shared<common::SearchWakeup>();
    searchWakeup_ = wakeup;
    search_.setFuture(QtConcurrent::run([library, session, wakeup] {
        Records found;
        library->Search(session, found, *wakeup);
        return found;
    }));
}

void LocatorDialog::OnSearchEnded()
{
    busy_.reset();
    searchWakeup_.reset();
    if (!destroyed_) {
        OnShowResults(search_.result());
    }
}

void LocatorDialog::OnShowResults(const Records &found)
{
    if (list_->topLevelItemCount() > 0 && list_->topLevelItem(0)->text(0) == tr("Searching...")) {
        delete list_->takeTopLevelItem(0);
    }

    for (const KOVRDeviceInfoRecord &record : found) {
        list_->addTopLevelItem(new DeviceRow(library_, record));
    }

    if (list_->topLevelItemCount() > 0) {
        MarkConflicts();
        if (sortColumn_ >= 0) {
            list_->sortItems(sortColumn_, sortOrder_);
        }
        QTreeWidgetItem *first = list_->topLevelItem(0);
        list_->setCurrentItem(first);
        first->setSelected(true);
    } else {
        InsertMessageRow(tr("No devices found."));
    }
}

void LocatorDialog::MarkConflicts()
{
    std::vector<KOVRDeviceInfoRecord> records;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        records.push_back(*DeviceAt(i));
    }
    const QStringList notes = ConflictNotes(records, subnets_());
    const QIcon mark = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int i = 0; i < notes.size(); ++i) {
        if (notes[i].isEmpty()) {
            continue;
        }
        QTreeWidgetItem *row = list_->topLevelItem(i);
        row->setIcon(0, mark);
        row->setToolTip(0, notes[i]);
    }
}

void LocatorDialog::OnHeaderClicked(int column)
{
    sortOrder_ = column == sortColumn_ && sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    sortColumn_ = column;
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(column, sortOrder_);
    if (DeviceAt(0)) {
        list_->sortItems(column, sortOrder_);
    }
}

void LocatorDialog::InsertMessageRow(const QString &text)
{
    auto *row = new QTreeWidgetItem;
    row->setText(0, text);
    list_->insertTopLevelItem(0, row);
}

void LocatorDialog::DeleteAllRows()
{
    // Each device row releases its record.
    list_->clear();
}

const KOVRDeviceInfoRecord *LocatorDialog::DeviceAt(int index) const
{
    if (index < 0 || index >= list_->topLevelItemCount()) {
        return nullptr;
    }
    const DeviceRow *row = AsDeviceRow(list_->topLevelItem(index));
    return row ? &row->Record() : nullptr;
}

DeviceRow *LocatorDialog::SelectedRow() const
{
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        if (list_->topLevelItem(i)->isSelected()) {
            return AsDeviceRow(list_->topLevelItem(i));
        }
    }
    return nullptr;
}

const KOVRDeviceInfoRecord *LocatorDialog::GetSelectedDevice() const
{
    const DeviceRow *row = SelectedRow();
    return row ? &row->Record() : nullptr;
}

void LocatorDialog::ShowNoSelection()
{
    ShowMessage(this, tr("No device is selected.\n"));
}

std::vector<size_t> LocatorDialog::SelectedPositions() const
{
    std::vector<size_t> positions;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        if (list_->topLevelItem(i)->isSelected() && DeviceAt(i)) {
            positions.push_back(static_cast<size_t>(i));
        }
    }
    return positions;
}

std::vector<KOVRDeviceInfoRecord> LocatorDialog::ListedDevices() const
{
    std::vector<KOVRDeviceInfoRecord> records;
    for (int i = 0; DeviceAt(i); ++i) {
        records.push_back(*DeviceAt(i));
    }
    return records;
}

void LocatorDialog::UpdateTasks()
{
    const bool single = !SeveralSelected();
    for (int id : {ControlId::OpenWebInterface, ControlId::ConfigureIpSettings, ControlId::DeviceInfo,
                   ControlId::RebootDevice}) {
        Control(id)->setEnabled(single);
    }
}

const KOVRDeviceInfoRecord *LocatorDialog::SelectedDeviceOrNotice()
{
    // A single-device task is off while several rows are selected.
    if (SeveralSelected()) {
        return nullptr;
    }
    const KOVRDeviceInfoRecord *device = GetSelectedDevice();
    if (!device) {
        ShowNoSelection();
    }
    return device;
}

void LocatorDialog::CopyText(const QString &text)
{
    QApplication::clipboard()->setText(text);
}

void LocatorDialog::CopySelectedRow()
{
    QStringList lines;
    for (size_t position : SelectedPositions()) {
        lines << AsDeviceRow(list_->topLevelItem(static_cast<int>(position)))->Line();
    }
    if (!lines.isEmpty()) {
        CopyText(lines.join(QLatin1Char('\n')));
    }
}

void LocatorDialog::ShowContextMenu(const QPoint &position)
{
    DeviceRow *row = AsDeviceRow(list_->itemAt(position));
    if (!row) {
        return;
    }
    // A click on one of several selected rows keeps them selected.
    if (!row->isSelected()) {
        list_->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    const bool single = !SeveralSelected();

    QMenu menu(this);
    menu.addAction(tr("Copy IP Address"), this, [this, row] { CopyText(row->text(0)); });
    menu.addAction(tr("Copy MAC Address"), this, [this, row] { CopyText(row->text(1)); });
    menu.addAction(tr("Copy Row"), this, [this, row] { CopyText(row->Line()); });
    menu.addSeparator();
    menu.addAction(tr("Open Web Page"), this, &LocatorDialog::OnOpenWebInterface)->setEnabled(single);
    menu.addSeparator();
    menu.addAction(tr("Configure IP Settings"), this, &LocatorDialog::OnConfigureIpSettings)->setEnabled(single);
    menu.addAction(tr("Device Info"), this, &LocatorDialog::OnDeviceInfo)->setEnabled(single);
    menu.addAction(tr("Reboot Device"), this, &LocatorDialog::OnRebootDevice)->setEnabled(single);
    menu.addSeparator();
    QAction *batch =
        menu.addAction(tr("Configure Selected Devices..."), this, &LocatorDialog::OnConfigureSelectedDevices);
    batch->setShortcut(kConfigureSelectedKeys);
    batch->setEnabled(!single);
    menu.addAction(tr("Apply Plan..."), this, &LocatorDialog::OnApplyPlan)->setShortcut(kApplyPlanKeys);
    menu.addSeparator();
    menu.addAction(tr("Save List As..."), this, &LocatorDialog::SaveListAs);
    menu.exec(list_->viewport()->mapToGlobal(position));
}

void LocatorDialog::SaveListAs()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save List As"), QStringLiteral("devices.csv"),
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    std::string csv = common::DeviceCsvHeader();
    for (int i = 0; DeviceAt(i); ++i) {
        csv += common::DeviceCsvLine(*DeviceAt(i));
    }
    QString error;
    if (!WriteTextFile(path, csv, error)) {
        ShowMessage(this, tr("The list could not be saved to %1:\n%2\n").arg(path, error));
    }
}

void LocatorDialog::OnOpenWebInterface()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        const QString url = QString::asprintf("http://%s", qPrintable(FormatDottedAddress(device->ipAddress)));
        QDesktopServices::openUrl(QUrl(url));
    }
}

void LocatorDialog::OnConfigureIpSettings()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        IpSettingsDialog dialog(library_, *device, this);
        dialog.exec();
    }
}

void LocatorDialog::OnRebootDevice()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        RebootDialog dialog(library_, *device, this);
        dialog.exec();
    }
}

void LocatorDialog::OnDeviceInfo()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        DeviceInfoDialog dialog(*device, this);
        dialog.exec();
    }
}

void LocatorDialog::OnConfigureSelectedDevices()
{
    const std::vector<size_t> selected = SelectedPositions();
    if (selected.size() < 2) {
        return;
    }
    BatchDialog dialog(library_, {ListedDevices(), subnets_()}, selected, this);
    RunBatch(dialog);
}

void LocatorDialog::OnApplyPlan()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Apply Plan"), QString(), tr("Plans (*.csv *.json);;All files (*)"));
    if (!path.isEmpty()) {
        ApplyPlanFile(path);
    }
}

void LocatorDialog::ApplyPlanFile(const QString &path)
{
    const std::vector<KOVRDeviceInfoRecord> devices = ListedDevices();
    ListPlan plan = LoadPlanFile(path, devices);
    if (!plan.error.isEmpty()) {
        ShowMessage(this, plan.error);
        return;
    }
    BatchDialog dialog(library_, {devices, subnets_()}, std::move(plan.entries), std::move(plan.positions),
                       QFileInfo(path).fileName(), this);
    RunBatch(dialog);
}

void LocatorDialog::RunBatch(BatchDialog &dialog)
{
    dialog.exec();
    // The list shows what the devices hold now.
    if (dialog.Applied()) {
        RefreshList();
    }
}

void LocatorDialog::done(int result)
{
    TemplateDialog::done(result);
    if (!destroyed_) {
        OnDestroy();
    }
}

void LocatorDialog::OnDestroy()
{
    destroyed_ = true;
    busy_.reset();
    // The search on the worker ends at its next wake, and closing the
    // session ends its first request at once; what it found is dropped.
    if (searchWakeup_) {
        searchWakeup_->Cancel();
    }
    library_.StopSearch(session_);
    library_.Close(session_);
    session_ = nullptr;
    DeleteAllRows();
}

} // namespace kovr::locator
