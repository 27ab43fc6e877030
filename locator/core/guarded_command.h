// The guard around one command of the IP settings or reboot dialog, on the
// worker that sends it (common/command_guard.h): the device is asked for
// its challenge when only its reply tells whether it has one, the user is
// asked before its password crosses the segment in clear, and a pinned
// device is commanded with the session's guard on. The pins it learned
// are saved when it goes.
#pragma once

#include "common/command_guard.h"
#include "locator/core/device_pins.h"
#include "locator/core/library_seam.h"
#include "locator/core/texts.h"
#include "locator/core/ui_question.h"

#include <kovr/kovr.h>

#include <memory>
#include <optional>

namespace kovr::locator {

// The guard's options in the locator: before the first password of a run
// that would cross the segment in clear, the user is asked `questionText`
// (PlainWarningText fills its %1), Cancel by default; Forget Pin is the way
// to forget a pin.
common::GuardOptions LocatorGuardOptions(std::shared_ptr<UiQuestion> question, TextId questionText,
                                         bool requireChallenge = false);

class GuardedCommand {
public:
    // errorFormat: the dialog's error box, for the library's last error.
    GuardedCommand(const LibrarySeam &library, KOVR_HANDLE session, const KOVRDeviceInfoRecord &device,
                   DevicePins &pins, common::GuardOptions options, TextId errorFormat);
    ~GuardedCommand();
    GuardedCommand(const GuardedCommand &) = delete;
    GuardedCommand &operator=(const GuardedCommand &) = delete;

    // Whether the password may leave, the session armed for it. When not,
    // the error box's text, or none when the user chose not to send it.
    bool Prepare(std::optional<Message> &failure);
    // Which replies to later queries show the device itself.
    common::ReplyTrust Trust() const;
    // After the command: when the device took it, nothing (and the device
    // is pinned if it went as a digest); otherwise the error box's text,
    // the guard's sentence when the library sent nothing.
    std::optional<Message> Finish(bool took, int32_t result);

private:
    const LibrarySeam &library_;
    const KOVR_HANDLE session_;
    const common::MacAddress mac_;
    DevicePins &pins_;
    const TextId errorFormat_;
    const std::unique_ptr<common::KnownDevices> known_;
    common::CommandGuard guard_;
    common::Verdict verdict_ = common::Verdict::Guarded;
};

} // namespace kovr::locator
