#include "locator/win32/range_controls.h"

#include "locator/core/dialog_template.h"
#include "locator/core/record_text.h"

#include <commctrl.h>

namespace kovr::locator {

namespace {

constexpr int kAddressFields[] = {ControlId::BatchFirstAddress, ControlId::BatchSubnetMask, ControlId::BatchGateway};

void SetAddress(HWND field, uint32_t networkOrder)
{
    SendMessageW(field, IPM_SETADDRESS, 0, static_cast<LPARAM>(PackedFromNetworkOrder(networkOrder)));
}

// A blank field reads as 0.
uint32_t GetAddress(HWND field)
{
    DWORD packed = 0;
    SendMessageW(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&packed));
    return NetworkOrderFromPacked(packed);
}

} // namespace

RangeControls::RangeControls(HWND dialog, const AddressRange &suggested) : dialog_(dialog)
{
    SetAddress(GetDlgItem(dialog_, ControlId::BatchFirstAddress), suggested.first);
    SetAddress(GetDlgItem(dialog_, ControlId::BatchSubnetMask), suggested.mask);
    SetAddress(GetDlgItem(dialog_, ControlId::BatchGateway), suggested.gateway);
    CheckRadioButton(dialog_, ControlId::BatchDhcpRadio, ControlId::BatchRangeRadio, ControlId::BatchRangeRadio);
}

std::optional<AddressRange> RangeControls::Range() const
{
    if (IsDlgButtonChecked(dialog_, ControlId::BatchRangeRadio) != BST_CHECKED) {
        return std::nullopt;
    }
    return AddressRange{GetAddress(GetDlgItem(dialog_, ControlId::BatchFirstAddress)),
                        GetAddress(GetDlgItem(dialog_, ControlId::BatchSubnetMask)),
                        GetAddress(GetDlgItem(dialog_, ControlId::BatchGateway))};
}

void RangeControls::SetEnabled(bool enabled)
{
    EnableWindow(GetDlgItem(dialog_, ControlId::BatchDhcpRadio), enabled);
    EnableWindow(GetDlgItem(dialog_, ControlId::BatchRangeRadio), enabled);
    const bool fields = enabled && Range().has_value();
    for (const int id : kAddressFields) {
        EnableWindow(GetDlgItem(dialog_, id), fields);
    }
}

bool RangeControls::Changed(int id, int code)
{
    if ((id == ControlId::BatchDhcpRadio || id == ControlId::BatchRangeRadio) && code == BN_CLICKED) {
        SetEnabled(true);
        return true;
    }
    for (const int field : kAddressFields) {
        if (id == field && code == EN_CHANGE) {
            return true;
        }
    }
    return false;
}

} // namespace kovr::locator
