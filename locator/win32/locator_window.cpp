#include "locator/win32/locator_window.h"

#include "locator/win32/resource_ids.h"
#include "locator/win32/wide_text.h"

#include <commctrl.h>

namespace kovr::locator {

namespace {

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
    : TemplateDialog(kLocatorTemplate, DialogFrame::MainWindow), library_(library), pins_(std::move(pins)),
      table_(library)
{}

LocatorWindow::~LocatorWindow()
{
    // OnDestroy lets go of the session and the records.
    Close(IDCANCEL);
}

void LocatorWindow::OnInitDialog()
{
    SetWindowIcon(Window());
    const HWND list = Control(ControlId::DeviceList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (size_t i = 0; i < kDeviceColumnCount; ++i) {
        std::wstring title = Wide(EnglishText(kDeviceColumns[i].title));
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title.data();
        column.cx = kDeviceColumns[i].width;
        column.iSubItem = static_cast<int>(i);
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
    session_ = library_.OpenByGuid(&kLocatorSessionGuid);
}

void LocatorWindow::OnCommand(int id, int code, HWND control)
{
    switch (id) {
    case ControlId::ConfigureIpSettings:
        OnConfigureIpSettings();
        break;
    case ControlId::RebootDevice:
        OnRebootDevice();
        break;
    default:
        TemplateDialog::OnCommand(id, code, control);
        break;
    }
}

void LocatorWindow::OnDestroy()
{
    library_.StopSearch(session_);
    library_.Close(session_);
    session_ = nullptr;
    table_.Clear();
}

void LocatorWindow::OnConfigureIpSettings()
{
    // The IP settings dialog (ip_settings_dialog) opens here on the selected device; it is added next.
}

void LocatorWindow::OnRebootDevice()
{
    // The reboot dialog (reboot_dialog) opens here on the selected device; it is added next.
}

void LocatorWindow::OnConfigureSelectedDevices()
{
    // The batch dialog (batch_dialog) opens here on the selected devices; it is added next.
}

void LocatorWindow::OnApplyPlan()
{
    // The batch dialog (batch_dialog) opens here on the devices of a plan file; it is added next.
}

} // namespace kovr::locator
