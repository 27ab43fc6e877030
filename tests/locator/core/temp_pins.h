#pragma once

#include "locator/core/device_pins.h"
#include "tests/locator/core/fake_library.h"

#include <memory>
#include <string>

namespace kovr::test {

// A known-devices file of the test's own, in a temporary folder that goes
// with it, so that no test reads or writes the user's pins.
class TempPins {
public:
    TempPins();
    ~TempPins();
    TempPins(const TempPins &) = delete;
    TempPins &operator=(const TempPins &) = delete;

    const std::shared_ptr<locator::DevicePins> &Pins() const { return pins_; }
    const std::string &Folder() const { return folder_; }
    void Pin(const FakeLibrary::Mac &mac);
    bool IsPinned(const FakeLibrary::Mac &mac) const;

private:
    std::string folder_;
    std::shared_ptr<locator::DevicePins> pins_;
};

} // namespace kovr::test
