#pragma once

#include "locator/core/address_range.h"

#include <windows.h>

#include <optional>

namespace kovr::locator {

// Configure Selected Devices' choice, in its template's controls: DHCP for
// all, or a range of static addresses from a first one, with the mask and
// gateway; the address fields are on only while the range is chosen.
class RangeControls {
public:
    // The range's fields start with `suggested`, in range mode.
    RangeControls(HWND dialog, const AddressRange &suggested);

    // None while DHCP is chosen.
    std::optional<AddressRange> Range() const;
    void SetEnabled(bool enabled);
    // Whether the dialog's WM_COMMAND is an edit of the choice; a click on
    // either radio button also turns the fields on or off.
    bool Changed(int id, int code);

private:
    HWND dialog_;
};

} // namespace kovr::locator
