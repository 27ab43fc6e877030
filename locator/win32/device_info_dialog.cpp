#include "locator/win32/device_info_dialog.h"

#include "common/device_info_lines.h"
#include "locator/win32/wide_text.h"

namespace kovr::locator {

DeviceInfoDialog::DeviceInfoDialog(const KOVRDeviceInfoRecord &device)
    : TemplateDialog(kDeviceInfoTemplate), device_(device)
{}

void DeviceInfoDialog::OnInitDialog()
{
    // The core's text as it is, "\n" line breaks included: a static control
    // breaks lines at them, and whoever reads the label gets that text.
    SetWindowTextW(Control(ControlId::Details), Wide(common::DeviceInfoText(device_)).c_str());
}

} // namespace kovr::locator
