// The strict parsers behind kovr's own arguments (the shared text forms
// are tested with the common library).
#include "tools/kovr/addresses.h"

#include <gtest/gtest.h>

using namespace kovr::cli;

namespace {

std::string Dotted(std::optional<uint32_t> address)
{
    return address ? FormatIpv4(*address) : "refused";
}

TEST(CliArgumentParsingTest, OnlyTheAllDevicesAddressIsRefusedAsADevice)
{
    EXPECT_TRUE(IsAllDevicesAddress(*ParseMac("FF:ff:ff:ff:ff:ff")));
    EXPECT_FALSE(IsAllDevicesAddress(*ParseMac("ff:ff:ff:ff:ff:fe")));
}

TEST(CliArgumentParsingTest, SubnetMasksHaveContiguousOnes)
{
    for (const char *good :
         {"255.255.255.0", "255.255.0.0", "255.255.255.252", "255.255.255.255", "0.0.0.0", "128.0.0.0"}) {
        EXPECT_EQ(Dotted(ParseSubnetMask(good)), good);
    }
    for (const char *bad : {"255.0.255.0", "0.255.255.255", "255.255.255.1", "255.255.254.255", "255.255.255"}) {
        EXPECT_EQ(Dotted(ParseSubnetMask(bad)), "refused") << bad;
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
