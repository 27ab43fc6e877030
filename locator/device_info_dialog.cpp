#include "device_info_dialog.h"

#include "common/device_info_lines.h"

#include <QLabel>

namespace {

// The name as Qt reads it, so that bytes that are not UTF-8 show as they
// would on their own rather than merging with the line break after them.
std::string AsQtReadsIt(const std::string &text)
{
    return QString::fromStdString(text).toStdString();
}

} // namespace

DeviceInfoDialog::DeviceInfoDialog(QWidget *parent) : TemplateDialog(kDeviceInfoTemplate, parent)
{
}

void DeviceInfoDialog::OnInitDialog()
{
    auto *detailsLabel = ControlAs<QLabel>(ControlId::Details);
    detailsLabel->setText(m_details);

    m_details = QString::fromStdString(kovr::common::DeviceInfoText(*m_device, AsQtReadsIt));
    detailsLabel->setText(m_details);
}
