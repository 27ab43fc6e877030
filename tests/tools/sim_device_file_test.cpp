// kovr-sim's device file: defaults for what an entry leaves out, and
// entries it refuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tools/kovr-sim/device_config.h"

namespace kovr::sim {
namespace {

TEST(SimDeviceFile, OmittedKeysTakeTheirDefaults)
{
    DeviceDefaults defaults;
    defaults.password = "pw";
    defaults.rebootDowntime = std::chrono::milliseconds(750);
    const Device device = DeviceFromJson({{"mac", "02:00:00:0a:0b:0c"}}, defaults);

    EXPECT_EQ(FormatIpv4(device.ip), "0.0.0.0");
    EXPECT_EQ(FormatIpv4(device.mask), "255.255.255.0");
    EXPECT_EQ(device.dhcp, 0);
    EXPECT_EQ(device.name, "kovr-0a:0b:0c");
    EXPECT_EQ(device.product, "7100-NT");
    EXPECT_EQ(device.version, 512);
    EXPECT_EQ(device.password, "pw");
    EXPECT_EQ(device.auth, AuthMode::Digest);
    EXPECT_EQ(device.magics, (std::vector<uint32_t>{KOVR_MAGIC_QUMA, KOVR_MAGIC_LORX, KOVR_MAGIC_TESK}));
    EXPECT_EQ(device.rebootDowntime.count(), 750);
    EXPECT_FALSE(device.tag22.has_value());
    EXPECT_TRUE(device.interfaces.empty());
}

TEST(SimDeviceFile, GuidTextBecomesTheRecordGuid)
{
    const Device device =
        DeviceFromJson({{"mac", "02:00:00:00:00:01"}, {"guid", "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}"}}, {});
    EXPECT_EQ(device.guid.Data1, 0x4724141Bu);
    EXPECT_EQ(device.guid.Data2, 0xAEB4);
    EXPECT_EQ(device.guid.Data3, 0x4DBA);
    EXPECT_EQ(device.guid.Data4[0], 0xBE);
    EXPECT_EQ(device.guid.Data4[7], 0xA5);
}

TEST(SimDeviceFile, BadEntriesAreRefusedWithTheKeyNamed)
{
    const std::vector<std::pair<nlohmann::json, std::string>> cases = {
        {{{"ip", "10.0.0.1"}}, "\"mac\""},
        {{{"mac", "ff:ff:ff:ff:ff:ff"}}, "all-devices"},
        {{{"mac", "02:00-00:00:00:01"}}, "\"mac\""},
        {{{"mac", "02:00:00:00:00:01"}, {"ip", "10.0.0.256"}}, "\"ip\""},
        {{{"mac", "02:00:00:00:00:01"}, {"auth", "md5"}}, "\"auth\""},
        {{{"mac", "02:00:00:00:00:01"}, {"magics", {"LORXX"}}}, "\"magics\""},
        {{{"mac", "02:00:00:00:00:01"}, {"guid", "{4724141B}"}}, "\"guid\""},
        {{{"mac", "02:00:00:00:00:01"}, {"tag24", "abc"}}, "\"tag24\""},
        {{{"mac", "02:00:00:00:00:01"}, {"version", 70000}}, "\"version\""},
        {{{"mac", "02:00:00:00:00:01"}, {"dhcp", -1}}, "\"dhcp\""},
        {{{"mac", "02:00:00:00:00:01"}, {"auth", "plain"}, {"password", std::string(256, 'x')}}, "\"password\""},
        {{{"mac", "02:00:00:00:00:01"}, {"colour", "red"}}, "\"colour\""},
    };
    for (const auto &[entry, key] : cases) {
        try {
            DeviceFromJson(entry, {});
            ADD_FAILURE() << "accepted " << entry.dump();
        } catch (const ConfigError &error) {
            EXPECT_NE(std::string(error.what()).find(key), std::string::npos) << error.what();
        }
    }
}

TEST(SimDeviceFile, GeneratedDevicesCountUpFromTheFirstMacAndAddress)
{
    GenerateOptions options;
    options.count = 300;
    options.firstMac[5] = 0xff;
    options.firstIp = *common::ParseIpv4("10.77.1.250");
    const std::vector<Device> devices = GenerateDevices(options, {});
    ASSERT_EQ(devices.size(), 300u);
    EXPECT_EQ(FormatMac(devices[1].mac), "02:00:00:00:01:00");
    EXPECT_EQ(FormatIpv4(devices[6].ip), "10.77.2.0");
    EXPECT_EQ(devices[299].name, "sim-300");
}

} // namespace
} // namespace kovr::sim
