// The strict parsers behind kovr's own arguments (the shared text forms
// are tested with the common library).
#include "tools/kovr/addresses.h"
#include "tools/kovr/options.h"

#include <gtest/gtest.h>

using namespace kovr::cli;

namespace {

std::string Mask(const std::string &text)
{
    uint32_t mask = 0;
    std::string why;
    return ReadSubnetMask(text, mask, why) ? FormatIpv4(mask) : "refused";
}

TEST(CliArgumentParsingTest, OnlyTheAllDevicesAddressIsRefusedAsADevice)
{
    EXPECT_TRUE(IsAllDevicesAddress(*ParseMac("FF:ff:ff:ff:ff:ff")));
    EXPECT_FALSE(IsAllDevicesAddress(*ParseMac("ff:ff:ff:ff:ff:fe")));
}

TEST(CliArgumentParsingTest, SubnetMasksHaveContiguousOnes)
{
    for (const char *good : {"255.255.255.0", "255.255.0.0", "255.255.255.252", "255.255.255.255", "128.0.0.0"}) {
        EXPECT_EQ(Mask(good), good);
    }
    // No ones at all is no subnet: kovr check calls it a bad mask.
    for (const char *bad :
         {"0.0.0.0", "255.0.255.0", "0.255.255.255", "255.255.255.1", "255.255.254.255", "255.255.255"}) {
        EXPECT_EQ(Mask(bad), "refused") << bad;
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
