// The IP settings dialog without its window: the mode switch, the request
// that Apply builds, and what each outcome does to the dialog. Each face
// draws the State and forwards the user's actions; it decides nothing.
#pragma once

#include "common/password.h"
#include "locator/core/ip_settings_task.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kovr::locator {

class IpSettingsForm {
public:
    enum class Mode { Dhcp, Manual };
    enum class End { Open, Applied, Cancelled };
    // IP address, subnet mask, gateway, packed as the address fields hold
    // them: the first octet in the most significant byte.
    using Addresses = std::array<uint32_t, 3>;

    struct State {
        std::string product; // the device's name and hardware address, as shown
        std::string mac;
        Mode mode = Mode::Manual;
        bool addressesOn = true; // the address fields take input in manual mode only
        bool busy = false;       // a change runs: no input, no closing
        Addresses addresses{};   // the device's own addresses
        // Told once, in the call that asks for it: fill the address fields
        // from `addresses` (discarding what was typed) and empty the
        // password; show `box` before anything else; end the dialog.
        bool reload = false;
        std::optional<Message> box;
        End end = End::Open;
    };
    using Changed = std::function<void(const State &)>;

    IpSettingsForm(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                   PostToUi post, Confirm confirm, Changed changed);

    // The state the dialog opens in, the mode the device reports, with the
    // fields to load; later states come through `changed`.
    State Opening() const;
    bool Busy() const { return state_.busy; }

    void OnModeChosen(Mode mode);
    // `password` is none when the typed text doesn't fit one; `typed` is
    // what the address fields hold (read in manual mode only).
    void OnApply(std::unique_ptr<common::Password> password, const Addresses &typed);
    void OnClose();

private:
    void Load(Mode mode);
    void OnApplied(const IpSettingsTask::Outcome &outcome);
    void Tell();

    IpSettingsTask task_;
    Changed changed_;
    State state_;
};

} // namespace kovr::locator
