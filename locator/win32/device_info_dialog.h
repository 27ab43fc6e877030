#pragma once

#include "locator/win32/template_dialog.h"

#include <kovr/kovr.h>

namespace kovr::locator {

// Every field of one device's record as eleven labelled lines, the
// device's name made safe to show. Makes no library call.
class DeviceInfoDialog : public TemplateDialog {
public:
    explicit DeviceInfoDialog(const KOVRDeviceInfoRecord &device);

protected:
    void OnInitDialog() override;

private:
    const KOVRDeviceInfoRecord device_;
};

} // namespace kovr::locator
