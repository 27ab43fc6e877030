#include "device_info_dialog.h"

#include "record_text.h"

#include <QLabel>

DeviceInfoDialog::DeviceInfoDialog(QWidget *parent) : TemplateDialog(kDeviceInfoTemplate, parent)
{
}

void DeviceInfoDialog::OnInitDialog()
{
    auto *detailsLabel = ControlAs<QLabel>(ControlId::Details);
    detailsLabel->setText(m_details);

    QString dhcp = tr("N/A");
    // Only the DHCP line asks whether the device reported its field.
    if (m_device->presentFields & KOVR_FIELD_DHCP_MODE)
        dhcp = m_device->dhcpMode == 1 ? tr("Enabled") : tr("Disabled");

    m_details = tr("Version: %1\nInterface Address: %2\nVendor ID: %3\nMAC Address: %4\nIP Address: %5\n"
                   "Subnet Mask: %6\nGateway Address: %7\nDNS Address: %8\nDHCP Mode: %9\nDevice Name: %10\n"
                   "Advisory: %11\n")
                    .arg(QString::number(m_device->version), FormatDottedAddress(m_device->interfaceAddress),
                         QString::number(m_device->vendorId), FormatMacAddress(m_device->macAddress),
                         FormatDottedAddress(m_device->ipAddress), FormatDottedAddress(m_device->subnetMask),
                         FormatDottedAddress(m_device->gatewayAddress), FormatDottedAddress(m_device->dnsAddress),
                         dhcp, RecordText(m_device->deviceName), QString::number(m_device->advisory));
    detailsLabel->setText(m_details);
}
