#include "locator/device_info_dialog.h"

#include "common/device_info_lines.h"

#include <QLabel>

namespace kovr::locator {

DeviceInfoDialog::DeviceInfoDialog(const KOVRDeviceInfoRecord &device, QWidget *parent)
    : TemplateDialog(kDeviceInfoTemplate, parent)
{
    ControlAs<QLabel>(ControlId::Details)->setText(QString::fromStdString(common::DeviceInfoText(device)));
}

} // namespace kovr::locator
