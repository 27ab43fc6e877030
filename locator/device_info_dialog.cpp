#include "locator/device_info_dialog.h"

#include "common/device_info_lines.h"

#include <QLabel>

DeviceInfoDialog::DeviceInfoDialog(QWidget *parent) : TemplateDialog(kDeviceInfoTemplate, parent) {}

void DeviceInfoDialog::OnInitDialog()
{
    auto *detailsLabel = ControlAs<QLabel>(ControlId::Details);
    detailsLabel->setText(m_details);

    m_details = QString::fromStdString(kovr::common::DeviceInfoText(*m_device));
    detailsLabel->setText(m_details);
}
