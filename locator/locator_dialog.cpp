#include "locator/locator_dialog.h"

#include "common/host_interfaces.h"
#include "locator/batch_dialog.h"
#include "locator/core/batch_sources.h"
#include "locator/core/record_text.h"
#include "locator/device_info_dialog.h"
#include "locator/device_list_view.h"
#include "locator/ip_settings_dialog.h"
#include "locator/message_box.h"
#include "locator/qt_texts.h"
#include "locator/reboot_dialog.h"
#include "locator/text_file.h"
#include "locator/window_icon.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QUrl>

namespace kovr::locator {

namespace {

const QKeySequence kConfigureSelectedKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
const QKeySequence kApplyPlanKeys(Qt::CTRL | Qt::Key_O);

} // namespace

LocatorDialog::LocatorDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kLocatorTemplate, parent), library_(library),
      pins_(std::make_shared<DevicePins>(common::KnownDevicesPath())), table_(library),
      search_(library, pins_, QtPost()), list_(ControlAs<QTreeWidget>(ControlId::DeviceList)),
      subnets_(common::HostSubnets)
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

    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this, &LocatorDialog::CopySelectedRow);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, &LocatorDialog::RefreshList);
    connect(new QShortcut(kApplyPlanKeys, this), &QShortcut::activated, this, &LocatorDialog::OnApplyPlan);
    // An action of the window, so that its shortcut works and it shows as
    // off whenever no device row is selected.
    configureSelected_ = new QAction(Tr(TextId::MenuConfigureSelectedDevices), this);
    configureSelected_->setShortcut(kConfigureSelectedKeys);
    configureSelected_->setShortcutContext(Qt::WindowShortcut);
    configureSelected_->setEnabled(false);
    addAction(configureSelected_);
    connect(configureSelected_, &QAction::triggered, this, &LocatorDialog::OnConfigureSelectedDevices);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &LocatorDialog::ShowContextMenu);
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
    view_ = new DeviceListView(*list_, table_);
    connect(view_, &DeviceListView::SelectionChanged, this, &LocatorDialog::UpdateTasks);
    session_ = library_.OpenByGuid(&kLocatorSessionGuid);
    RefreshList();
}

void LocatorDialog::RefreshList()
{
    // One search at a time; the window takes no input while it runs.
    if (search_.Running() || destroyed_) {
        return;
    }
    library_.StopSearch(session_);
    table_.ShowSearching();
    view_->Show();
    QMetaObject::invokeMethod(this, &LocatorDialog::OnStartSearch, Qt::QueuedConnection);
}

void LocatorDialog::OnStartSearch()
{
    if (search_.Running() || destroyed_) {
        return;
    }
    busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Wait);
    search_.Start(session_, [this](const SearchJob::Found &found) {
        busy_.reset();
        OnShowResults(found);
    });
}

void LocatorDialog::OnShowResults(const SearchJob::Found &found)
{
    table_.ShowResults(found.devices, subnets_(), found.conflictingChallenges);
    view_->Show();
    ShowPinWarnings();
}

void LocatorDialog::ShowPinWarnings()
{
    for (const Message &warning : pins_->TakeWarnings()) {
        ShowMessage(this, Text(warning));
    }
}

void LocatorDialog::DeleteAllRows()
{
    table_.Clear();
    list_->clear();
}

const KOVRDeviceInfoRecord *LocatorDialog::DeviceAt(int index) const
{
    return index < 0 ? nullptr : table_.DeviceAt(static_cast<size_t>(index));
}

const KOVRDeviceInfoRecord *LocatorDialog::GetSelectedDevice() const
{
    return table_.SelectedDevice();
}

void LocatorDialog::ShowNoSelection()
{
    ShowMessage(this, Tr(TextId::NoDeviceSelected));
}

void LocatorDialog::UpdateTasks()
{
    const bool single = !SeveralSelected();
    for (int id : {ControlId::OpenWebInterface, ControlId::ConfigureIpSettings, ControlId::DeviceInfo,
                   ControlId::RebootDevice}) {
        Control(id)->setEnabled(single);
    }
    configureSelected_->setEnabled(!SelectedPositions().empty());
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

void LocatorDialog::CopyText(const std::string &text)
{
    QApplication::clipboard()->setText(FromUtf8(text));
}

void LocatorDialog::CopySelectedRow()
{
    const std::vector<size_t> selected = SelectedPositions();
    if (!selected.empty()) {
        CopyText(table_.CopyLines(selected));
    }
}

void LocatorDialog::ShowContextMenu(const QPoint &position)
{
    QTreeWidgetItem *item = list_->itemAt(position);
    const int index = item ? list_->indexOfTopLevelItem(item) : -1;
    if (!DeviceAt(index)) {
        return;
    }
    const auto row = static_cast<size_t>(index);
    // A click on one of several selected rows keeps them selected.
    if (!item->isSelected()) {
        list_->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    const bool single = !SeveralSelected();

    QMenu menu(this);
    menu.addAction(Tr(TextId::MenuCopyIpAddress), this, [this, row] { CopyText(table_.CellText(row, 0)); });
    menu.addAction(Tr(TextId::MenuCopyMacAddress), this, [this, row] { CopyText(table_.CellText(row, 1)); });
    menu.addAction(Tr(TextId::MenuCopyRow), this, [this, row] { CopyText(table_.CopyLine(row)); });
    menu.addSeparator();
    menu.addAction(Tr(TextId::MenuOpenWebPage), this, &LocatorDialog::OnOpenWebInterface)->setEnabled(single);
    menu.addSeparator();
    menu.addAction(Tr(TextId::MenuConfigureIpSettings), this, &LocatorDialog::OnConfigureIpSettings)
        ->setEnabled(single);
    menu.addAction(Tr(TextId::MenuDeviceInfo), this, &LocatorDialog::OnDeviceInfo)->setEnabled(single);
    menu.addAction(Tr(TextId::MenuRebootDevice), this, &LocatorDialog::OnRebootDevice)->setEnabled(single);
    const bool pinned = single && pins_->IsPinned(MacOf(*DeviceAt(index)));
    ShowPinWarnings();
    menu.addAction(Tr(TextId::MenuForgetPin), this, &LocatorDialog::OnForgetPin)->setEnabled(pinned);
    menu.addSeparator();
    menu.addAction(configureSelected_);
    menu.addAction(Tr(TextId::MenuApplyPlan), this, &LocatorDialog::OnApplyPlan)->setShortcut(kApplyPlanKeys);
    menu.addSeparator();
    menu.addAction(Tr(TextId::MenuSaveListAs), this, &LocatorDialog::SaveListAs);
    menu.exec(list_->viewport()->mapToGlobal(position));
}

void LocatorDialog::SaveListAs()
{
    const QString path = QFileDialog::getSaveFileName(this, Tr(TextId::SaveListAsTitle), QStringLiteral("devices.csv"),
                                                      Tr(TextId::CsvFileFilter));
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!WriteTextFile(path, table_.Csv(), error)) {
        ShowMessage(this, Text({TextId::ListNotSaved, {path.toStdString(), error.toStdString()}}));
    }
}

void LocatorDialog::OnOpenWebInterface()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        const QString url = QString::asprintf("http://%s", FormatDottedAddress(device->ipAddress).c_str());
        QDesktopServices::openUrl(QUrl(url));
    }
}

void LocatorDialog::OnConfigureIpSettings()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        IpSettingsDialog dialog(library_, *device, pins_, this);
        dialog.exec();
        ShowPinWarnings();
    }
}

void LocatorDialog::OnRebootDevice()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        RebootDialog dialog(library_, *device, pins_, this);
        dialog.exec();
        ShowPinWarnings();
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
    std::vector<size_t> selected = SelectedPositions();
    if (selected.empty()) {
        return;
    }
    BatchDialog dialog(library_, {table_.Devices(), subnets_()}, std::move(selected), pins_, this);
    RunBatch(dialog);
}

void LocatorDialog::OnApplyPlan()
{
    const QString path =
        QFileDialog::getOpenFileName(this, Tr(TextId::ApplyPlanTitle), QString(), Tr(TextId::PlanFileFilter));
    if (!path.isEmpty()) {
        ApplyPlanFile(path);
    }
}

void LocatorDialog::ApplyPlanFile(const QString &path)
{
    std::vector<KOVRDeviceInfoRecord> devices = table_.Devices();
    ListPlan plan = LoadPlanForList(path.toStdString(), devices);
    if (plan.error) {
        ShowMessage(this, Text(*plan.error));
        return;
    }
    BatchDialog dialog(library_, {std::move(devices), subnets_()}, std::move(plan.entries), std::move(plan.positions),
                       QFileInfo(path).fileName(), pins_, this);
    RunBatch(dialog);
}

void LocatorDialog::OnForgetPin()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        if (const std::optional<Message> failure = pins_->Forget(MacOf(*device))) {
            ShowMessage(this, Text(*failure));
        }
    }
}

void LocatorDialog::RunBatch(BatchDialog &dialog)
{
    dialog.exec();
    ShowPinWarnings();
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
    search_.Cancel();
    library_.StopSearch(session_);
    library_.Close(session_);
    session_ = nullptr;
    DeleteAllRows();
}

} // namespace kovr::locator
