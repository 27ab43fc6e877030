// The locator's pins: forgotten on request, and a file that can't be
// written is told once, however often it fails.
#include "locator/core/device_pins.h"
#include "tests/locator/core/fake_library.h"
#include "tests/locator/core/temp_pins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace kovr::locator;
using kovr::test::FakeLibrary;
using kovr::test::MakeRecord;
using kovr::test::TempPins;
using kovr::test::WithChallenge;

namespace {
const FakeLibrary::Mac kMac = {2, 0, 0, 0, 0, 1};
}

TEST(DevicePins, ForgetsAPinAndTellsOnceThatOneCouldNotBeSaved)
{
    TempPins temp;
    temp.Pin(kMac);
    ASSERT_TRUE(temp.IsPinned(kMac));
    EXPECT_FALSE(temp.Pins()->Forget(kMac));
    EXPECT_FALSE(temp.IsPinned(kMac));
    EXPECT_TRUE(temp.Pins()->TakeWarnings().empty());

    // The state folder's place is taken by a file.
    const std::filesystem::path blocker = std::filesystem::path(temp.Folder()) / "blocker";
    std::ofstream(blocker) << "not a folder\n";
    DevicePins pins((blocker / "known-devices").string());
    kovr::common::ChallengeSightings sightings;
    sightings.Add(WithChallenge(MakeRecord(kMac, "10.77.1.5")));
    pins.Learn(sightings);
    pins.Learn(sightings);
    // Each warning once, however often: that the pin was not saved, and
    // where the system tells, that the file can't be read.
    const std::vector<Message> warnings = pins.TakeWarnings();
    EXPECT_EQ(std::count_if(warnings.begin(), warnings.end(),
                            [](const Message &warning) {
                                return English(warning).rfind("A device seen offering a challenge was not pinned", 0) ==
                                       0;
                            }),
              1);
    pins.Learn(sightings);
    EXPECT_TRUE(pins.TakeWarnings().empty());
}
