#include "locator/win32/ip_settings_dialog.h"

#include "locator/win32/message_box.h"
#include "locator/win32/password_edit.h"
#include "locator/win32/wide_text.h"

#include <commctrl.h>

namespace kovr::locator {

namespace {

constexpr int kAddressControls[] = {ControlId::IpAddress, ControlId::SubnetMask, ControlId::Gateway};

// The address as the control packs it; a blank field reads as 0.
uint32_t Packed(HWND control)
{
    DWORD packed = 0;
    SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
    return packed;
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
      form_(
          library, device, std::move(pins), post_.Poster(),
          [this](const Message &question) { return AskToConfirm(Window(), English(question)); },
          [this](const IpSettingsForm::State &state) { Draw(state); })
{}

IpSettingsDialog::~IpSettingsDialog()
{
    // OnDestroy wipes the password while the edit still exists.
    Close(IDCANCEL);
}

void IpSettingsDialog::OnInitDialog()
{
    SetWindowSubclass(Control(ControlId::Password), EnterPressesApply, 0,
                      reinterpret_cast<DWORD_PTR>(Control(ControlId::Ok)));
    Draw(form_.Opening());
}

HWND IpSettingsDialog::OpeningFocus()
{
    // The first field that takes input, past the radio group: in DHCP mode
    // the address fields are off, and the focus goes to the password.
    return Control(IsWindowEnabled(Control(ControlId::IpAddress)) ? ControlId::IpAddress : ControlId::Password);
}

void IpSettingsDialog::OnCommand(int id, int code, HWND control)
{
    if (code == BN_CLICKED && (id == ControlId::DhcpRadio || id == ControlId::ManualRadio)) {
        form_.OnModeChosen(id == ControlId::ManualRadio ? IpSettingsForm::Mode::Manual : IpSettingsForm::Mode::Dhcp);
        return;
    }
    TemplateDialog::OnCommand(id, code, control);
}

void IpSettingsDialog::Draw(const IpSettingsForm::State &state)
{
    SetWindowTextW(Control(ControlId::ProductText), Wide(state.product).c_str());
    SetWindowTextW(Control(ControlId::MacText), Wide(state.mac).c_str());
    const bool manual = state.mode == IpSettingsForm::Mode::Manual;
    CheckRadioButton(Window(), ControlId::DhcpRadio, ControlId::ManualRadio,
                     manual ? ControlId::ManualRadio : ControlId::DhcpRadio);
    for (size_t i = 0; i < 3; ++i) {
        EnableWindow(Control(kAddressControls[i]), state.addressesOn);
        if (state.reload) {
            SendMessageW(Control(kAddressControls[i]), IPM_SETADDRESS, 0, static_cast<LPARAM>(state.addresses[i]));
        }
    }
    if (state.reload) {
        WipePasswordEdit(Control(ControlId::Password));
    }
    if (state.busy != (busy_ != nullptr)) {
        busy_ = state.busy ? std::make_unique<BusyWindow>(Window(), BusyWindow::Cursor::Unchanged) : nullptr;
    }
    if (state.box) {
        ShowMessage(Window(), English(*state.box));
    }
    if (state.end != IpSettingsForm::End::Open) {
        Close(state.end == IpSettingsForm::End::Applied ? IDOK : IDCANCEL);
    }
}

void IpSettingsDialog::OnOK()
{
    form_.OnApply(ReadPassword(Control(ControlId::Password)),
                  {Packed(Control(ControlId::IpAddress)), Packed(Control(ControlId::SubnetMask)),
                   Packed(Control(ControlId::Gateway))});
}

void IpSettingsDialog::OnCancel()
{
    form_.OnClose();
}

void IpSettingsDialog::OnDestroy()
{
    busy_.reset();
    WipePasswordEdit(Control(ControlId::Password));
}

} // namespace kovr::locator
