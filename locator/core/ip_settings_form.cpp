#include "locator/core/ip_settings_form.h"

#include "common/settings_change.h"
#include "locator/core/record_text.h"

namespace kovr::locator {

IpSettingsForm::IpSettingsForm(const LibrarySeam &library, const KOVRDeviceInfoRecord &device,
                               std::shared_ptr<DevicePins> pins, PostToUi post, Confirm confirm, Changed changed)
    : task_(library, device, std::move(pins), std::move(post), std::move(confirm)), changed_(std::move(changed))
{
    state_.product = RecordText(device.productName);
    state_.mac = FormatMacAddress(device.macAddress);
    state_.addresses = {PackedFromNetworkOrder(device.ipAddress), PackedFromNetworkOrder(device.subnetMask),
                        PackedFromNetworkOrder(device.gatewayAddress)};
    // As kovr judges it: DHCP is on only when the device reports it.
    Load(common::SettingsOf(device).dhcp ? Mode::Dhcp : Mode::Manual);
}

IpSettingsForm::State IpSettingsForm::Opening() const
{
    State opening = state_;
    opening.reload = true;
    return opening;
}

void IpSettingsForm::Load(Mode mode)
{
    state_.mode = mode;
    state_.addressesOn = mode == Mode::Manual;
}

void IpSettingsForm::OnModeChosen(Mode mode)
{
    if (!state_.busy && state_.end == End::Open) {
        Load(mode);
        // Every choice, also of the mode already on, reloads the addresses
        // and empties the password.
        state_.reload = true;
    }
    Tell();
}

void IpSettingsForm::OnApply(std::unique_ptr<common::Password> password, const Addresses &typed)
{
    if (state_.busy || state_.end != End::Open) {
        return Tell();
    }
    if (!password) {
        state_.box = Message(TextId::PasswordTooLong, {std::to_string(common::Password::kCapacity - 1)});
        return Tell();
    }
    common::DeviceSettings wanted{true, 0, 0, 0};
    if (state_.mode == Mode::Manual) {
        wanted = {false, NetworkOrderFromPacked(typed[0]), NetworkOrderFromPacked(typed[1]),
                  NetworkOrderFromPacked(typed[2])};
    }
    state_.busy = true;
    task_.Apply(wanted, std::move(password), [this](const IpSettingsTask::Outcome &outcome) { OnApplied(outcome); });
    Tell();
}

void IpSettingsForm::OnApplied(const IpSettingsTask::Outcome &outcome)
{
    state_.busy = false;
    // Declined: nothing was sent, and the user is back in the dialog.
    if (!outcome.declined) {
        state_.box = outcome.error;
        state_.end = End::Applied;
    }
    Tell();
}

void IpSettingsForm::OnClose()
{
    // Closing waits for the change, whose failure the user must still see;
    // it ends in its own time (the library's time-out at the latest).
    if (!state_.busy && state_.end == End::Open) {
        state_.end = End::Cancelled;
    }
    Tell();
}

void IpSettingsForm::Tell()
{
    // The once-told parts are cleared before the call, which may run a
    // message box and with it the next action.
    const State told = state_;
    state_.reload = false;
    state_.box.reset();
    changed_(told);
}

} // namespace kovr::locator
