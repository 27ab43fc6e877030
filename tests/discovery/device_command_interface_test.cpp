// On a host with two interfaces a command leaves through the one on which
// the device answered the address-choosing query.
#include <gtest/gtest.h>

#include <string>

#include "tests/discovery/device_lab.h"
#include "tests/discovery/device_session.h"

namespace kovr {
namespace {

using test::DeviceJson;
using test::DeviceSession;
using test::Lab;
using test::Logged;
using test::Simulator;
using test::Topology;

const uint8_t kFirstLink[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const uint8_t kSecondLink[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};
const uint8_t kAbsent[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x63};

nlohmann::json OneDevicePerLink()
{
    nlohmann::json first = DeviceJson(1);
    first["interfaces"] = {"d1"};
    nlohmann::json second = DeviceJson(2);
    second["ip"] = "10.77.2.12";
    second["interfaces"] = {"d2"};
    return test::Devices({first, second});
}

bool FromAddress(const std::string &peer, const std::string &address)
{
    return peer.rfind(address + ":", 0) == 0;
}

class DeviceCommandInterface : public ::testing::Test {
protected:
    Lab lab_{Topology::Dual};
    Simulator sim_{lab_, OneDevicePerLink()};
    DeviceSession device_;
};

TEST_F(DeviceCommandInterface, CommandLeavesThroughTheInterfaceThatReachesTheDevice)
{
    ASSERT_EQ(KOVRSetDHCP(device_.handle(), kSecondLink, 1, "secret"), 0);
    auto sent = Logged(sim_, "in", 7);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(FromAddress(sent[0].peer, "10.77.2.1")) << sent[0].peer;

    ASSERT_EQ(KOVRSetDHCP(device_.handle(), kFirstLink, 1, "secret"), 0);
    sent = Logged(sim_, "in", 7);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(FromAddress(sent[1].peer, "10.77.1.1")) << sent[1].peer;

    // Each command asked twice on every interface: once to choose, once for
    // the challenge.
    EXPECT_EQ(Logged(sim_, "in", 1).size(), 8u);
}

TEST_F(DeviceCommandInterface, DeviceInfoNamesTheAnsweringInterface)
{
    KOVRDeviceInfoRecord record;
    ASSERT_EQ(KOVRGetDeviceInfo(device_.handle(), kSecondLink, &record), 0);
    EXPECT_EQ(record.interfaceAddress, inet_addr("10.77.2.1"));
    EXPECT_EQ(record.ipAddress, inet_addr("10.77.2.12"));
}

TEST_F(DeviceCommandInterface, DeviceSilentToTheChoosingQueryFailsLocallyAsTimedOut)
{
    EXPECT_EQ(KOVRRebootDevice(device_.handle(), kAbsent, "secret"), -1);
    EXPECT_TRUE(device_.HasError(-2, "Operation timed out"));
    // Only the choosing query went out, through both interfaces.
    EXPECT_EQ(Logged(sim_, "in", 1).size(), 2u);
}

} // namespace
} // namespace kovr
