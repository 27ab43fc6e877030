// The Device Information block that the locator and kovr info show.
#include "common/device_info_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/support/records.h"

using namespace kovr::common;

namespace {

using kovr::test::Address;
using kovr::test::BareRecord;
using kovr::test::FullRecord;

TEST(DeviceInfoLinesTest, FullRecordInElevenLines)
{
    const KOVRDeviceInfoRecord r = FullRecord();
    EXPECT_EQ(DeviceInfoText(r), "Version: 513\n"
                                 "Interface Address: 10.77.1.1\n"
                                 "Vendor ID: 1280266840\n"
                                 "MAC Address: 02:4b:52:00:0a:bc\n"
                                 "IP Address: 10.0.0.5\n"
                                 "Subnet Mask: 255.255.255.0\n"
                                 "Gateway Address: 10.0.0.254\n"
                                 "DNS Address: 192.168.100.1\n"
                                 "DHCP Mode: Enabled\n"
                                 "Device Name: lobby-camera\n"
                                 "Advisory: 65535\n");
}

TEST(DeviceInfoLinesTest, BareRecordStillHasElevenLines)
{
    KOVRDeviceInfoRecord r = BareRecord();
    // Without its presence bit, the DHCP mode is unknown whatever it holds.
    r.dhcpMode = 1;
    EXPECT_EQ(DeviceInfoText(r), "Version: 512\n"
                                 "Interface Address: 0.0.0.0\n"
                                 "Vendor ID: 1280266840\n"
                                 "MAC Address: 02:4b:52:00:0a:01\n"
                                 "IP Address: 0.0.0.0\n"
                                 "Subnet Mask: 0.0.0.0\n"
                                 "Gateway Address: 0.0.0.0\n"
                                 "DNS Address: 0.0.0.0\n"
                                 "DHCP Mode: N/A\n"
                                 "Device Name: \n"
                                 "Advisory: 0\n");
    r.presentFields |= KOVR_FIELD_DHCP_MODE;
    r.dhcpMode = 2;
    EXPECT_NE(DeviceInfoText(r).find("\nDHCP Mode: Disabled\n"), std::string::npos);
}

TEST(DeviceInfoLinesTest, TheNameStopsAtItsFieldAndIsMadeSafeUnlessTheCallerFiltersIt)
{
    KOVRDeviceInfoRecord r = BareRecord();
    // A name that fills its field without a terminator ends at the field.
    std::memset(r.deviceName, 'x', sizeof r.deviceName);
    r.productName[0] = 'p';
    EXPECT_NE(DeviceInfoText(r).find("\nDevice Name: " + std::string(256, 'x') + "\nAdvisory: 0\n"), std::string::npos);

    // A line break, a tab, a control character and a byte that isn't UTF-8
    // neither add a line nor reach the window as they are.
    std::strcpy(r.deviceName, "a\nb\tc\x01\xff");
    const std::string safe = DeviceInfoText(r);
    EXPECT_NE(safe.find("\nDevice Name: a\\x0ab\\x09c\\x01\xEF\xBF\xBD\nAdvisory: 0\n"), std::string::npos) << safe;
    EXPECT_EQ(std::count(safe.begin(), safe.end(), '\n'), 11);

    std::strcpy(r.deviceName, "a\nb");
    const TextFilter bracket = [](const std::string &text) { return "[" + text + "]"; };
    EXPECT_NE(DeviceInfoText(r, bracket).find("\nDevice Name: [a\nb]\nAdvisory: 0\n"), std::string::npos);
}

} // namespace
