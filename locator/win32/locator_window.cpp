#include "locator/win32/locator_window.h"

#include "common/host_interfaces.h"
#include "locator/core/record_text.h"
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

void AppendEntry(HMENU menu, UINT id, TextId text, bool enabled, const wchar_t *keys = nullptr)
{
    std::wstring label = Wide(EnglishText(text));
    if (keys) {
        label += std::wstring(L"\t") + keys;
    }
    AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, label.c_str());
}

} // namespace

LocatorWindow::LocatorWindow(const LibrarySeam &library, std::shared_ptr<DevicePins> pins)
    : TemplateDialog(kLocatorTemplate, DialogFrame::MainWindow), library_(library), pins_(std::move(pins)),
      table_(library), search_(library, pins_, post_.Poster()), subnets_(common::HostSubnets),
      accelerators_(CreateAccelerators())
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
    list_ = std::make_unique<DeviceList>(Control(ControlId::DeviceList), table_, [this] { UpdateTasks(); });
    session_ = library_.OpenByGuid(&kLocatorSessionGuid);
    RefreshList();
}

void LocatorWindow::RefreshList()
{
    // One search at a time; the window takes no input while it runs.
    if (search_.Running() || !Window()) {
        return;
    }
    library_.StopSearch(session_);
    table_.ShowSearching();
    list_->Show();
    PostMessageW(Window(), kStartSearch, 0, 0);
}

void LocatorWindow::OnStartSearch()
{
    if (search_.Running() || !Window()) {
        return;
    }
    busy_ = std::make_unique<BusyWindow>(Window(), BusyWindow::Cursor::Wait);
    search_.Start(session_, [this](const SearchJob::Found &found) {
        busy_.reset();
        OnShowResults(found);
    });
}

void LocatorWindow::OnShowResults(const SearchJob::Found &found)
{
    table_.ShowResults(found.devices, subnets_(), found.conflictingChallenges);
    list_->Show();
    ShowPinWarnings();
}

void LocatorWindow::ShowPinWarnings()
{
    for (const Message &warning : pins_->TakeWarnings()) {
        ShowMessage(Window(), English(warning));
    }
}

void LocatorWindow::UpdateTasks()
{
    const bool single = !SeveralSelected();
    for (int id : {ControlId::OpenWebInterface, ControlId::ConfigureIpSettings, ControlId::DeviceInfo,
                   ControlId::RebootDevice}) {
        EnableWindow(Control(id), single);
    }
}

const KOVRDeviceInfoRecord *LocatorWindow::SelectedDeviceOrNotice()
{
    // A single-device task is off while several rows are selected.
    if (SeveralSelected()) {
        return nullptr;
    }
    const KOVRDeviceInfoRecord *device = table_.SelectedDevice();
    if (!device) {
        ShowMessage(Window(), EnglishText(TextId::NoDeviceSelected));
    }
    return device;
}

void LocatorWindow::OnCommand(int id, int code, HWND control)
{
    switch (id) {
    case ControlId::OpenWebInterface:
        OnOpenWebInterface();
        break;
    case ControlId::ConfigureIpSettings:
        OnConfigureIpSettings();
        break;
    case ControlId::DeviceInfo:
        OnDeviceInfo();
        break;
    case ControlId::RebootDevice:
        OnRebootDevice();
        break;
    case ControlId::RefreshList:
    case MenuId::Refresh:
        RefreshList();
        break;
    case MenuId::CopySelectedRows:
        CopySelectedRows();
        break;
    case MenuId::ConfigureSelectedDevices:
        // Off with no device row selected, as its menu entry shows.
        if (!table_.SelectedDeviceRows().empty()) {
            OnConfigureSelectedDevices();
        }
        break;
    case MenuId::ApplyPlan:
        OnApplyPlan();
        break;
    default:
        TemplateDialog::OnCommand(id, code, control);
        break;
    }
}

LRESULT LocatorWindow::OnNotify(const NMHDR &header)
{
    return header.idFrom == static_cast<UINT_PTR>(ControlId::DeviceList) && list_ ? list_->OnNotify(header) : 0;
}

bool LocatorWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    result = 0;
    switch (message) {
    case kStartSearch:
        OnStartSearch();
        return true;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != Control(ControlId::DeviceList)) {
            return false;
        }
        // (-1, -1) comes from the keyboard: Shift+F10 or the menu key.
        ShowContextMenu(lParam == -1 ? list_->MenuPoint() : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    default:
        return false;
    }
}

void LocatorWindow::ShowContextMenu(POINT screen)
{
    const std::optional<size_t> hit = list_->RowAt(screen);
    if (!hit || !table_.DeviceAt(*hit)) {
        return;
    }
    const size_t row = *hit;
    // A click on one of several selected rows keeps them selected.
    list_->SelectRow(row);
    const bool single = !SeveralSelected();
    const bool pinned = single && pins_->IsPinned(MacOf(*table_.DeviceAt(row)));
    ShowPinWarnings();

    const HMENU menu = CreatePopupMenu();
    AppendEntry(menu, MenuId::CopyIpAddress, TextId::MenuCopyIpAddress, true);
    AppendEntry(menu, MenuId::CopyMacAddress, TextId::MenuCopyMacAddress, true);
    AppendEntry(menu, MenuId::CopyRow, TextId::MenuCopyRow, true);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendEntry(menu, MenuId::OpenWebPage, TextId::MenuOpenWebPage, single);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendEntry(menu, MenuId::ConfigureIpSettings, TextId::MenuConfigureIpSettings, single);
    AppendEntry(menu, MenuId::DeviceInfo, TextId::MenuDeviceInfo, single);
    AppendEntry(menu, MenuId::RebootDevice, TextId::MenuRebootDevice, single);
    AppendEntry(menu, MenuId::ForgetPin, TextId::MenuForgetPin, pinned);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendEntry(menu, MenuId::ConfigureSelectedDevices, TextId::MenuConfigureSelectedDevices, true, L"Ctrl+Shift+C");
    AppendEntry(menu, MenuId::ApplyPlan, TextId::MenuApplyPlan, true, L"Ctrl+O");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendEntry(menu, MenuId::SaveListAs, TextId::MenuSaveListAs, true);
    const UINT chosen = ShowPopupMenu(Window(), menu, screen);
    DestroyMenu(menu);
    RunMenuCommand(chosen, row);
}

void LocatorWindow::RunMenuCommand(UINT id, size_t row)
{
    switch (id) {
    case MenuId::CopyIpAddress:
        CopyText(table_.CellText(row, 0));
        break;
    case MenuId::CopyMacAddress:
        CopyText(table_.CellText(row, 1));
        break;
    case MenuId::CopyRow:
        CopyText(table_.CopyLine(row));
        break;
    case MenuId::OpenWebPage:
        OnOpenWebInterface();
        break;
    case MenuId::ConfigureIpSettings:
        OnConfigureIpSettings();
        break;
    case MenuId::DeviceInfo:
        OnDeviceInfo();
        break;
    case MenuId::RebootDevice:
        OnRebootDevice();
        break;
    case MenuId::ForgetPin:
        OnForgetPin();
        break;
    case MenuId::ConfigureSelectedDevices:
        OnConfigureSelectedDevices();
        break;
    case MenuId::ApplyPlan:
        OnApplyPlan();
        break;
    case MenuId::SaveListAs:
        SaveListAs();
        break;
    default:
        break; // dismissed
    }
}

void LocatorWindow::CopyText(const std::string &text)
{
    CopyToClipboard(Window(), text);
}

void LocatorWindow::CopySelectedRows()
{
    const std::vector<size_t> selected = table_.SelectedDeviceRows();
    if (!selected.empty()) {
        CopyText(table_.CopyLines(selected));
    }
}

void LocatorWindow::SaveListAs()
{
    const std::optional<std::wstring> path =
        AskSavePath(Window(), EnglishText(TextId::SaveListAsTitle), EnglishText(TextId::CsvFileFilter), L"devices.csv");
    if (!path) {
        return;
    }
    std::string error;
    if (!WriteTextFile(*path, table_.Csv(), error)) {
        ShowMessage(Window(), English({TextId::ListNotSaved, {Narrow(*path), error}}));
    }
}

void LocatorWindow::OnOpenWebInterface()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        OpenWebPage(Window(), "http://" + FormatDottedAddress(device->ipAddress));
    }
}

void LocatorWindow::OnDeviceInfo()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        DeviceInfoDialog(*device).RunModal(Window());
    }
}

void LocatorWindow::OnForgetPin()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        if (const std::optional<Message> failure = pins_->Forget(MacOf(*device))) {
            ShowMessage(Window(), English(*failure));
        }
    }
}

void LocatorWindow::OnDestroy()
{
    busy_.reset();
    // The search on the worker ends at its next wake, and closing the
    // session ends its first request at once; what it found is dropped.
    search_.Cancel();
    library_.StopSearch(session_);
    library_.Close(session_);
    session_ = nullptr;
    table_.Clear();
    list_.reset();
}

void LocatorWindow::OnConfigureIpSettings()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        IpSettingsDialog(library_, *device, pins_).RunModal(Window());
        ShowPinWarnings();
    }
}

void LocatorWindow::OnRebootDevice()
{
    if (const KOVRDeviceInfoRecord *device = SelectedDeviceOrNotice()) {
        RebootDialog(library_, *device, pins_).RunModal(Window());
        ShowPinWarnings();
    }
}

void LocatorWindow::OnConfigureSelectedDevices()
{
    std::vector<size_t> selected = table_.SelectedDeviceRows();
    if (selected.empty()) {
        return;
    }
    BatchDialog dialog(library_, {table_.Devices(), subnets_()}, std::move(selected), pins_);
    dialog.RunModal(Window());
    ShowPinWarnings();
    // The list shows what the devices hold now.
    if (dialog.Applied()) {
        RefreshList();
    }
}

void LocatorWindow::OnApplyPlan()
{
    const bool applied = RunApplyPlan(Window(), library_, table_.Devices(), subnets_, pins_);
    ShowPinWarnings();
    if (applied) {
        RefreshList();
    }
}

} // namespace kovr::locator
