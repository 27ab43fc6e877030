#include "tests/locator/core/temp_pins.h"

#include <filesystem>
#include <random>

namespace kovr::test {

namespace {

std::string FreshFolder()
{
    std::random_device random;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kovr-locator-pins-" + std::to_string(random()));
    std::filesystem::create_directories(folder);
    return folder.string();
}

} // namespace

TempPins::TempPins()
    : folder_(FreshFolder()), pins_(std::make_shared<locator::DevicePins>(
                                  (std::filesystem::path(folder_) / common::kKnownDevicesFileName).string()))
{}

TempPins::~TempPins()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void TempPins::Pin(const FakeLibrary::Mac &mac)
{
    const std::unique_ptr<common::KnownDevices> known = pins_->Read();
    known->Learn(mac);
    pins_->Save(*known);
}

bool TempPins::IsPinned(const FakeLibrary::Mac &mac) const
{
    return pins_->IsPinned(mac);
}

} // namespace kovr::test
