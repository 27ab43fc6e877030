#include "locator/core/device_pins.h"

#include <algorithm>
#include <utility>

namespace kovr::locator {

common::MacAddress MacOf(const KOVRDeviceInfoRecord &device)
{
    common::MacAddress mac;
    std::copy(device.macAddress, device.macAddress + mac.size(), mac.begin());
    return mac;
}

DevicePins::DevicePins(std::string path) : path_(std::move(path)) {}

std::unique_ptr<common::KnownDevices> DevicePins::Read()
{
    auto pins = std::make_unique<common::KnownDevices>(path_);
    for (const std::string &warning : pins->Load()) {
        Warn({TextId::Verbatim, {warning}});
    }
    return pins;
}

void DevicePins::Save(common::KnownDevices &pins)
{
    std::string error;
    if (pins.Changed() && !pins.Save(error)) {
        Warn({TextId::PinsNotSaved, {error}});
    }
}

bool DevicePins::IsPinned(const common::MacAddress &mac)
{
    return Read()->IsPinned(mac);
}

void DevicePins::Learn(const common::ChallengeSightings &sightings)
{
    const std::vector<common::MacAddress> offering = sightings.Offering();
    if (offering.empty()) {
        return;
    }
    const std::unique_ptr<common::KnownDevices> pins = Read();
    for (const common::MacAddress &mac : offering) {
        pins->Learn(mac);
    }
    Save(*pins);
}

std::optional<Message> DevicePins::Forget(const common::MacAddress &mac)
{
    const std::unique_ptr<common::KnownDevices> pins = Read();
    std::string error;
    if (pins->Forget(mac) && !pins->Save(error)) {
        return Message{TextId::PinNotForgotten, {common::FormatMac(mac.data()), error}};
    }
    return std::nullopt;
}

std::vector<Message> DevicePins::TakeWarnings()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(pending_, {});
}

void DevicePins::Warn(const Message &warning)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(warned_.begin(), warned_.end(), warning) == warned_.end()) {
        warned_.push_back(warning);
        pending_.push_back(warning);
    }
}

} // namespace kovr::locator
