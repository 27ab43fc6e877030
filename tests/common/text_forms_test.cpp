// MAC addresses, IPv4 addresses, GUIDs and hex as every program reads and
// writes them: what is accepted, what is refused, and the one printed form.
#include "common/guid_text.h"
#include "common/hex.h"
#include "common/ipv4_text.h"
#include "common/mac_address_text.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kovr::common;

namespace {

struct Case {
    const char *text;
    const char *printed; // "refused" when the text is not accepted
};

// Parses each text and prints what was parsed.
template <typename Parse, typename Format>
void ExpectRoundTrips(Parse parse, Format format, std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        const auto parsed = parse(c.text);
        EXPECT_EQ(parsed ? format(*parsed) : "refused", c.printed) << '"' << c.text << '"';
    }
}

TEST(TextFormsTest, MacAddressesTakeOneKindOfSeparatorAndTwoDigitsPerByte)
{
    ExpectRoundTrips(ParseMac, [](const MacAddress &mac) { return FormatMac(mac.data()); },
                     {{"02:4B:52:00:0a:FF", "02:4b:52:00:0a:ff"},
                      {"02-4b-52-00-0a-ff", "02:4b:52:00:0a:ff"},
                      {"ff:ff:ff:ff:ff:ff", "ff:ff:ff:ff:ff:ff"},
                      {"", "refused"},
                      {"02:4b:52:00:0a", "refused"},
                      {"02:4b:52:00:0a:ff:", "refused"},
                      {"02:4b:52:00:0a:f", "refused"},
                      {"2:4b:52:00:0a:ff0", "refused"},
                      {"02-4b:52:00:0a:ff", "refused"},
                      {"02:4b:52:00:0a-ff", "refused"},
                      {"02:4b:52:00:0a:fg", "refused"},
                      {"024b.5200.0aff", "refused"},
                      {"02 4b 52 00 0a ff", "refused"},
                      {"+2:4b:52:00:0a:ff", "refused"}});
}

TEST(TextFormsTest, Ipv4AddressesAreFourDecimalPartsInNetworkOrder)
{
    const std::optional<uint32_t> address = ParseIpv4("10.77.1.200");
    ASSERT_TRUE(address);
    const uint8_t expected[4] = {10, 77, 1, 200};
    EXPECT_EQ(std::memcmp(&*address, expected, 4), 0);
    // Leading zeros are refused: some parsers would read 010 as octal 8.
    ExpectRoundTrips(ParseIpv4, FormatIpv4,
                     {{"0.0.0.0", "0.0.0.0"},
                      {"255.255.255.255", "255.255.255.255"},
                      {"10.0.0.5", "10.0.0.5"},
                      {"", "refused"},
                      {"10.77.1", "refused"},
                      {"10.77.1.2.3", "refused"},
                      {"10.77.1.256", "refused"},
                      {"10.77..1", "refused"},
                      {"10.77.1.", "refused"},
                      {".10.77.1", "refused"},
                      {"010.77.1.2", "refused"},
                      {"10.77.1.00", "refused"},
                      {"10.77.1.-2", "refused"},
                      {"10.77.1.+2", "refused"},
                      {"10.77.1.2 ", "refused"},
                      {" 10.77.1.2", "refused"},
                      {"0x0a.77.1.2", "refused"},
                      {"1000.1.1.1", "refused"},
                      {"4294967297.0.0.1", "refused"}});
    EXPECT_FALSE(ParseIpv4(std::string("10.77.1.2\0junk", 14)));
}

TEST(TextFormsTest, GuidsRoundTripWithOrWithoutBraces)
{
    const std::optional<KOVR_GUID> guid = ParseGuid("{4724141b-aeb4-4dba-be7f-d4a18afa6ea5}");
    ASSERT_TRUE(guid);
    const KOVR_GUID locator = KOVR_LOCATOR_SESSION_GUID;
    EXPECT_EQ(std::memcmp(&*guid, &locator, sizeof locator), 0);
    ExpectRoundTrips(ParseGuid, FormatGuid,
                     {{"{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}", "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}"},
                      {"85ce4a71-1f89-4aa2-8b4d-3b1fce4d2941", "{85CE4A71-1F89-4AA2-8B4D-3B1FCE4D2941}"},
                      {"", "refused"},
                      {"{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5", "refused"},
                      {"4724141B-AEB4-4DBA-BE7FD4A18AFA6EA5", "refused"},
                      {"{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EAZ}", "refused"},
                      {"4724141BAEB44DBABE7FD4A18AFA6EA5", "refused"},
                      {"{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}}", "refused"},
                      {"{4724141B-AEB4-4DBA-BE7F-D4A1-8AFA6EA5}", "refused"}});
}

TEST(TextFormsTest, HexIsTwoDigitsPerByteInEitherCase)
{
    ExpectRoundTrips(ParseHex, [](const std::vector<uint8_t> &bytes) { return FormatHex(bytes.data(), bytes.size()); },
                     {{"", ""},
                      {"00A55a", "00a55a"},
                      {"ff", "ff"},
                      {"abc", "refused"},
                      {"0g", "refused"},
                      {"0x12", "refused"},
                      {"12 34", "refused"}});
    EXPECT_EQ(HexByteAt("a5", 0), 0xa5);
    EXPECT_FALSE(HexByteAt("a5", 1));
    EXPECT_FALSE(HexByteAt("a5", 3));
}

} // namespace
