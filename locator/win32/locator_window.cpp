#include "locator/win32/locator_window.h"

#include "common/host_interfaces.h"
#include "locator/win32/batch_dialog.h"
#include "locator/win32/clipboard.h"
#include "locator/win32/device_info_dialog.h"
#include "locator/win32/file_dialog.h"
#include "locator/win32/ip_settings_dialog.h"
#include "locator/win32/message_box.h"
#include "locator/win32/popup_menu.h"
#include "locator/win32/reboot_dialog.h"
#include "locator/win32/resource_ids.h"
#include "locator/win32/text_file.h"
#include "locator/win32/web_page.h"
#include "locator/win32/wide_text.h"

#include <windowsx.h>

#include <iterator>

namespace kovr::locator {

namespace {

// Starts the search once "Searching..." is drawn.
constexpr UINT kStartSearch = WM_APP + 1;

HACCEL CreateAccelerators()
{
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'C', MenuId::CopySelectedRows},
        {FVIRTKEY, VK_F5, MenuId::Refresh},
        {FVIRTKEY | FCONTROL | FSHIFT, 'C', MenuId::ConfigureSelectedDevices},
        {FVIRTKEY | FCONTROL, 'O', MenuId::ApplyPlan},
    };
    return CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
}

void SetWindowIcon(HWND window)
{
    for (const auto &[kind, width, height] :
         {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON}, std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
        // Shared: the system frees it with the program.
        const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KOVR_LOCATOR_ICON), IMAGE_ICON,
                                       GetSystemMetrics(width), GetSystemMetrics(height), LR_SHARED);
        SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
    }
}

} // namespace

LocatorWindow::LocatorWindow(const LibrarySeam &library, std::shared_ptr<DevicePins> pins)
    : TemplateDialog(kLocatorTemplate, DialogFrame::MainWindow), library_(library), accelerators_(CreateAccelerators()),
      model_(library, std::move(pins), common::HostSubnets, post_.Poster(), *this,
             [this](const MainWindowModel::State &state) { Draw(state); })
{}

LocatorWindow::~LocatorWindow()
{
    // OnDestroy lets go of the session and the records.
    Close(IDCANCEL);
    DestroyAcceleratorTable(accelerators_);
}

void LocatorWindow::OnInitDialog()
{
    SetWindowIcon(Window());
    list_ = std::make_unique<DeviceList>(Control(ControlId::DeviceList), model_.Table(),
                                         [this] { model_.OnSelectionChanged(); });
    model_.OnOpen();
}

void LocatorWindow::Draw(const MainWindowModel::State &state)
{
    if (!Window()) {
        return;
    }
    if (state.rowsChanged && list_) {
        list_->Show();
    }
    for (int id : {ControlId::OpenWebInterface, ControlId::ConfigureIpSettings, ControlId::DeviceInfo,
                   ControlId::RebootDevice}) {
        EnableWindow(Control(id), state.singleDeviceTasks);
    }
    if (!state.searching) {
        busy_.reset();
    } else if (!busy_) {
        busy_ = std::make_unique<BusyWindow>(Window(), BusyWindow::Cursor::Wait);
    }
    for (const Message &notice : state.notices) {
        ShowMessage(Window(), English(notice));
    }
}

void LocatorWindow::OnCommand(int id, int code, HWND control)
{
    switch (id) {
    case ControlId::OpenWebInterface:
        model_.OnCommand(MainCommand::OpenWebPage);
        break;
    case ControlId::ConfigureIpSettings:
        model_.OnCommand(MainCommand::ConfigureIpSettings);
        break;
    case ControlId::DeviceInfo:
        model_.OnCommand(MainCommand::DeviceInfo);
        break;
    case ControlId::RebootDevice:
        model_.OnCommand(MainCommand::RebootDevice);
        break;
    case ControlId::RefreshList:
        model_.OnCommand(MainCommand::Refresh);
        break;
    case MenuId::CopySelectedRows:
    case MenuId::Refresh:
    case MenuId::ConfigureSelectedDevices:
    case MenuId::ApplyPlan:
        model_.OnCommand(static_cast<MainCommand>(id - MenuIdOf(MainCommand::Separator)));
        break;
    case IDOK:
        // Enter: the dialog's default would end the program. On the list it
        // activates the focused row; elsewhere it does nothing.
        if (GetFocus() == Control(ControlId::DeviceList)) {
            if (const std::optional<size_t> row = list_->FocusedRow()) {
                model_.OnActivateRow(*row);
            }
        }
        break;
    default:
        TemplateDialog::OnCommand(id, code, control);
        break;
    }
}

LRESULT LocatorWindow::OnNotify(const NMHDR &header)
{
    if (header.idFrom != static_cast<UINT_PTR>(ControlId::DeviceList) || !list_) {
        return 0;
    }
    if (header.code == NM_DBLCLK) {
        if (const int row = reinterpret_cast<const NMITEMACTIVATE &>(header).iItem; row >= 0) {
            model_.OnActivateRow(static_cast<size_t>(row));
        }
        return 0;
    }
    return list_->OnNotify(header);
}

bool LocatorWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    result = 0;
    switch (message) {
    case kStartSearch:
        model_.OnStartSearch();
        return true;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != Control(ControlId::DeviceList)) {
            return false;
        }
        // (-1, -1) comes from the keyboard: Shift+F10 or the menu key.
        if (lParam == -1) {
            const std::optional<ContextMenu> menu = model_.OnKeyboardMenuRequested(list_->FocusedRow());
            if (menu) {
                ShowContextMenu(*menu, list_->MenuPoint(menu->row));
            }
        } else {
            const POINT screen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const std::optional<size_t> row = list_->RowAt(screen);
            const std::optional<ContextMenu> menu = row ? model_.OnMenuRequested(*row) : std::nullopt;
            if (menu) {
                ShowContextMenu(*menu, screen);
            }
        }
        return true;
    default:
        return false;
    }
}

void LocatorWindow::ShowContextMenu(const ContextMenu &menu, POINT screen)
{
    if (menu.selectRow) {
        list_->SelectRow(menu.row);
    }
    const HMENU popup = CreatePopupMenu();
    for (const MenuEntry &entry : menu.entries) {
        if (entry.command == MainCommand::Separator) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string label = EnglishText(entry.text);
        if (entry.shortcut) {
            label += std::string("\t") + EnglishText(*entry.shortcut);
        }
        AppendMenuW(popup, MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED), MenuIdOf(entry.command),
                    Wide(label).c_str());
    }
    const UINT chosen = ShowPopupMenu(Window(), popup, screen);
    DestroyMenu(popup);
    if (chosen != 0) {
        model_.OnMenuCommand(static_cast<MainCommand>(chosen - MenuIdOf(MainCommand::Separator)), menu.row);
    }
}

void LocatorWindow::OnDestroy()
{
    model_.OnClose();
    busy_.reset();
    list_.reset();
}

void LocatorWindow::StartSearchLater()
{
    PostMessageW(Window(), kStartSearch, 0, 0);
}

void LocatorWindow::Copy(const std::string &text)
{
    CopyToClipboard(Window(), text);
}

void LocatorWindow::OpenWebPage(const std::string &url)
{
    locator::OpenWebPage(Window(), url);
}

std::optional<std::string> LocatorWindow::AskSavePath(TextId title, TextId filter, const std::string &fileName)
{
    const std::optional<std::wstring> path =
        locator::AskSavePath(Window(), EnglishText(title), EnglishText(filter), Wide(fileName));
    return path ? std::optional<std::string>(Narrow(*path)) : std::nullopt;
}

bool LocatorWindow::WriteFile(const std::string &path, const std::string &text, std::string &error)
{
    return WriteTextFile(Wide(path), text, error);
}

std::optional<MainWindowFace::ChosenFile> LocatorWindow::AskOpenFile(TextId title, TextId filter)
{
    const std::optional<std::wstring> path = AskOpenPath(Window(), EnglishText(title), EnglishText(filter));
    if (!path) {
        return std::nullopt;
    }
    return ChosenFile{CodePagePath(*path), Narrow(FileName(*path))};
}

void LocatorWindow::RunIpSettings(const KOVRDeviceInfoRecord &device)
{
    IpSettingsDialog(library_, device, model_.Pins()).RunModal(Window());
}

void LocatorWindow::RunReboot(const KOVRDeviceInfoRecord &device)
{
    RebootDialog(library_, device, model_.Pins()).RunModal(Window());
}

void LocatorWindow::RunDeviceInfo(const KOVRDeviceInfoRecord &device)
{
    DeviceInfoDialog(device).RunModal(Window());
}

bool LocatorWindow::RunBatch(BatchDevices devices, std::vector<size_t> selected)
{
    BatchDialog dialog(library_, std::move(devices), std::move(selected), model_.Pins());
    dialog.RunModal(Window());
    return dialog.Applied();
}

bool LocatorWindow::RunPlan(BatchDevices devices, ListPlan plan, const std::string &planName)
{
    BatchDialog dialog(library_, std::move(devices), std::move(plan), planName, model_.Pins());
    dialog.RunModal(Window());
    return dialog.Applied();
}

} // namespace kovr::locator
