#include "locator/ip_settings_dialog.h"

#include "locator/ip_address_control.h"
#include "locator/last_error.h"
#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/record_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kovr::locator {

IpSettingsDialog::IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, QWidget *parent)
    : TemplateDialog(kIpSettingsTemplate, parent), library_(library), device_(device),
      ipAddress_(ControlAs<IpAddressControl>(ControlId::IpAddress)),
      subnetMask_(ControlAs<IpAddressControl>(ControlId::SubnetMask)),
      gateway_(ControlAs<IpAddressControl>(ControlId::Gateway)), password_(ControlAs<QLineEdit>(ControlId::Password)),
      dhcpRadio_(ControlAs<QRadioButton>(ControlId::DhcpRadio)),
      manualRadio_(ControlAs<QRadioButton>(ControlId::ManualRadio))
{
    ControlAs<QLabel>(ControlId::ProductText)->setText(RecordText(device.productName));
    ControlAs<QLabel>(ControlId::MacText)->setText(FormatMacAddress(device.macAddress));
    // Only the value 1 means DHCP; whether the device reported it is not asked.
    SetAddressMode(device.dhcpMode != KOVR_DHCP_ENABLED);

    connect(dhcpRadio_, &QRadioButton::clicked, this, [this] { SetAddressMode(false); });
    connect(manualRadio_, &QRadioButton::clicked, this, [this] { SetAddressMode(true); });
    connect(&command_, &QFutureWatcher<int32_t>::finished, this, &IpSettingsDialog::OnCommandEnded);
}

void IpSettingsDialog::SetAddressMode(bool manual)
{
    (manual ? manualRadio_ : dhcpRadio_)->setChecked(true);
    for (IpAddressControl *control : {ipAddress_, subnetMask_, gateway_}) {
        control->setEnabled(manual);
    }
    // Every click reloads the addresses, discarding what was typed, and
    // empties the password.
    ipAddress_->SetAddress(PackedFromNetworkOrder(device_.ipAddress));
    subnetMask_->SetAddress(PackedFromNetworkOrder(device_.subnetMask));
    gateway_->SetAddress(PackedFromNetworkOrder(device_.gatewayAddress));
    WipePasswordField(*password_);
}

void IpSettingsDialog::OnOK()
{
    if (IsBusy()) {
        return;
    }
    session_ = std::make_unique<CommandSession>(library_);
    busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Unchanged);
    const LibrarySeam *library = &library_;
    if (dhcpRadio_->isChecked()) {
        command_.setFuture(
            session_->Run([library, device = device_, password = PasswordBytes(*password_)](KOVR_HANDLE session) {
                return library->SetDHCP(session, device.macAddress, KOVR_DHCP_ENABLED, password.c_str());
            }));
    } else {
        // Read as IP address, gateway, mask; passed as IP address, mask, gateway.
        const uint32_t ip = NetworkOrderFromPacked(ipAddress_->GetAddress());
        const uint32_t gateway = NetworkOrderFromPacked(gateway_->GetAddress());
        const uint32_t mask = NetworkOrderFromPacked(subnetMask_->GetAddress());
        command_.setFuture(session_->Run(
            [library, device = device_, ip, mask, gateway, password = PasswordBytes(*password_)](KOVR_HANDLE session) {
                return library->SetNetwork(session, device.macAddress, ip, mask, gateway, password.c_str());
            }));
    }
}

void IpSettingsDialog::OnCommandEnded()
{
    busy_.reset();
    if (command_.result() != 0) {
        ShowLastError(session_->Handle());
    }
    session_.reset();
    accept();
}

void IpSettingsDialog::done(int result)
{
    // Closing waits for the command, whose failure the user must still see;
    // it ends in its own time (the library's time-out at the latest), and
    // then closes the dialog.
    if (IsBusy()) {
        return;
    }
    WipePasswordField(*password_);
    TemplateDialog::done(result);
}

void IpSettingsDialog::ShowLastError(KOVR_HANDLE session)
{
    ShowMessage(this,
                FormatLastError(library_, session, tr("An Error occurred.\nError Number: %1\nError Message: %2\n")));
}

} // namespace kovr::locator
