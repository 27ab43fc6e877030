// The configuration problems found in a list of devices.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/device_checks.h"
#include "common/ipv4_text.h"

namespace kovr::common {
namespace {

struct Device {
    const char *ip;
    const char *mask;
    const char *gateway;
    uint8_t dhcp;
    const char *name;
    const char *interfaceAddress;
};

uint32_t Ip(const char *text)
{
    return *ParseIpv4(text);
}

std::vector<KOVRDeviceInfoRecord> Records(const std::vector<Device> &devices)
{
    std::vector<KOVRDeviceInfoRecord> records;
    uint8_t last = 1;
    for (const Device &device : devices) {
        KOVRDeviceInfoRecord record{};
        record.presentFields = KOVR_FIELD_MAC_ADDRESS | KOVR_FIELD_IP_ADDRESS | KOVR_FIELD_SUBNET_MASK |
                               KOVR_FIELD_GATEWAY_ADDRESS | KOVR_FIELD_DHCP_MODE | KOVR_FIELD_DEVICE_NAME;
        const uint8_t mac[6] = {2, 0x4b, 0x52, 0, 0, last++};
        std::memcpy(record.macAddress, mac, sizeof mac);
        record.ipAddress = Ip(device.ip);
        record.subnetMask = Ip(device.mask);
        record.gatewayAddress = Ip(device.gateway);
        record.dhcpMode = device.dhcp;
        std::strncpy(record.deviceName, device.name, sizeof record.deviceName - 1);
        record.interfaceAddress = Ip(device.interfaceAddress);
        records.push_back(record);
    }
    return records;
}

const std::vector<LocalSubnet> kHost = {{Ip("10.77.1.1"), Ip("255.255.255.0")}, {Ip("10.77.2.1"), Ip("255.255.255.0")}};

TEST(DeviceChecks, EachKindIsFoundWithItsDevicesAndMessage)
{
    const struct {
        const char *what;
        std::vector<Device> devices;
        ProblemKind kind;
        std::vector<size_t> positions;
        const char *message;
    } cases[] = {
        {"two devices share an address",
         {{"10.77.1.10", "255.255.255.0", "10.77.1.254", 0, "a", "10.77.1.1"},
          {"10.77.1.11", "255.255.255.0", "10.77.1.254", 0, "b", "10.77.1.1"},
          {"10.77.1.10", "255.255.255.0", "10.77.1.254", 0, "c", "10.77.1.1"}},
         ProblemKind::DuplicateAddress,
         {0, 2},
         "10.77.1.10 is used by 02:4b:52:00:00:01, 02:4b:52:00:00:03; give each device an address of its own."},
        {"three devices share an address",
         {{"10.77.1.10", "255.255.255.0", "10.77.1.254", 0, "a", "10.77.1.1"},
          {"10.77.1.10", "255.255.255.0", "10.77.1.254", 0, "b", "10.77.1.1"},
          {"10.77.1.10", "255.255.255.0", "10.77.1.254", 0, "c", "10.77.1.1"}},
         ProblemKind::DuplicateAddress,
         {0, 1, 2},
         "10.77.1.10 is used by 02:4b:52:00:00:01, 02:4b:52:00:00:02, 02:4b:52:00:00:03; give each device an "
         "address of its own."},
        {"inside its own wider subnet, but outside its interface's",
         {{"10.77.5.5", "255.255.0.0", "10.77.0.1", 0, "a", "10.77.1.1"}},
         ProblemKind::Unreachable,
         {0},
         "10.77.5.5 is outside 10.77.1.0/24, the subnet of interface 10.77.1.1, so this host can't reach it; "
         "move it into 10.77.1.0/24."},
        {"outside the subnet it answered through, though inside another",
         {{"10.77.2.20", "255.255.255.0", "10.77.2.254", 0, "a", "10.77.1.1"}},
         ProblemKind::Unreachable,
         {0},
         "10.77.2.20 is outside 10.77.1.0/24, the subnet of interface 10.77.1.1, so this host can't reach it; "
         "move it into 10.77.1.0/24."},
        {"an unknown interface and outside every subnet",
         {{"192.168.5.5", "255.255.255.0", "192.168.5.1", 0, "a", "10.9.9.9"}},
         ProblemKind::Unreachable,
         {0},
         "192.168.5.5 is outside 10.77.1.0/24, the subnet of interface 10.77.1.1, so this host can't reach it; "
         "move it into 10.77.1.0/24."},
        {"a gateway outside the device's own subnet",
         {{"10.77.1.10", "255.255.255.0", "10.77.9.1", 0, "a", "10.77.1.1"}},
         ProblemKind::GatewayOutsideSubnet,
         {0},
         "Gateway 10.77.9.1 is outside the device's subnet 10.77.1.0/24; set a gateway inside it."},
        {"a mask with a hole",
         {{"10.77.1.10", "255.0.255.0", "0.0.0.0", 0, "a", "10.77.1.1"}},
         ProblemKind::BadMask,
         {0},
         "Subnet mask 255.0.255.0 is not a contiguous prefix; set a mask such as 255.255.255.0."},
        {"no address and DHCP off",
         {{"0.0.0.0", "255.255.255.0", "0.0.0.0", 0, "a", "10.77.1.1"}},
         ProblemKind::Unconfigured,
         {0},
         "The device has no IP address and DHCP is off; give it an address or turn DHCP on."},
        {"one name twice",
         {{"10.77.1.10", "255.255.255.0", "10.77.1.254", 0, "lobby", "10.77.1.1"},
          {"10.77.1.11", "255.255.255.0", "10.77.1.254", 0, "lobby", "10.77.1.1"}},
         ProblemKind::DuplicateName,
         {0, 1},
         "The name \"lobby\" is used by 02:4b:52:00:00:01, 02:4b:52:00:00:02; give each device a name of its own."},
    };
    for (const auto &c : cases) {
        const auto problems = CheckDevices(Records(c.devices), kHost);
        ASSERT_EQ(problems.size(), 1u) << c.what;
        EXPECT_EQ(problems[0].kind, c.kind) << c.what;
        EXPECT_EQ(problems[0].devices, c.positions) << c.what;
        EXPECT_EQ(problems[0].message, c.message) << c.what;
        EXPECT_EQ(problems[0].severity, c.kind == ProblemKind::DuplicateName ? Severity::Warning : Severity::Error)
            << c.what;
    }
}

TEST(DeviceChecks, SoundSettingsAndDhcpWithoutAnAddressAreNoProblem)
{
    const auto problems = CheckDevices(Records({{"10.77.1.10", "255.255.255.0", "10.77.1.254", 0, "a", "10.77.1.1"},
                                                {"10.77.2.10", "255.255.0.0", "0.0.0.0", 0, "b", "10.77.2.1"},
                                                {"0.0.0.0", "0.0.0.0", "0.0.0.0", 1, "", "10.77.1.1"},
                                                {"0.0.0.0", "0.0.0.0", "0.0.0.0", 1, "", "10.77.1.1"}}),
                                       kHost);
    EXPECT_TRUE(problems.empty());
}

TEST(DeviceChecks, MasksAndSubnetsReadAsPrefixes)
{
    const struct {
        const char *mask;
        bool contiguous;
    } masks[] = {{"255.255.255.0", true}, {"255.255.255.255", true}, {"128.0.0.0", true},
                 {"0.0.0.0", false},      {"255.0.255.0", false},    {"0.255.255.255", false}};
    for (const auto &m : masks) {
        EXPECT_EQ(IsContiguousMask(Ip(m.mask)), m.contiguous) << m.mask;
    }
    EXPECT_EQ(SubnetText(Ip("10.77.1.10"), Ip("255.255.255.0")), "10.77.1.0/24");
    EXPECT_EQ(SubnetText(Ip("10.77.1.10"), Ip("255.255.255.255")), "10.77.1.10/32");
    EXPECT_STREQ(ProblemKindName(ProblemKind::GatewayOutsideSubnet), "gateway-outside-subnet");
}

} // namespace
} // namespace kovr::common
