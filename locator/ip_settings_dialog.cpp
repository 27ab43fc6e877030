#include "locator/ip_settings_dialog.h"

#include "locator/ip_address_control.h"
#include "locator/last_error.h"
#include "locator/message_box.h"
#include "locator/radio_group.h"
#include "locator/record_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

IpSettingsDialog::IpSettingsDialog(const LibrarySeam &library, QWidget *parent)
    : TemplateDialog(kIpSettingsTemplate, parent), m_library(library),
      m_ipAddressCtrl(ControlAs<IpAddressControl>(ControlId::IpAddress)),
      m_gatewayCtrl(ControlAs<IpAddressControl>(ControlId::Gateway)),
      m_subnetMaskCtrl(ControlAs<IpAddressControl>(ControlId::SubnetMask)),
      m_passwordEdit(ControlAs<QLineEdit>(ControlId::Password)), m_macLabel(ControlAs<QLabel>(ControlId::MacText)),
      m_productLabel(ControlAs<QLabel>(ControlId::ProductText)),
      m_dhcpRadio(ControlAs<QRadioButton>(ControlId::DhcpRadio)),
      m_manualRadio(ControlAs<QRadioButton>(ControlId::ManualRadio))
{
    connect(m_dhcpRadio, &QRadioButton::clicked, this, &IpSettingsDialog::OnDhcpClicked);
    connect(m_manualRadio, &QRadioButton::clicked, this, &IpSettingsDialog::OnManualClicked);
}

void IpSettingsDialog::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_password = m_passwordEdit->text();
        m_macText = m_macLabel->text();
        m_productText = m_productLabel->text();
        m_mode = CheckedRadioIndex({m_dhcpRadio, m_manualRadio});
    } else {
        m_passwordEdit->setText(m_password);
        m_macLabel->setText(m_macText);
        m_productLabel->setText(m_productText);
        CheckRadioIndex({m_dhcpRadio, m_manualRadio}, m_mode);
    }
}

void IpSettingsDialog::OnInitDialog()
{
    UpdateData(false);
    // Only the value 1 means DHCP; whether the device reported it is not asked.
    SetAddressMode(m_device->dhcpMode == 1 ? 0 : 1);
    UpdateData(false);
}

void IpSettingsDialog::SetAddressMode(int manual)
{
    const QString macText = FormatMacAddress(m_device->macAddress);
    m_mode = manual;
    for (IpAddressControl *control : {m_ipAddressCtrl, m_subnetMaskCtrl, m_gatewayCtrl})
        control->setEnabled(manual == 1);
    // Every click reloads the addresses, discarding what was typed.
    m_ipAddressCtrl->SetAddress(PackedFromNetworkOrder(m_device->ipAddress));
    m_subnetMaskCtrl->SetAddress(PackedFromNetworkOrder(m_device->subnetMask));
    m_gatewayCtrl->SetAddress(PackedFromNetworkOrder(m_device->gatewayAddress));
    m_productText = RecordText(m_device->productName);
    m_macText = macText;
    UpdateData(false);
}

void IpSettingsDialog::OnDhcpClicked()
{
    SetAddressMode(0);
}

void IpSettingsDialog::OnManualClicked()
{
    SetAddressMode(1);
}

void IpSettingsDialog::OnOK()
{
    KOVR_HANDLE session = m_library.OpenByGuid(&kLocatorSessionGuid);
    UpdateData(true);
    const QByteArray password = m_password.toLocal8Bit();

    int32_t result;
    if (m_mode == 0) {
        result = m_library.SetDHCP(session, m_device->macAddress, 1, password.constData());
    } else {
        // Read as IP address, gateway, mask; passed as IP address, mask, gateway.
        const uint32_t ip = NetworkOrderFromPacked(m_ipAddressCtrl->GetAddress());
        const uint32_t gateway = NetworkOrderFromPacked(m_gatewayCtrl->GetAddress());
        const uint32_t mask = NetworkOrderFromPacked(m_subnetMaskCtrl->GetAddress());
        result = m_library.SetNetwork(session, m_device->macAddress, ip, mask, gateway, password.constData());
    }
    if (result != 0)
        ShowLastError(session);
    m_library.Close(session);

    UpdateData(true);
    accept();
}

void IpSettingsDialog::ShowLastError(KOVR_HANDLE session)
{
    ShowMessage(this,
                FormatLastError(m_library, session, tr("An Error occurred.\nError Number: %1\nError Message: %2\n")));
}
