// A thousand commands, successful and failing, leave no descriptor behind.
#include <gtest/gtest.h>

#include "tests/discovery/device_lab.h"
#include "tests/discovery/device_session.h"
#include "tests/support/process_resources.h"

namespace kovr {
namespace {

using std::chrono::milliseconds;
using test::DeviceJson;
using test::DeviceSession;
using test::Lab;
using test::Limits;
using test::Simulator;
using test::Topology;

const uint8_t kDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const uint8_t kAbsent[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x63};

TEST(DeviceCommandDescriptors, ThousandCommandsLeakNothing)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, test::Devices({DeviceJson(1, "digest", "secret")}));
    Limits limits;
    limits.query = milliseconds(1000);
    limits.command = milliseconds(1000);
    DeviceSession device(limits);
    KOVRDeviceInfoRecord record;
    ASSERT_EQ(KOVRGetDeviceInfo(device.handle(), kDevice, &record), 0); // warm up lazily made state

    const int before = test::OpenDescriptorCount();
    for (int i = 0; i < 1000; ++i) {
        // Every tenth command carries a wrong password: the refusal path.
        const bool wrong = i % 10 == 9;
        ASSERT_EQ(KOVRSetDHCP(device.handle(), kDevice, i & 1, wrong ? "wrong" : "secret"), wrong ? 1 : 0) << i;
    }
    // The time-out paths: query and command.
    device.session()->limits.queryTimeout = std::chrono::milliseconds(30);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(KOVRGetDeviceInfo(device.handle(), kAbsent, &record), -2);
        EXPECT_EQ(KOVRRebootDevice(device.handle(), kAbsent, "secret"), -1);
    }
    EXPECT_EQ(test::OpenDescriptorCount(), before);
}

} // namespace
} // namespace kovr
