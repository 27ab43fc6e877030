// The locator's use of the pins (common/known_devices.h), which it shares
// with kovr: the file is read afresh for each search and command, since
// kovr may change it meanwhile, and written when they learned a pin. What
// went wrong with it waits for the face to show it, each text once a run.
// Thread-safe: the workers of searches and commands share one.
#pragma once

#include "common/device_challenge.h"
#include "common/known_devices.h"
#include "locator/core/texts.h"

#include <kovr/kovr.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kovr::locator {

// The MAC of a device's record, as the pins name it.
common::MacAddress MacOf(const KOVRDeviceInfoRecord &device);

class DevicePins {
public:
    // The file at `path` (common::KnownDevicesPath(), or a test's own).
    explicit DevicePins(std::string path);
    DevicePins(const DevicePins &) = delete;
    DevicePins &operator=(const DevicePins &) = delete;

    // The pins as the file holds them now; its warnings are kept.
    std::unique_ptr<common::KnownDevices> Read();
    // Writes what `pins` learned, if anything; a failure is kept as a warning.
    void Save(common::KnownDevices &pins);

    bool IsPinned(const common::MacAddress &mac);
    // Pins every device that a search saw offering a challenge.
    void Learn(const common::ChallengeSightings &sightings);
    // Forget Pin: the device may be sent its password in plain again.
    // The text to show when the file couldn't be written.
    std::optional<Message> Forget(const common::MacAddress &mac);

    // The warnings not shown yet, oldest first.
    std::vector<Message> TakeWarnings();

private:
    void Warn(const Message &warning);

    const std::string path_;
    std::mutex mutex_;
    std::vector<Message> warned_; // every warning of the run
    std::vector<Message> pending_;
};

} // namespace kovr::locator
