// The IP settings dialog's Apply, which asks for DHCP or the static
// settings on a worker through a session of its own, its password guarded
// as kovr set-ip guards it (guarded_command.h). A lost reply is checked
// with a query and the change sent again, as kovr set-ip does.
#pragma once

#include "common/password.h"
#include "common/settings_change.h"
#include "locator/core/device_pins.h"
#include "locator/core/library_seam.h"
#include "locator/core/texts.h"
#include "locator/core/ui_question.h"
#include "locator/core/ui_thread.h"

#include <kovr/kovr.h>

#include <functional>
#include <memory>
#include <optional>

namespace kovr::locator {

class IpSettingsTask {
public:
    // How Apply ended: for a failure the error box's text. Declined: the
    // user chose not to send a password in plain, and nothing was sent.
    struct Outcome {
        std::optional<Message> error;
        bool declined = false;
    };

    // `confirm` asks the user before a password crosses the segment in clear.
    IpSettingsTask(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
                   PostToUi post, Confirm confirm);
    ~IpSettingsTask();
    IpSettingsTask(const IpSettingsTask &) = delete;
    IpSettingsTask &operator=(const IpSettingsTask &) = delete;

    // From Apply until `done` has run.
    bool Running() const { return running_; }
    // Asks for `wanted` with the password; `done` runs on the UI thread.
    // False while a change runs.
    bool Apply(const common::DeviceSettings &wanted, std::unique_ptr<common::Password> password,
               std::function<void(const Outcome &)> done);

private:
    const LibrarySeam &library_;
    const KOVRDeviceInfoRecord device_;
    std::shared_ptr<DevicePins> pins_;
    PostToUi post_;
    std::shared_ptr<UiQuestion> question_;
    Lifetime lifetime_;
    bool running_ = false;
};

} // namespace kovr::locator
