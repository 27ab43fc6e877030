// The known-devices file for one run of kovr: read at the start, each of
// its warnings on stderr, and written at the end when something was
// learned or forgotten, with a warning when it can't be.
#pragma once

#include "common/device_challenge.h"
#include "common/known_devices.h"

#include <kovr/kovr.h>

namespace kovr::cli {

class Pins {
public:
    Pins();
    Pins(const Pins &) = delete;
    Pins &operator=(const Pins &) = delete;

    common::KnownDevices &store() { return store_; }
    // Pins every device that a search saw offering a challenge.
    void Learn(const common::ChallengeSightings &sightings);
    // Writes the file when anything changed. False after a warning on
    // stderr that the pins were not saved; the command's outcome stands.
    bool Save();

private:
    common::KnownDevices store_;
};

} // namespace kovr::cli
