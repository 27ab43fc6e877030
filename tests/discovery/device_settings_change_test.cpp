// SetNetwork and SetDHCP change the simulated device: a search afterwards
// shows the new values.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/discovery/device_lab.h"
#include "tests/discovery/device_session.h"

namespace kovr {
namespace {

using test::DeviceJson;
using test::DeviceSession;
using test::Lab;
using test::Simulator;
using test::Topology;

const uint8_t kDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

// The device's record as a fresh synchronous search reports it.
KOVRDeviceInfoRecord Search(KOVR_HANDLE h)
{
    KOVRDeviceInfoRecord records[4] = {};
    EXPECT_EQ(KOVRStartSyncSearchEx(h, 300, 5000), 2);
    const int32_t count = KOVRGetSearchResults(h, records, 4);
    for (int32_t i = 0; i < count; ++i) {
        if (std::memcmp(records[i].macAddress, kDevice, 6) == 0) {
            return records[i];
        }
    }
    ADD_FAILURE() << "device not found";
    return {};
}

TEST(DeviceSettingsChange, SearchShowsTheNewSettings)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, test::Devices({DeviceJson(1, "digest", "secret"), DeviceJson(2, "plain", "abc")}));
    DeviceSession device;

    ASSERT_EQ(KOVRSetNetwork(device.handle(), kDevice, inet_addr("10.77.1.77"), inet_addr("255.255.0.0"),
                             inet_addr("10.77.1.1"), "secret"),
              0);
    KOVRDeviceInfoRecord record = Search(device.handle());
    EXPECT_EQ(record.ipAddress, inet_addr("10.77.1.77"));
    EXPECT_EQ(record.subnetMask, inet_addr("255.255.0.0"));
    EXPECT_EQ(record.gatewayAddress, inet_addr("10.77.1.1"));
    EXPECT_EQ(record.dhcpMode, 0);

    ASSERT_EQ(KOVRSetDHCP(device.handle(), kDevice, 1, "secret"), 0);
    record = Search(device.handle());
    EXPECT_EQ(record.dhcpMode, 1);
    EXPECT_NE(record.presentFields & KOVR_FIELD_DHCP_MODE, 0u);

    // A refused command changes nothing.
    EXPECT_NE(KOVRSetNetwork(device.handle(), kDevice, inet_addr("10.77.1.99"), inet_addr("255.255.255.0"),
                             inet_addr("10.77.1.1"), "wrong"),
              0);
    EXPECT_EQ(Search(device.handle()).ipAddress, inet_addr("10.77.1.77"));
}

} // namespace
} // namespace kovr
