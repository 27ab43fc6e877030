#include "locator/ip_settings_dialog.h"

#include "locator/ip_address_control.h"
#include "locator/last_error.h"
#include "locator/message_box.h"
#include "locator/radio_group.h"
#include "locator/record_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtConcurrent/QtConcurrentRun>

#include <array>
#include <cstring>

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
    connect(&m_command, &QFutureWatcher<int32_t>::finished, this, &IpSettingsDialog::OnCommandEnded);
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
    if (IsBusy())
        return;
    m_session = m_library.OpenByGuid(&kLocatorSessionGuid);
    UpdateData(true);
    const QByteArray password = m_password.toLocal8Bit();
    std::array<uint8_t, 6> mac;
    std::memcpy(mac.data(), m_device->macAddress, mac.size());
    const LibrarySeam *library = &m_library;
    KOVR_HANDLE session = m_session;

    m_busy = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Unchanged);
    if (m_mode == 0) {
        m_command.setFuture(QtConcurrent::run([library, session, mac, password] {
            return library->SetDHCP(session, mac.data(), 1, password.constData());
        }));
    } else {
        // Read as IP address, gateway, mask; passed as IP address, mask, gateway.
        const uint32_t ip = NetworkOrderFromPacked(m_ipAddressCtrl->GetAddress());
        const uint32_t gateway = NetworkOrderFromPacked(m_gatewayCtrl->GetAddress());
        const uint32_t mask = NetworkOrderFromPacked(m_subnetMaskCtrl->GetAddress());
        m_command.setFuture(QtConcurrent::run([library, session, mac, ip, mask, gateway, password] {
            return library->SetNetwork(session, mac.data(), ip, mask, gateway, password.constData());
        }));
    }
}

void IpSettingsDialog::OnCommandEnded()
{
    m_busy.reset();
    if (m_command.result() != 0)
        ShowLastError(m_session);
    m_library.Close(m_session);
    m_session = nullptr;

    UpdateData(true);
    accept();
}

void IpSettingsDialog::done(int result)
{
    if (IsBusy()) {
        // Closed while the command runs: the device gets it anyway, and the
        // session is closed on the worker once the command has returned.
        m_command.disconnect(this);
        const LibrarySeam *library = &m_library;
        KOVR_HANDLE session = m_session;
        m_command.future().then([library, session](int32_t) { library->Close(session); });
        m_session = nullptr;
        m_busy.reset();
    }
    TemplateDialog::done(result);
}

void IpSettingsDialog::ShowLastError(KOVR_HANDLE session)
{
    ShowMessage(this,
                FormatLastError(m_library, session, tr("An Error occurred.\nError Number: %1\nError Message: %2\n")));
}
