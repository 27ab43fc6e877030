// Waiting for a device to come back after a reboot, as the locator does:
// one poll at once, then up to 40 more, each after a half-second pause.
#pragma once

#include <chrono>
#include <functional>

namespace kovr::cli {

constexpr int kRebootExtraPolls = 40;
constexpr std::chrono::milliseconds kRebootPollPause{500};

enum class RebootOutcome { Ready, TimedOut };

// poll: true when the device answered. pause: waits between polls.
RebootOutcome WaitForDevice(const std::function<bool()> &poll, const std::function<void()> &pause);

} // namespace kovr::cli
