// Waiting for a device to come back after a reboot: one poll at once, then
// up to 40 more, each after a half-second pause. The polls are the caller's
// (a device query that answers or not), and so are the pauses, so that a
// test need not wait.
#pragma once

#include <chrono>
#include <functional>

namespace kovr::common {

constexpr int kRebootFurtherPolls = 40;
constexpr std::chrono::milliseconds kRebootPollPause{500};

enum class RebootOutcome { Ready, TimedOut };

// poll: true when the device answered. pause: waits kRebootPollPause.
RebootOutcome WaitForDevice(const std::function<bool()> &poll, const std::function<void()> &pause);

// The status line before the wait, and after it.
extern const char *const kRebootingStatus;
const char *RebootStatusText(RebootOutcome outcome);

} // namespace kovr::common
