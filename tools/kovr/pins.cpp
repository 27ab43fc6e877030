#include "tools/kovr/pins.h"

#include <iostream>

namespace kovr::cli {

Pins::Pins() : store_(common::KnownDevicesPath())
{
    for (const std::string &warning : store_.Load()) {
        std::cerr << "kovr: warning: " << warning << '\n';
    }
}

void Pins::Learn(const common::ChallengeSightings &sightings)
{
    for (const common::MacAddress &mac : sightings.Offering()) {
        store_.Learn(mac);
    }
}

bool Pins::Save()
{
    if (!store_.Changed()) {
        return true;
    }
    std::string error;
    if (store_.Save(error)) {
        return true;
    }
    std::cerr << "kovr: warning: a device seen offering a challenge was not pinned, so a later command won't "
                 "know it offered one: "
              << error << '\n';
    return false;
}

} // namespace kovr::cli
