#include "locator/win32/ip_settings_dialog.h"

#include "locator/core/record_text.h"
#include "locator/win32/message_box.h"
#include "locator/win32/password_edit.h"
#include "locator/win32/wide_text.h"

#include <commctrl.h>

namespace kovr::locator {

namespace {

constexpr int kAddressControls[] = {ControlId::IpAddress, ControlId::SubnetMask, ControlId::Gateway};

// The address in network byte order; a blank field reads as 0.
uint32_t AddressIn(HWND control)
{
    DWORD packed = 0;
    SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
    return NetworkOrderFromPacked(packed);
}

// Enter in the password presses Apply, `apply`. The dialog manager finds
// the default button by its id, which the address fields' inner edits
// share under Wine: with those off, in DHCP mode, Enter did nothing.
LRESULT CALLBACK EnterPressesApply(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR apply)
{
    switch (message) {
    case WM_GETDLGCODE:
        if (wParam == VK_RETURN) {
            return DefSubclassProc(edit, message, wParam, lParam) | DLGC_WANTALLKEYS;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            const auto button = reinterpret_cast<HWND>(apply);
            if (IsWindowEnabled(button)) {
                SendMessageW(GetParent(edit), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(button));
            }
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r') {
            return 0; // handled as a key; no beep
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, EnterPressesApply, 0);
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

} // namespace

IpSettingsDialog::IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                                   std::shared_ptr<DevicePins> pins)
    : TemplateDialog(kIpSettingsTemplate),
      task_(library, device, std::move(pins), post_.Poster(),
            [this](const Message &question) { return AskToConfirm(Window(), English(question)); })
{}

IpSettingsDialog::~IpSettingsDialog()
{
    // OnDestroy wipes the password while the edit still exists.
    Close(IDCANCEL);
}

void IpSettingsDialog::OnInitDialog()
{
    const KOVRDeviceInfoRecord &device = task_.Device();
    SetWindowTextW(Control(ControlId::ProductText), Wide(RecordText(device.productName)).c_str());
    SetWindowTextW(Control(ControlId::MacText), Wide(FormatMacAddress(device.macAddress)).c_str());
    SetWindowSubclass(Control(ControlId::Password), EnterPressesApply, 0,
                      reinterpret_cast<DWORD_PTR>(Control(ControlId::Ok)));
    // In DHCP mode the address fields are off, and the focus goes to the
    // password.
    SetAddressMode(!task_.OpensInDhcpMode());
}

void IpSettingsDialog::OnCommand(int id, int code, HWND control)
{
    if (code == BN_CLICKED && (id == ControlId::DhcpRadio || id == ControlId::ManualRadio)) {
        SetAddressMode(id == ControlId::ManualRadio);
        return;
    }
    TemplateDialog::OnCommand(id, code, control);
}

void IpSettingsDialog::SetAddressMode(bool manual)
{
    CheckRadioButton(Window(), ControlId::DhcpRadio, ControlId::ManualRadio,
                     manual ? ControlId::ManualRadio : ControlId::DhcpRadio);
    // Checking a radio button makes it a tab stop; the template's tab
    // stops stand, so that the focus opens on the first enabled field.
    for (const int id : {ControlId::DhcpRadio, ControlId::ManualRadio}) {
        const HWND radio = Control(id);
        SetWindowLongW(radio, GWL_STYLE, GetWindowLongW(radio, GWL_STYLE) & ~WS_TABSTOP);
    }
    for (const int id : kAddressControls) {
        EnableWindow(Control(id), manual);
    }
    // Every click reloads the addresses, discarding what was typed, and
    // empties the password.
    const KOVRDeviceInfoRecord &device = task_.Device();
    for (const auto &[id, address] : {std::pair{ControlId::IpAddress, device.ipAddress},
                                      {ControlId::SubnetMask, device.subnetMask},
                                      {ControlId::Gateway, device.gatewayAddress}}) {
        SendMessageW(Control(id), IPM_SETADDRESS, 0, static_cast<LPARAM>(PackedFromNetworkOrder(address)));
    }
    WipePasswordEdit(Control(ControlId::Password));
}

void IpSettingsDialog::OnOK()
{
    if (IsBusy()) {
        return;
    }
    std::unique_ptr<common::Password> password = TakePassword(Control(ControlId::Password), Window());
    if (!password) {
        return;
    }
    common::DeviceSettings wanted{true, 0, 0, 0};
    if (IsDlgButtonChecked(Window(), ControlId::ManualRadio) == BST_CHECKED) {
        wanted = {false, AddressIn(Control(ControlId::IpAddress)), AddressIn(Control(ControlId::SubnetMask)),
                  AddressIn(Control(ControlId::Gateway))};
    }
    busy_ = std::make_unique<BusyWindow>(Window(), BusyWindow::Cursor::Unchanged);
    task_.Apply(wanted, std::move(password), [this](const IpSettingsTask::Outcome &outcome) { OnApplied(outcome); });
}

void IpSettingsDialog::OnApplied(const IpSettingsTask::Outcome &outcome)
{
    busy_.reset();
    if (outcome.declined) {
        return;
    }
    if (outcome.error) {
        ShowMessage(Window(), English(*outcome.error));
    }
    Close(IDOK);
}

void IpSettingsDialog::OnCancel()
{
    // Closing waits for the change, whose failure the user must still see;
    // it ends in its own time (the library's time-out at the latest), and
    // then closes the dialog.
    if (!IsBusy()) {
        TemplateDialog::OnCancel();
    }
}

void IpSettingsDialog::OnDestroy()
{
    busy_.reset();
    WipePasswordEdit(Control(ControlId::Password));
}

} // namespace kovr::locator
