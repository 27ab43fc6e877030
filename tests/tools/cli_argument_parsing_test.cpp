// The strict parsers behind kovr's arguments.
#include "addresses.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kovr::cli;

namespace {

std::string Dotted(std::optional<uint32_t> address)
{
    return address ? FormatIpv4(*address) : "refused";
}

TEST(CliArgumentParsingTest, MacAddressesTakeOneKindOfSeparatorAndTwoDigitsPerByte)
{
    const std::optional<MacAddress> mac = ParseMac("02:4B:52:00:0a:FF");
    ASSERT_TRUE(mac);
    EXPECT_EQ(FormatMac(mac->data()), "02:4b:52:00:0a:ff");
    EXPECT_EQ(FormatMac(ParseMac("02-4b-52-00-0a-ff")->data()), "02:4b:52:00:0a:ff");
    for (const char *bad : {"", "02:4b:52:00:0a", "02:4b:52:00:0a:ff:", "02:4b:52:00:0a:f", "2:4b:52:00:0a:ff0",
                            "02-4b:52:00:0a:ff", "02:4b:52:00:0a:fg", "024b.5200.0aff", "02 4b 52 00 0a ff",
                            "+2:4b:52:00:0a:ff"}) {
        EXPECT_FALSE(ParseMac(bad)) << bad;
    }
    EXPECT_TRUE(IsAllDevicesAddress(*ParseMac("FF:ff:ff:ff:ff:ff")));
    EXPECT_FALSE(IsAllDevicesAddress(*ParseMac("ff:ff:ff:ff:ff:fe")));
}

TEST(CliArgumentParsingTest, Ipv4AddressesAreFourDecimalPartsInNetworkOrder)
{
    const std::optional<uint32_t> address = ParseIpv4("10.77.1.200");
    ASSERT_TRUE(address);
    const uint8_t expected[4] = {10, 77, 1, 200};
    EXPECT_EQ(std::memcmp(&*address, expected, 4), 0);
    EXPECT_EQ(Dotted(ParseIpv4("0.0.0.0")), "0.0.0.0");
    EXPECT_EQ(Dotted(ParseIpv4("255.255.255.255")), "255.255.255.255");
    // Leading zeros are refused: some parsers would read 010 as octal 8.
    for (const char *bad : {"", "10.77.1", "10.77.1.2.3", "10.77.1.256", "10.77..1", "10.77.1.", "010.77.1.2",
                            "10.77.1.-2", "10.77.1.+2", "10.77.1.2 ", " 10.77.1.2", "0x0a.77.1.2", "1000.1.1.1"}) {
        EXPECT_EQ(Dotted(ParseIpv4(bad)), "refused") << bad;
    }
}

TEST(CliArgumentParsingTest, SubnetMasksHaveContiguousOnes)
{
    for (const char *good : {"255.255.255.0", "255.255.0.0", "255.255.255.252", "255.255.255.255", "0.0.0.0",
                             "128.0.0.0"}) {
        EXPECT_EQ(Dotted(ParseSubnetMask(good)), good);
    }
    for (const char *bad : {"255.0.255.0", "0.255.255.255", "255.255.255.1", "255.255.254.255", "255.255.255"}) {
        EXPECT_EQ(Dotted(ParseSubnetMask(bad)), "refused") << bad;
    }
}

TEST(CliArgumentParsingTest, GuidsRoundTripWithOrWithoutBraces)
{
    const std::optional<KOVR_GUID> guid = ParseGuid("{4724141b-aeb4-4dba-be7f-d4a18afa6ea5}");
    ASSERT_TRUE(guid);
    EXPECT_EQ(std::memcmp(&*guid, &kLocatorSessionGuid, sizeof(KOVR_GUID)), 0);
    EXPECT_EQ(FormatGuid(*guid), "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}");
    EXPECT_EQ(FormatGuid(*ParseGuid("85CE4A71-1F89-4AA2-8B4D-3B1FCE4D2941")),
              "{85CE4A71-1F89-4AA2-8B4D-3B1FCE4D2941}");
    for (const char *bad : {"", "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5", "4724141B-AEB4-4DBA-BE7FD4A18AFA6EA5",
                            "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EAZ}", "4724141BAEB44DBABE7FD4A18AFA6EA5",
                            "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}}"}) {
        EXPECT_FALSE(ParseGuid(bad)) << bad;
    }
}

TEST(CliArgumentParsingTest, MagicsAndTimeLimits)
{
    EXPECT_EQ(ParseMagic("QUMA"), KOVR_MAGIC_QUMA);
    EXPECT_EQ(ParseMagic("lorx"), KOVR_MAGIC_LORX);
    EXPECT_EQ(ParseMagic("Tesk"), KOVR_MAGIC_TESK);
    EXPECT_FALSE(ParseMagic("ABCD"));
    EXPECT_FALSE(ParseMagic("QUMAX"));

    EXPECT_EQ(ParseMilliseconds("1"), 1u);
    EXPECT_EQ(ParseMilliseconds("60000"), 60000u);
    EXPECT_EQ(ParseMilliseconds("4294967295"), KOVR_INFINITE);
    EXPECT_EQ(ParseMilliseconds("infinite"), KOVR_INFINITE);
    for (const char *bad : {"", "0", "-1", "4294967296", "99999999999", "1.5", "5s", " 5"}) {
        EXPECT_FALSE(ParseMilliseconds(bad)) << bad;
    }
}

} // namespace
