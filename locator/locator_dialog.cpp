#include "locator/locator_dialog.h"

#include "common/host_interfaces.h"
#include "locator/batch_dialog.h"
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
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

namespace kovr::locator {

namespace {

QKeySequence Keys(TextId keys)
{
    return QKeySequence(QString::fromLatin1(EnglishText(keys)), QKeySequence::PortableText);
}

} // namespace

LocatorDialog::LocatorDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kLocatorTemplate, parent), library_(library), list_(ControlAs<QTreeWidget>(ControlId::DeviceList)),
      model_(library, std::make_shared<DevicePins>(common::KnownDevicesPath()), common::HostSubnets, QtPost(), *this,
             [this](const MainWindowModel::State &state) { Draw(state); })
{
    setWindowIcon(LoadWindowIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    Connect(ControlId::OpenWebInterface, MainCommand::OpenWebPage);
    Connect(ControlId::ConfigureIpSettings, MainCommand::ConfigureIpSettings);
    Connect(ControlId::RefreshList, MainCommand::Refresh);
    Connect(ControlId::RebootDevice, MainCommand::RebootDevice);
    Connect(ControlId::DeviceInfo, MainCommand::DeviceInfo);
    AddShortcut(QKeySequence::Copy, MainCommand::CopySelectedRows);
    AddShortcut(QKeySequence(Qt::Key_F5), MainCommand::Refresh);
    // Actions of the window, so that their shortcuts work and the menu
    // shares them.
    configureSelected_ =
        AddShortcut(Keys(TextId::ShortcutConfigureSelectedDevices), MainCommand::ConfigureSelectedDevices);
    applyPlan_ = AddShortcut(Keys(TextId::ShortcutApplyPlan), MainCommand::ApplyPlan);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &LocatorDialog::ShowContextMenu);
    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (const int row = list_->indexOfTopLevelItem(item); row >= 0) {
            model_.OnActivateRow(size_t(row));
        }
    });
}

LocatorDialog::~LocatorDialog() = default;

void LocatorDialog::Connect(int control, MainCommand command)
{
    connect(ControlAs<QPushButton>(control), &QPushButton::clicked, this,
            [this, command] { model_.OnCommand(command); });
}

QAction *LocatorDialog::AddShortcut(const QKeySequence &keys, MainCommand command)
{
    auto *action = new QAction(this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, [this, command] { model_.OnCommand(command); });
    return action;
}

void LocatorDialog::OnInitDialog()
{
    view_ = new DeviceListView(*list_, model_.Table());
    connect(view_, &DeviceListView::SelectionChanged, this, [this] { model_.OnSelectionChanged(); });
    model_.OnOpen();
}

void LocatorDialog::Draw(const MainWindowModel::State &state)
{
    if (state.rowsChanged && view_) {
        view_->Show();
    }
    for (int id : {ControlId::OpenWebInterface, ControlId::ConfigureIpSettings, ControlId::DeviceInfo,
                   ControlId::RebootDevice}) {
        Control(id)->setEnabled(state.singleDeviceTasks);
    }
    configureSelected_->setEnabled(state.configureSelected);
    if (!state.searching) {
        busy_.reset();
    } else if (!busy_) {
        busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Wait);
    }
    for (const Message &notice : state.notices) {
        ShowMessage(this, Text(notice));
    }
}

const KOVRDeviceInfoRecord *LocatorDialog::DeviceAt(int index) const
{
    return index < 0 ? nullptr : model_.Table().DeviceAt(static_cast<size_t>(index));
}

void LocatorDialog::DeleteAllRows()
{
    model_.Table().Clear();
    list_->clear();
}

std::optional<size_t> LocatorDialog::CurrentRow() const
{
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    return row < 0 ? std::nullopt : std::optional<size_t>(size_t(row));
}

void LocatorDialog::OnOK()
{
    if (focusWidget() == list_) {
        if (const std::optional<size_t> row = CurrentRow()) {
            model_.OnActivateRow(*row);
        }
    }
}

bool LocatorDialog::eventFilter(QObject *watched, QEvent *event)
{
    // From the keyboard the menu takes the selection as it stands, at the
    // row it acts on; the event's point is no row's.
    if (watched == list_ && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
        if (const std::optional<ContextMenu> menu = model_.OnKeyboardMenuRequested(CurrentRow())) {
            ShowMenu(*menu, list_->visualItemRect(list_->topLevelItem(int(menu->row))).bottomLeft());
        }
        return true;
    }
    return TemplateDialog::eventFilter(watched, event);
}

void LocatorDialog::ShowContextMenu(const QPoint &position)
{
    QTreeWidgetItem *item = list_->itemAt(position);
    const int index = item ? list_->indexOfTopLevelItem(item) : -1;
    if (const std::optional<ContextMenu> menu = index < 0 ? std::nullopt : model_.OnMenuRequested(size_t(index))) {
        ShowMenu(*menu, position);
    }
}

void LocatorDialog::ShowMenu(const ContextMenu &menu, const QPoint &position)
{
    if (menu.selectRow) {
        list_->setCurrentItem(list_->topLevelItem(int(menu.row)), 0,
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    QMenu popup(this);
    for (const MenuEntry &entry : menu.entries) {
        if (entry.command == MainCommand::Separator) {
            popup.addSeparator();
            continue;
        }
        QAction *action = popup.addAction(Tr(entry.text), this, [this, command = entry.command, row = menu.row] {
            model_.OnMenuCommand(command, row);
        });
        action->setEnabled(entry.enabled);
        if (entry.shortcut) {
            action->setShortcut(Keys(*entry.shortcut));
        }
    }
    popup.exec(list_->viewport()->mapToGlobal(position));
}

void LocatorDialog::StartSearchLater()
{
    QMetaObject::invokeMethod(
        this, [this] { model_.OnStartSearch(); }, Qt::QueuedConnection);
}

void LocatorDialog::Copy(const std::string &text)
{
    QApplication::clipboard()->setText(FromUtf8(text));
}

void LocatorDialog::OpenWebPage(const std::string &url)
{
    QDesktopServices::openUrl(QUrl(FromUtf8(url)));
}

std::optional<std::string> LocatorDialog::AskSavePath(TextId title, TextId filter, const std::string &fileName)
{
    const QString path = QFileDialog::getSaveFileName(this, Tr(title), FromUtf8(fileName), Tr(filter));
    return path.isEmpty() ? std::nullopt : std::optional<std::string>(path.toStdString());
}

bool LocatorDialog::WriteFile(const std::string &path, const std::string &text, std::string &error)
{
    QString reason;
    const bool written = WriteTextFile(FromUtf8(path), text, reason);
    error = reason.toStdString();
    return written;
}

std::optional<MainWindowFace::ChosenFile> LocatorDialog::AskOpenFile(TextId title, TextId filter)
{
    const QString path = QFileDialog::getOpenFileName(this, Tr(title), QString(), Tr(filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return ChosenFile{path.toStdString(), QFileInfo(path).fileName().toStdString()};
}

void LocatorDialog::RunIpSettings(const KOVRDeviceInfoRecord &device)
{
    IpSettingsDialog(library_, device, model_.Pins(), this).exec();
}

void LocatorDialog::RunReboot(const KOVRDeviceInfoRecord &device)
{
    RebootDialog(library_, device, model_.Pins(), this).exec();
}

void LocatorDialog::RunDeviceInfo(const KOVRDeviceInfoRecord &device)
{
    DeviceInfoDialog(device, this).exec();
}

bool LocatorDialog::RunBatch(BatchDevices devices, std::vector<size_t> selected)
{
    BatchDialog dialog(library_, std::move(devices), std::move(selected), model_.Pins(), this);
    dialog.exec();
    return dialog.Applied();
}

bool LocatorDialog::RunPlan(BatchDevices devices, ListPlan plan, const std::string &planName)
{
    BatchDialog dialog(library_, std::move(devices), std::move(plan.entries), std::move(plan.positions),
                       FromUtf8(planName), model_.Pins(), this);
    dialog.exec();
    return dialog.Applied();
}

void LocatorDialog::done(int result)
{
    TemplateDialog::done(result);
    model_.OnClose();
}

} // namespace kovr::locator
