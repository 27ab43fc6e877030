#include "locator/ip_settings_dialog.h"

#include "locator/ip_address_control.h"
#include "locator/message_box.h"
#include "locator/password_field.h"
#include "locator/qt_texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kovr::locator {

using Mode = IpSettingsForm::Mode;

IpSettingsDialog::IpSettingsDialog(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                                   std::shared_ptr<DevicePins> pins, QWidget *parent)
    : TemplateDialog(kIpSettingsTemplate, parent), addresses_{ControlAs<IpAddressControl>(ControlId::IpAddress),
                                                              ControlAs<IpAddressControl>(ControlId::SubnetMask),
                                                              ControlAs<IpAddressControl>(ControlId::Gateway)},
      password_(ControlAs<QLineEdit>(ControlId::Password)),
      form_(library, device, std::move(pins), QtPost(), ConfirmIn(this),
            [this](const IpSettingsForm::State &state) { Draw(state); })
{
    Draw(form_.Opening());
    connect(ControlAs<QRadioButton>(ControlId::DhcpRadio), &QRadioButton::clicked, this,
            [this] { form_.OnModeChosen(Mode::Dhcp); });
    connect(ControlAs<QRadioButton>(ControlId::ManualRadio), &QRadioButton::clicked, this,
            [this] { form_.OnModeChosen(Mode::Manual); });
}

void IpSettingsDialog::Draw(const IpSettingsForm::State &state)
{
    ControlAs<QLabel>(ControlId::ProductText)->setText(FromUtf8(state.product));
    ControlAs<QLabel>(ControlId::MacText)->setText(FromUtf8(state.mac));
    ControlAs<QRadioButton>(state.mode == Mode::Manual ? ControlId::ManualRadio : ControlId::DhcpRadio)
        ->setChecked(true);
    for (size_t i = 0; i < 3; ++i) {
        addresses_[i]->setEnabled(state.addressesOn);
        if (state.reload) {
            addresses_[i]->SetAddress(state.addresses[i]);
        }
    }
    if (state.reload) {
        WipePasswordField(*password_);
    }
    if (state.busy != (busy_ != nullptr)) {
        busy_ = state.busy ? std::make_unique<BusyWindow>(this, BusyWindow::Cursor::Unchanged) : nullptr;
    }
    if (state.box) {
        ShowMessage(this, Text(*state.box));
    }
    if (state.end != IpSettingsForm::End::Open) {
        WipePasswordField(*password_);
        TemplateDialog::done(state.end == IpSettingsForm::End::Applied ? Accepted : Rejected);
    }
}

QWidget *IpSettingsDialog::OpeningFocus()
{
    // The first field that takes input, past the radio group: in DHCP mode
    // the address fields are off, and the focus goes to the password.
    return addresses_[0]->isEnabled() ? static_cast<QWidget *>(addresses_[0]) : password_;
}

void IpSettingsDialog::OnOK()
{
    form_.OnApply(TakePassword(*password_),
                  {addresses_[0]->GetAddress(), addresses_[1]->GetAddress(), addresses_[2]->GetAddress()});
}

void IpSettingsDialog::done(int)
{
    form_.OnClose();
}

} // namespace kovr::locator
