// What a command returns and leaves as the last error, for each way a
// simulated device answers or fails to answer; and the device query.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/platform/fault_injection.h"
#include "tests/discovery/device_lab.h"
#include "tests/discovery/device_session.h"

namespace kovr {
namespace {

using test::DeviceJson;
using test::DeviceSession;
using test::Lab;
using test::Limits;
using test::Logged;
using test::Simulator;
using test::Topology;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const uint8_t kDigestDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const uint8_t kPlainDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};
const uint8_t kAbsentDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x63};

// Device 1 wants a digest of "secret", device 2 takes "abc" in plain.
nlohmann::json TwoDevices()
{
    return test::Devices({DeviceJson(1, "digest", "secret"), DeviceJson(2, "plain", "abc")});
}

class DeviceCommandReplies : public ::testing::Test {
protected:
    void TearDown() override { platform::DisarmAllFaults(); }
    Lab lab_{Topology::Single};
};

// Whatever a device answers, even the words of the library's own refusal
// under the command policy, it stays the device's: 1 to 255, never the
// library's result and number for that refusal.
TEST_F(DeviceCommandReplies, WrongPasswordGivesTheDevicesCodeNumberAndText)
{
    struct Row {
        const char *result;
        const char *number;
        const char *text;
    };
    const Row rows[] = {{"3", "5", "Bad secret"}, {"1", "1", KOVR_NO_CHALLENGE_MESSAGE}, {"255", "255", "Locked"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        Simulator sim(lab_, TwoDevices(),
                      {"--fail-result", row.result, "--fail-errno", row.number, "--fail-text", row.text});
        DeviceSession device;
        EXPECT_EQ(KOVRSetDHCP(device.handle(), kDigestDevice, 1, "wrong"), std::stoi(row.result));
        EXPECT_TRUE(device.HasError(std::stoi(row.number), row.text));

        device.MarkErrorState();
        ASSERT_EQ(KOVRSetCommandPolicy(device.handle(), KOVR_POLICY_REQUIRE_CHALLENGE), 0);
        EXPECT_EQ(KOVRRebootDevice(device.handle(), kDigestDevice, "wrong"), std::stoi(row.result));
        EXPECT_TRUE(device.HasError(std::stoi(row.number), row.text));

        ASSERT_EQ(KOVRSetCommandPolicy(device.handle(), 0), 0);
        EXPECT_EQ(KOVRRebootDevice(device.handle(), kPlainDevice, "abd"), std::stoi(row.result));
        EXPECT_TRUE(device.HasError(std::stoi(row.number), row.text));
    }
}

// After a success the last error is the device's (empty) text, not
// "Operation succeeded".
TEST_F(DeviceCommandReplies, SuccessLeavesTheDevicesEmptyStatus)
{
    Simulator sim(lab_, TwoDevices());
    DeviceSession device;
    device.MarkErrorState();
    EXPECT_EQ(KOVRSetDHCP(device.handle(), kDigestDevice, 1, "secret"), 0);
    EXPECT_TRUE(device.HasError(0, ""));
}

TEST_F(DeviceCommandReplies, ReplyWithoutResultCodeIsASuccess)
{
    Simulator sim(lab_, TwoDevices(), {"--no-result-code"});
    DeviceSession device;
    EXPECT_EQ(KOVRSetDHCP(device.handle(), kPlainDevice, 1, "abc"), 0);
    EXPECT_TRUE(device.HasError(0, ""));

    // Even a refusal counts as success without the code; its number and
    // text still reach the caller.
    EXPECT_EQ(KOVRSetDHCP(device.handle(), kPlainDevice, 1, "abd"), 0);
    EXPECT_TRUE(device.HasError(13, "Invalid password"));
}

TEST_F(DeviceCommandReplies, UnansweredCommandTimesOutAfterTheCommandLimit)
{
    Simulator sim(lab_, TwoDevices(), {"--ignore-commands"});
    Limits limits;
    limits.query = milliseconds(2000);
    limits.command = milliseconds(300);
    DeviceSession device(limits);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(KOVRSetNetwork(device.handle(), kDigestDevice, 1, 2, 3, "secret"), -2);
    const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    EXPECT_TRUE(device.HasError(-2, "Operation timed out"));
    EXPECT_GE(elapsed.count(), 300);
    EXPECT_LT(elapsed.count(), 1800) << "the command limit, not the query limit, ends the wait";
    EXPECT_EQ(Logged(sim, "in", 3).size(), 1u) << "sent exactly once";
}

TEST_F(DeviceCommandReplies, UnansweredChallengeQueryFailsLocallyAsTimedOut)
{
    Simulator sim(lab_, TwoDevices());
    DeviceSession device;
    EXPECT_EQ(KOVRRebootDevice(device.handle(), kAbsentDevice, "secret"), -1);
    EXPECT_TRUE(device.HasError(-2, "Operation timed out"));
    EXPECT_TRUE(Logged(sim, "in", 5).empty());
}

TEST_F(DeviceCommandReplies, CommandSocketFailureIsANetworkError)
{
    Simulator sim(lab_, TwoDevices());
    DeviceSession device;
    // The challenge query's socket opens; the command's does not.
    platform::ArmFault(platform::Fault::SocketCreate, 2);
    EXPECT_EQ(KOVRSetDHCP(device.handle(), kDigestDevice, 1, "secret"), -1);
    EXPECT_TRUE(device.HasNetworkError());
    EXPECT_TRUE(Logged(sim, "in", 7).empty());
}

TEST_F(DeviceCommandReplies, DeviceInfoIsTheDevicesCurrentRecord)
{
    Simulator sim(lab_, TwoDevices());
    DeviceSession device;
    KOVRDeviceInfoRecord record;
    std::memset(&record, 0xAB, sizeof record);
    // A refused command first: the query that follows starts from a clean slate.
    ASSERT_EQ(KOVRRebootDevice(device.handle(), kDigestDevice, "wrong"), 1);
    ASSERT_NE(device.LastError(), 0);
    ASSERT_EQ(KOVRGetDeviceInfo(device.handle(), kDigestDevice, &record), 0);
    EXPECT_TRUE(device.HasError(0, "Operation succeeded"));
    EXPECT_EQ(record.recordSize, 852u);
    EXPECT_EQ(record.vendorId, KOVR_MAGIC_LORX);
    EXPECT_EQ(record.interfaceAddress, inet_addr("10.77.1.1"));
    EXPECT_EQ(std::memcmp(record.macAddress, kDigestDevice, 6), 0);
    EXPECT_EQ(record.ipAddress, inet_addr("10.77.1.11"));
    EXPECT_EQ(record.subnetMask, inet_addr("255.255.255.0"));
    EXPECT_EQ(record.gatewayAddress, inet_addr("10.77.1.254"));
    EXPECT_STREQ(record.deviceName, "lab-1");
    EXPECT_STREQ(record.productName, "7100-NT");
    EXPECT_EQ(record.version, 512u);
    EXPECT_EQ(record.guid.Data1, 0x4724141Bu);
    EXPECT_EQ(record.nonceLength, 14) << "a query for one device carries the challenge";
    const uint32_t expectedFields = KOVR_FIELD_MAC_ADDRESS | KOVR_FIELD_IP_ADDRESS | KOVR_FIELD_SUBNET_MASK |
                                    KOVR_FIELD_GATEWAY_ADDRESS | KOVR_FIELD_DNS_ADDRESS | KOVR_FIELD_DHCP_MODE |
                                    KOVR_FIELD_DEVICE_NAME | KOVR_FIELD_PRODUCT_NAME | KOVR_FIELD_VERSION |
                                    KOVR_FIELD_ADVISORY | KOVR_FIELD_GUID | KOVR_FIELD_NONCE;
    EXPECT_EQ(record.presentFields, expectedFields);
    EXPECT_EQ(record.reserved51, 0);
}

TEST_F(DeviceCommandReplies, DeviceInfoOfASilentDeviceTimesOut)
{
    Simulator sim(lab_, TwoDevices());
    DeviceSession device;
    KOVRDeviceInfoRecord record;
    std::memset(&record, 0xAB, sizeof record);
    const KOVRDeviceInfoRecord before = record;
    EXPECT_EQ(KOVRGetDeviceInfo(device.handle(), kAbsentDevice, &record), -2);
    EXPECT_TRUE(device.HasError(-2, "Operation timed out"));
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);

    // The all-devices address is refused before anything is sent; the query
    // after it shows that the simulator has heard everything sent so far.
    const uint8_t all[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(KOVRGetDeviceInfo(device.handle(), all, &record), -1);
    ASSERT_EQ(KOVRGetDeviceInfo(device.handle(), kPlainDevice, &record), 0);
    for (const auto &query : Logged(sim, "in", 1)) {
        EXPECT_NE(query.bytes[8], 0xFF) << "a request for all devices went out";
    }
}

} // namespace
} // namespace kovr
