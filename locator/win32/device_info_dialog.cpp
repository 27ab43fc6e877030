#include "locator/win32/device_info_dialog.h"

#include "common/device_info_lines.h"
#include "locator/win32/wide_text.h"

namespace kovr::locator {

DeviceInfoDialog::DeviceInfoDialog(const KOVRDeviceInfoRecord &device)
    : TemplateDialog(kDeviceInfoTemplate), device_(device)
{}

void DeviceInfoDialog::OnInitDialog()
{
    SetWindowTextW(Control(ControlId::Details), WideLines(common::DeviceInfoText(device_)).c_str());
}

} // namespace kovr::locator
