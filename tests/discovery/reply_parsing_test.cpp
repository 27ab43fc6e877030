// Decoding replies into a ReplyRecord, and which replies are accepted.
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

const uint8_t kDevice[kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const uint8_t kOtherDevice[kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};

class ReplyParsing : public ::testing::Test {
protected:
    void SetUp() override { InitReplyRecord(session_, &record_); }

    ReplyWriter Reply(uint16_t type = kDiscoveryReply) const { return ReplyWriter(session_.magic, type); }

    // Parsed from a buffer of exactly the datagram's size, so that any read
    // past the received bytes is caught by the sanitizer build.
    bool Parse(const std::vector<uint8_t> &datagram, uint16_t type = kDiscoveryReply)
    {
        const std::vector<uint8_t> exact(datagram);
        return ParseReply(session_, exact.data(), exact.size(), type, &record_);
    }
    bool Accept(const std::vector<uint8_t> &datagram, const uint8_t *target = kAllDevices)
    {
        InitReplyRecord(session_, &record_);
        const std::vector<uint8_t> exact(datagram);
        return AcceptReply(session_, exact.data(), exact.size(), kDiscoveryReply, target, &record_);
    }

    Identity session_ = ProtocolSession(KOVR_MAGIC_LORX);
    ReplyRecord record_{};
};

TEST_F(ReplyParsing, EmptyPayloadParsesButIsNotAccepted)
{
    const auto datagram = Reply().Finish();
    ASSERT_EQ(datagram.size(), kHeaderSize);
    EXPECT_TRUE(Parse(datagram));
    EXPECT_EQ(record_.info.presentFields, 0u);
    EXPECT_FALSE(Accept(datagram));
}

// Another magic, another type or a payload longer than the datagram.
TEST_F(ReplyParsing, ARejectedHeaderLeavesTheRecordUntouched)
{
    std::memset(&record_, 0x5A, sizeof record_);
    const ReplyRecord before = record_;
    const auto wrongMagic = ReplyWriter(KOVR_MAGIC_QUMA, kDiscoveryReply).Field(kTagMacAddress, kDevice, 6).Finish();
    EXPECT_FALSE(Parse(wrongMagic));
    const auto wrongType = Reply(kRebootReply).Field(kTagMacAddress, kDevice, 6).Finish();
    EXPECT_FALSE(Parse(wrongType));
    auto overlong = Reply().Field(kTagMacAddress, kDevice, 6).Finish();
    overlong[7] = 200;
    EXPECT_FALSE(Parse(overlong));
    EXPECT_EQ(std::memcmp(&record_, &before, sizeof record_), 0);
    // The same datagram is fine when its type is the one expected.
    EXPECT_TRUE(Parse(wrongType, kRebootReply));
}

TEST_F(ReplyParsing, MalformedMacIsParsedToTheEndAndRejected)
{
    const auto datagram = Reply().Field(kTagMacAddress, kDevice, 4).Text(kTagDeviceName, "after").Finish();
    EXPECT_FALSE(Parse(datagram));
    EXPECT_EQ(record_.info.presentFields, KOVR_FIELD_DEVICE_NAME);
    EXPECT_STREQ(record_.info.deviceName, "after");
    EXPECT_FALSE(Accept(datagram));
}

TEST_F(ReplyParsing, WellFormedGuidFieldClearsAnEarlierFailure)
{
    const uint8_t shortAddress[3] = {10, 0, 0};
    uint8_t guid[16];
    EncodeGuid(test::kLocatorGuid, guid);
    const auto withGuid = Reply()
                              .Field(kTagMacAddress, kDevice, 6)
                              .Field(kTagIpAddress, shortAddress, 3)
                              .Field(kTagGuid, guid, 16)
                              .Finish();
    EXPECT_TRUE(Accept(withGuid, kDevice));
    EXPECT_EQ(record_.info.presentFields, KOVR_FIELD_MAC_ADDRESS | KOVR_FIELD_GUID);
    EXPECT_EQ(record_.info.ipAddress, 0u);

    const auto withoutGuid = Reply().Field(kTagMacAddress, kDevice, 6).Field(kTagIpAddress, shortAddress, 3).Finish();
    EXPECT_FALSE(Accept(withoutGuid, kDevice));
}

TEST_F(ReplyParsing, TagsThatDecideTheResultAlsoSpoilIt)
{
    uint8_t bytes[16] = {};
    // A malformed tag 21, 23 or 24 fails even after everything else was fine.
    EXPECT_FALSE(Parse(Reply().Field(kTagMacAddress, kDevice, 6).Field(kTagGuid, bytes, 15).Finish()));
    EXPECT_FALSE(Parse(Reply().Field(kTagMacAddress, kDevice, 6).Field(kTagAuthNonce, bytes, 13).Finish()));
    EXPECT_EQ(record_.info.nonceLength, 0);
    EXPECT_EQ(record_.info.presentFields & KOVR_FIELD_NONCE, 0u);
    // A later malformed field of another tag spoils a decided success.
    EXPECT_FALSE(Parse(Reply().Field(kTagAuthNonce, bytes, 14).Uint(kTagResultCode, 1, 3).Finish()));
    // The outcome of the last deciding tag wins over an earlier one.
    EXPECT_TRUE(Parse(Reply().Field(kTagGuid, bytes, 3).Field(kTagAuthNonce, bytes, 14).Finish()));
    EXPECT_EQ(record_.info.nonceLength, 14);
}

TEST_F(ReplyParsing, Tag24TakesItsLengthEvenWhenEmpty)
{
    const uint8_t data[3] = {7, 8, 9};
    EXPECT_TRUE(Parse(Reply().Field(kTag24, data, 3).Finish()));
    EXPECT_EQ(record_.info.tag24Length, 3);
    EXPECT_EQ(std::vector<uint8_t>(record_.info.tag24Data, record_.info.tag24Data + 4),
              (std::vector<uint8_t>{7, 8, 9, 0}));

    EXPECT_FALSE(Parse(Reply().Field(kTag24, data, 3).Field(kTag24, data, 0).Finish()));
    EXPECT_EQ(record_.info.tag24Length, 0);
    EXPECT_NE(record_.info.presentFields & KOVR_FIELD_TAG24, 0u);

    const std::vector<uint8_t> longest(255, 0xEE);
    EXPECT_TRUE(Parse(Reply().Field(kTag24, longest.data(), 255).Finish()));
    EXPECT_EQ(record_.info.tag24Length, 255);
    EXPECT_EQ(record_.info.tag24Data[254], 0xEE);
}

TEST_F(ReplyParsing, UnsignedFieldsAreReadByTheirLength)
{
    const auto datagram = Reply()
                              .Uint(kTagVersion, 0x00010002, 4)
                              .Uint(kTagDhcpMode, 1, 2)
                              .Uint(kTagAdvisory, 0x12345678, 4)
                              .Uint(kTagResultCode, 0x1FF, 2)
                              .Uint(kTagErrorNumber, 5, 1)
                              .Finish();
    EXPECT_TRUE(Parse(datagram));
    EXPECT_EQ(record_.info.version, 2u);
    EXPECT_EQ(record_.info.dhcpMode, 1);
    EXPECT_EQ(record_.info.advisory, 0x5678);
    EXPECT_EQ(record_.resultCode, 0xFF);
    EXPECT_EQ(record_.errorNumber, 5);
    EXPECT_EQ(record_.statusFields, kStatusResultCode | kStatusErrorNumber);
    EXPECT_EQ(record_.info.presentFields, KOVR_FIELD_VERSION | KOVR_FIELD_DHCP_MODE | KOVR_FIELD_ADVISORY);

    for (uint8_t tag : {kTagResultCode, kTagAdvisory, kTagDhcpMode, kTagErrorNumber, kTagVersion}) {
        InitReplyRecord(session_, &record_);
        for (size_t width : {0, 3, 5}) {
            EXPECT_FALSE(Parse(Reply().Uint(tag, 1, width).Finish())) << int(tag) << " width " << width;
            EXPECT_EQ(record_.info.presentFields, 0u);
            EXPECT_EQ(record_.statusFields, 0u);
        }
        EXPECT_EQ(record_.info.version, kProtocolVersion);
    }
}

TEST_F(ReplyParsing, AddressFieldsNeedFourBytes)
{
    for (uint8_t tag : {kTagIpAddress, kTagSubnetMask, kTagGatewayAddress, kTagDnsAddress}) {
        const uint8_t five[5] = {1, 2, 3, 4, 5};
        EXPECT_FALSE(Parse(Reply().Field(tag, five, 5).Finish())) << int(tag);
        EXPECT_EQ(record_.info.presentFields, 0u);
    }
}

TEST_F(ReplyParsing, TextsAreCopiedWholeAndTerminated)
{
    const std::string longest(255, 'n');
    EXPECT_TRUE(Parse(Reply().Text(kTagDeviceName, longest.c_str()).Text(kTagProductName, "7100-NT").Finish()));
    EXPECT_EQ(std::string(record_.info.deviceName), longest);
    EXPECT_STREQ(record_.info.productName, "7100-NT");

    // Embedded zero bytes are copied as they come; a later, shorter text
    // leaves nothing of the earlier one behind its terminator.
    const char embedded[5] = {'a', '\0', 'b', 'c', 'd'};
    EXPECT_TRUE(Parse(Reply().Field(kTagDeviceName, embedded, 5).Text(kTagDeviceName, "xy").Finish()));
    EXPECT_STREQ(record_.info.deviceName, "xy");
    EXPECT_EQ(record_.info.deviceName[3], '\0');

    EXPECT_TRUE(Parse(Reply().Field(kTagDeviceName, embedded, 5).Finish()));
    EXPECT_EQ(std::memcmp(record_.info.deviceName, embedded, 5), 0);
    EXPECT_EQ(record_.info.deviceName[5], '\0');

    EXPECT_TRUE(Parse(Reply().Text(kTagErrorMessage, "denied").Text(kTagDeviceName, "").Finish()));
    EXPECT_STREQ(record_.errorMessage, "denied");
    EXPECT_EQ(record_.statusFields, kStatusErrorMessage);
    EXPECT_EQ(record_.info.presentFields, KOVR_FIELD_DEVICE_NAME);
}

TEST_F(ReplyParsing, Tag22KeepsItsFirstByte)
{
    const uint8_t bytes[3] = {0x42, 0x43, 0x44};
    EXPECT_TRUE(Parse(Reply().Field(kTag22, bytes, 3).Finish()));
    EXPECT_EQ(record_.info.tag22Value, 0x42);
    EXPECT_TRUE(Parse(Reply().Field(kTag22, bytes, 0).Finish()));
    EXPECT_EQ(record_.info.tag22Value, 0x42);
    EXPECT_EQ(record_.info.presentFields, KOVR_FIELD_TAG22);
}

TEST_F(ReplyParsing, RepeatedMacKeepsTheLaterValue)
{
    EXPECT_TRUE(
        Accept(Reply().Field(kTagMacAddress, kOtherDevice, 6).Field(kTagMacAddress, kDevice, 6).Finish(), kDevice));
    EXPECT_EQ(std::memcmp(record_.info.macAddress, kDevice, kMacSize), 0);
}

TEST_F(ReplyParsing, UnknownTagsAreSkipped)
{
    const uint8_t junk[20] = {0xFF};
    const auto datagram = Reply()
                              .Field(0, junk, 0)
                              .Field(5, junk, 20)
                              .Field(14, junk, 1)
                              .Field(18, junk, 4)
                              .Field(255, junk, 2)
                              .Field(kTagMacAddress, kDevice, 6)
                              .Finish();
    EXPECT_TRUE(Accept(datagram));
    EXPECT_EQ(record_.info.presentFields, KOVR_FIELD_MAC_ADDRESS);
}

TEST_F(ReplyParsing, AcceptanceMatchesTheTargetDevice)
{
    const auto fromDevice = Reply().Field(kTagMacAddress, kDevice, 6).Finish();
    EXPECT_TRUE(Accept(fromDevice, kDevice));
    EXPECT_TRUE(Accept(fromDevice, kAllDevices));
    EXPECT_FALSE(Accept(fromDevice, kOtherDevice));
    EXPECT_FALSE(Accept(Reply().Text(kTagDeviceName, "no mac").Finish(), kAllDevices));
    EXPECT_FALSE(Accept({}, kAllDevices));
}

TEST_F(ReplyParsing, TruncatedDatagramsAreRejected)
{
    const auto whole = Reply().Field(kTagMacAddress, kDevice, 6).Text(kTagDeviceName, "lab-1").Finish();
    ASSERT_TRUE(Accept(whole));

    // Shorter than the header, than the declared payload, or cut inside the
    // tag, the length byte or the value of the last field.
    for (size_t length = 0; length < whole.size(); ++length) {
        EXPECT_FALSE(Parse(std::vector<uint8_t>(whole.begin(), whole.begin() + length))) << length;
    }

    // A payload length that claims less than was received ends the fields
    // there; the bytes beyond are ignored.
    auto shortened = whole;
    shortened[7] = 8;
    EXPECT_TRUE(Accept(shortened));
    EXPECT_EQ(record_.info.presentFields, KOVR_FIELD_MAC_ADDRESS);

    // A declared payload that ends inside a field's value.
    shortened[7] = 7;
    EXPECT_FALSE(Parse(shortened));
    // A payload of one byte: a tag without its length.
    shortened[7] = 1;
    EXPECT_FALSE(Parse(shortened));
}

} // namespace
} // namespace kovr
