// The reboot dialog's logic: the reboot command with the password, guarded
// as kovr reboot guards it (guarded_command.h), then the wait until the
// device answers again, on a worker with a session of its own. The face
// hears of each step on its UI thread.
#pragma once

#include "common/password.h"
#include "locator/core/device_pins.h"
#include "locator/core/library_seam.h"
#include "locator/core/stop_signal.h"
#include "locator/core/texts.h"
#include "locator/core/ui_question.h"
#include "locator/core/ui_thread.h"

#include <kovr/kovr.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace kovr::locator {

class RebootTask {
public:
    struct Listener {
        // The device refused the reboot, or it failed, or nothing was sent:
        // the error box's text, or none when the user chose not to send the
        // password in plain.
        std::function<void(const std::optional<Message> &error)> refused;
        // The device took it; the wait begins ("Status: Rebooting").
        std::function<void(TextId status)> rebooting;
        // The wait ended: "Status: Ready" or "Status: Timed out".
        std::function<void(TextId status)> ended;
    };
    using Pause = std::function<void(std::chrono::milliseconds)>;

    // `confirm` asks the user before a password crosses the segment in clear.
    RebootTask(const LibrarySeam &library, const KOVRDeviceInfoRecord &device, std::shared_ptr<DevicePins> pins,
               PostToUi post, Confirm confirm);
    // The device reboots anyway; the wait ends at its next poll, and the
    // session is closed on the worker once its call has returned.
    ~RebootTask();
    RebootTask(const RebootTask &) = delete;
    RebootTask &operator=(const RebootTask &) = delete;

    const KOVRDeviceInfoRecord &Device() const { return device_; }
    // Replaces the pause between polls, which runs on the worker (tests
    // wait for nothing).
    void SetPause(Pause pause) { pause_ = std::move(pause); }

    // From Start until the refusal or the end of the wait has been told.
    bool Running() const { return running_; }
    // False while a reboot runs.
    bool Start(std::unique_ptr<common::Password> password, Listener listener);

private:
    const LibrarySeam &library_;
    const KOVRDeviceInfoRecord device_;
    std::shared_ptr<DevicePins> pins_;
    PostToUi post_;
    std::shared_ptr<UiQuestion> question_;
    Lifetime lifetime_;
    std::shared_ptr<StopSignal> stop_ = std::make_shared<StopSignal>();
    Pause pause_;
    bool running_ = false;
};

} // namespace kovr::locator
