#include "locator/ip_settings_dialog.h"

#include "locator/core/record_text.h"
#include "locator/ip_address_control.h"
#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/qt_texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kovr::locator {

IpSettingsDialog::IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                                   std::shared_ptr<DevicePins> pins, QWidget *parent)
    : TemplateDialog(kIpSettingsTemplate, parent), task_(library, device, std::move(pins), QtPost(), ConfirmIn(this)),
      ipAddress_(ControlAs<IpAddressControl>(ControlId::IpAddress)),
      subnetMask_(ControlAs<IpAddressControl>(ControlId::SubnetMask)),
      gateway_(ControlAs<IpAddressControl>(ControlId::Gateway)), password_(ControlAs<QLineEdit>(ControlId::Password)),
      dhcpRadio_(ControlAs<QRadioButton>(ControlId::DhcpRadio)),
      manualRadio_(ControlAs<QRadioButton>(ControlId::ManualRadio))
{
    ControlAs<QLabel>(ControlId::ProductText)->setText(FromUtf8(RecordText(device.productName)));
    ControlAs<QLabel>(ControlId::MacText)->setText(FromUtf8(FormatMacAddress(device.macAddress)));
    SetAddressMode(!task_.OpensInDhcpMode());

    connect(dhcpRadio_, &QRadioButton::clicked, this, [this] { SetAddressMode(false); });
    connect(manualRadio_, &QRadioButton::clicked, this, [this] { SetAddressMode(true); });
}

void IpSettingsDialog::SetAddressMode(bool manual)
{
    (manual ? manualRadio_ : dhcpRadio_)->setChecked(true);
    for (IpAddressControl *control : {ipAddress_, subnetMask_, gateway_}) {
        control->setEnabled(manual);
    }
    // Every click reloads the addresses, discarding what was typed, and
    // empties the password.
    const KOVRDeviceInfoRecord &device = task_.Device();
    ipAddress_->SetAddress(PackedFromNetworkOrder(device.ipAddress));
    subnetMask_->SetAddress(PackedFromNetworkOrder(device.subnetMask));
    gateway_->SetAddress(PackedFromNetworkOrder(device.gatewayAddress));
    WipePasswordField(*password_);
}

void IpSettingsDialog::OnOK()
{
    if (IsBusy()) {
        return;
    }
    std::unique_ptr<common::Password> password = TakePassword(*password_);
    if (!password) {
        ShowMessage(this, Text({TextId::PasswordTooLong, {std::to_string(common::Password::kCapacity - 1)}}));
        return;
    }
    common::DeviceSettings wanted{true, 0, 0, 0};
    if (manualRadio_->isChecked()) {
        wanted = {false, NetworkOrderFromPacked(ipAddress_->GetAddress()),
                  NetworkOrderFromPacked(subnetMask_->GetAddress()), NetworkOrderFromPacked(gateway_->GetAddress())};
    }
    busy_ = std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Unchanged);
    task_.Apply(wanted, std::move(password), [this](const IpSettingsTask::Outcome &outcome) { OnApplied(outcome); });
}

void IpSettingsDialog::OnApplied(const IpSettingsTask::Outcome &outcome)
{
    busy_.reset();
    if (outcome.declined) {
        return;
    }
    if (outcome.error) {
        ShowMessage(this, Text(*outcome.error));
    }
    accept();
}

void IpSettingsDialog::done(int result)
{
    // Closing waits for the change, whose failure the user must still see;
    // it ends in its own time (the library's time-out at the latest), and
    // then closes the dialog.
    if (IsBusy()) {
        return;
    }
    WipePasswordField(*password_);
    TemplateDialog::done(result);
}

} // namespace kovr::locator
