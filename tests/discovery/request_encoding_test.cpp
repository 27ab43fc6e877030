// The bytes of every request the library sends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery/replies.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"
#include "tests/discovery/protocol_session.h"

namespace kovr {
namespace {

using test::ProtocolSession;

const uint8_t kDevice[kMacSize] = {0x02, 0x00, 0x00, 0xAB, 0xCD, 0xEF};
// The locator GUID in the order it travels: Data1..Data3 big-endian, Data4 as is.
const std::vector<uint8_t> kLocatorGuidOnWire = {0x47, 0x24, 0x14, 0x1B, 0xAE, 0xB4, 0x4D, 0xBA,
                                                 0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5};
const std::vector<uint8_t> kVersionField = {0x14, 0x02, 0x02, 0x00};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto &part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<uint8_t> Bytes(const CommandRequest &request)
{
    return std::vector<uint8_t>(request.bytes, request.bytes + request.length);
}

std::vector<uint8_t> GuidField()
{
    return Concat({{0x15, 0x10}, kLocatorGuidOnWire});
}

TEST(DiscoveryRequest, AllDevicesRequestIsExactly36Bytes)
{
    const Identity session = ProtocolSession(KOVR_MAGIC_QUMA);
    uint8_t out[kDiscoveryRequestSize];
    BuildDiscoveryRequest(session, kAllDevices, out);
    const std::vector<uint8_t> expected = Concat({{'Q', 'U', 'M', 'A', 0x00, 0x01, 0x00, 0x1C},
                                                  {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                                                  kVersionField,
                                                  GuidField()});
    ASSERT_EQ(expected.size(), kDiscoveryRequestSize);
    EXPECT_EQ(std::vector<uint8_t>(out, out + sizeof out), expected);
}

TEST(DiscoveryRequest, CarriesTheTargetAndTheSessionMagic)
{
    const Identity session = ProtocolSession(KOVR_MAGIC_LORX);
    uint8_t out[kDiscoveryRequestSize];
    BuildDiscoveryRequest(session, kDevice, out);
    EXPECT_EQ(std::string(out, out + 4), "LORX");
    EXPECT_EQ(std::vector<uint8_t>(out + 8, out + 14), std::vector<uint8_t>(kDevice, kDevice + kMacSize));
}

TEST(GuidEncoding, TravelsInRfc4122OrderAndComesBack)
{
    uint8_t out[16];
    EncodeGuid(test::kLocatorGuid, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 16), kLocatorGuidOnWire);
    const KOVR_GUID back = DecodeGuid(out);
    EXPECT_EQ(std::memcmp(&back, &test::kLocatorGuid, sizeof back), 0);
}

class CommandRequestTest : public ::testing::Test {
protected:
    Identity session_ = ProtocolSession(KOVR_MAGIC_LORX);
    CommandRequest request_{};
    const std::vector<uint8_t> digest_ = std::vector<uint8_t>(16, 0xD1);
};

TEST_F(CommandRequestTest, RebootWithPlainPassword)
{
    BeginRebootRequest(session_, kDevice, &request_);
    ASSERT_TRUE(FinishPlainRequest(&request_, "abc", 3));
    const std::vector<uint8_t> expected = Concat({{'L', 'O', 'R', 'X', 0x00, 0x05, 0x00, 10},
                                                  std::vector<uint8_t>(kDevice, kDevice + kMacSize),
                                                  {3, 'a', 'b', 'c'}});
    EXPECT_EQ(Bytes(request_), expected);
}

TEST_F(CommandRequestTest, RebootWithDigest)
{
    BeginRebootRequest(session_, kDevice, &request_);
    FinishDigestRequest(session_, &request_, digest_.data());
    const std::vector<uint8_t> expected = Concat({{'L', 'O', 'R', 'X', 0x00, 0x05, 0x00, 45},
                                                  std::vector<uint8_t>(kDevice, kDevice + kMacSize),
                                                  {16},
                                                  digest_,
                                                  kVersionField,
                                                  GuidField()});
    EXPECT_EQ(request_.length, 53u);
    EXPECT_EQ(Bytes(request_), expected);
}

TEST_F(CommandRequestTest, SetNetworkKeepsAddressesInNetworkOrder)
{
    const uint8_t ip[4] = {10, 77, 1, 20};
    const uint8_t mask[4] = {255, 255, 255, 0};
    const uint8_t gateway[4] = {10, 77, 1, 254};
    uint32_t ipValue, maskValue, gatewayValue;
    std::memcpy(&ipValue, ip, 4);
    std::memcpy(&maskValue, mask, 4);
    std::memcpy(&gatewayValue, gateway, 4);

    BeginSetNetworkRequest(session_, kDevice, ipValue, maskValue, gatewayValue, &request_);
    FinishDigestRequest(session_, &request_, digest_.data());
    const std::vector<uint8_t> expected = Concat({{'L', 'O', 'R', 'X', 0x00, 0x03, 0x00, 57},
                                                  {10, 77, 1, 20, 255, 255, 255, 0, 10, 77, 1, 254},
                                                  std::vector<uint8_t>(kDevice, kDevice + kMacSize),
                                                  {16},
                                                  digest_,
                                                  kVersionField,
                                                  GuidField()});
    EXPECT_EQ(request_.length, 65u);
    EXPECT_EQ(Bytes(request_), expected);

    BeginSetNetworkRequest(session_, kDevice, ipValue, maskValue, gatewayValue, &request_);
    ASSERT_TRUE(FinishPlainRequest(&request_, "pw", 2));
    EXPECT_EQ(request_.length, 8u + 19 + 2);
    EXPECT_EQ(request_.bytes[7], 21);
}

TEST_F(CommandRequestTest, SetDhcpCarriesTheModeByte)
{
    BeginSetDhcpRequest(session_, kDevice, 1, &request_);
    FinishDigestRequest(session_, &request_, digest_.data());
    EXPECT_EQ(request_.length, 54u);
    EXPECT_EQ(request_.bytes[7], 46);
    EXPECT_EQ(request_.bytes[5], kSetDhcpRequest);
    EXPECT_EQ(request_.bytes[8], 1);
    EXPECT_EQ(std::vector<uint8_t>(request_.bytes + 9, request_.bytes + 15),
              std::vector<uint8_t>(kDevice, kDevice + kMacSize));
    EXPECT_EQ(request_.bytes[15], 16);
}

TEST_F(CommandRequestTest, PlainPasswordLimits)
{
    BeginRebootRequest(session_, kDevice, &request_);
    ASSERT_TRUE(FinishPlainRequest(&request_, "", 0));
    EXPECT_EQ(request_.length, 15u);
    EXPECT_EQ(request_.bytes[7], 7);
    EXPECT_EQ(request_.bytes[14], 0);

    const std::string longest(255, 'p');
    BeginRebootRequest(session_, kDevice, &request_);
    ASSERT_TRUE(FinishPlainRequest(&request_, longest.c_str(), longest.size()));
    EXPECT_EQ(request_.length, 8u + 7 + 255);
    EXPECT_EQ(request_.bytes[14], 255);
    EXPECT_EQ(request_.bytes[request_.length - 1], 'p');

    // The longest plain request still fits: SetNetwork with 255 bytes.
    BeginSetNetworkRequest(session_, kDevice, 0, 0, 0, &request_);
    ASSERT_TRUE(FinishPlainRequest(&request_, longest.c_str(), longest.size()));
    EXPECT_EQ(request_.length, 8u + 19 + 255);

    const std::string tooLong(256, 'p');
    EXPECT_FALSE(FinishPlainRequest(&request_, tooLong.c_str(), tooLong.size()));
}

} // namespace
} // namespace kovr
