// The 852-byte record that callers read: every decoded field lands at its
// offset, in its byte order, and nothing else is written.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "discovery/replies.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"
#include "tests/discovery/protocol_session.h"

namespace kovr {
namespace {

using test::ProtocolSession;

uint32_t LittleEndian32(const uint8_t *bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

std::vector<uint8_t> Slice(const uint8_t *bytes, size_t offset, size_t length)
{
    return std::vector<uint8_t>(bytes + offset, bytes + offset + length);
}

TEST(DeviceRecordLayout, FreshRecordHoldsOnlyTheDefaults)
{
    const Identity session = ProtocolSession(KOVR_MAGIC_QUMA);
    ReplyRecord record;
    std::memset(&record, 0xA5, sizeof record);
    InitReplyRecord(session, &record);
    const auto *bytes = reinterpret_cast<const uint8_t *>(&record);
    EXPECT_EQ(LittleEndian32(bytes + 0), 852u);
    EXPECT_EQ(LittleEndian32(bytes + 4), 512u);
    EXPECT_EQ(LittleEndian32(bytes + 16), KOVR_MAGIC_QUMA);
    for (size_t i = 0; i < sizeof record; ++i) {
        if ((i < 8) || (i >= 16 && i < 20)) {
            continue;
        }
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
}

TEST(DeviceRecordLayout, EveryFieldAtItsOffset)
{
    const Identity session = ProtocolSession(KOVR_MAGIC_LORX);
    const uint8_t mac[6] = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    const uint8_t ip[4] = {10, 77, 1, 10};
    const uint8_t mask[4] = {255, 255, 255, 0};
    const uint8_t gateway[4] = {10, 77, 1, 254};
    const uint8_t dns[4] = {10, 77, 1, 253};
    const uint8_t guid[16] = {0x47, 0x24, 0x14, 0x1B, 0xAE, 0xB4, 0x4D, 0xBA,
                              0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5};
    const uint8_t nonce[14] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    const uint8_t tag22[1] = {0x99};
    const uint8_t tag24[3] = {0xC1, 0xC2, 0xC3};
    uint32_t ipValue, maskValue, gatewayValue, dnsValue;
    std::memcpy(&ipValue, ip, 4);
    std::memcpy(&maskValue, mask, 4);
    std::memcpy(&gatewayValue, gateway, 4);
    std::memcpy(&dnsValue, dns, 4);

    const auto datagram = ReplyWriter(session.magic, kDiscoveryReply)
                              .Field(kTagMacAddress, mac, 6)
                              .Address(kTagIpAddress, ipValue)
                              .Address(kTagSubnetMask, maskValue)
                              .Address(kTagGatewayAddress, gatewayValue)
                              .Address(kTagDnsAddress, dnsValue)
                              .Uint(kTagDhcpMode, 1, 1)
                              .Text(kTagDeviceName, "lab-1")
                              .Text(kTagProductName, "7100-NT")
                              .Uint(kTagAdvisory, 0x0102, 2)
                              .Uint(kTagVersion, 0x0300, 2)
                              .Field(kTagGuid, guid, 16)
                              .Field(kTag22, tag22, 1)
                              .Field(kTagAuthNonce, nonce, 14)
                              .Field(kTag24, tag24, 3)
                              .Finish();
    ReplyRecord record;
    InitReplyRecord(session, &record);
    ASSERT_TRUE(ParseReply(session, datagram.data(), datagram.size(), kDiscoveryReply, &record));
    record.info.interfaceAddress = ipValue;

    const auto *bytes = reinterpret_cast<const uint8_t *>(&record.info);
    EXPECT_EQ(LittleEndian32(bytes + 0), 852u);
    EXPECT_EQ(LittleEndian32(bytes + 4), 0x0300u);
    EXPECT_EQ(Slice(bytes, 8, 4), Slice(ip, 0, 4));
    EXPECT_EQ(bytes[12], 0x99);
    EXPECT_EQ(Slice(bytes, 13, 3), std::vector<uint8_t>(3, 0));
    EXPECT_EQ(LittleEndian32(bytes + 16), KOVR_MAGIC_LORX);
    // The GUID in its in-memory layout: Data1..Data3 in host order.
    EXPECT_EQ(Slice(bytes, 20, 16), (std::vector<uint8_t>{0x1B, 0x14, 0x24, 0x47, 0xB4, 0xAE, 0xBA, 0x4D, 0xBE, 0x7F,
                                                          0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5}));
    EXPECT_EQ(bytes[36], 14);
    EXPECT_EQ(Slice(bytes, 37, 14), Slice(nonce, 0, 14));
    EXPECT_EQ(bytes[51], 0);
    EXPECT_EQ(LittleEndian32(bytes + 52), 0x003E50BFu);
    EXPECT_EQ(Slice(bytes, 56, 6), Slice(mac, 0, 6));
    EXPECT_EQ(Slice(bytes, 62, 2), std::vector<uint8_t>(2, 0));
    EXPECT_EQ(Slice(bytes, 64, 4), Slice(ip, 0, 4));
    EXPECT_EQ(Slice(bytes, 68, 4), Slice(mask, 0, 4));
    EXPECT_EQ(Slice(bytes, 72, 4), Slice(gateway, 0, 4));
    EXPECT_EQ(Slice(bytes, 76, 4), Slice(dns, 0, 4));
    EXPECT_EQ(bytes[80], 1);
    EXPECT_STREQ(reinterpret_cast<const char *>(bytes + 81), "lab-1");
    EXPECT_STREQ(reinterpret_cast<const char *>(bytes + 337), "7100-NT");
    EXPECT_EQ(bytes[593], 0);
    EXPECT_EQ(bytes[594], 0x02);
    EXPECT_EQ(bytes[595], 0x01);
    EXPECT_EQ(bytes[596], 3);
    EXPECT_EQ(Slice(bytes, 597, 4), (std::vector<uint8_t>{0xC1, 0xC2, 0xC3, 0}));
    EXPECT_EQ(bytes[851], 0);
    EXPECT_EQ(record.statusFields, 0u);
}

TEST(DeviceRecordLayout, StatusPartFollowsTheRecord)
{
    const Identity session = ProtocolSession(KOVR_MAGIC_LORX);
    const auto datagram = ReplyWriter(session.magic, kSetNetworkReply)
                              .Uint(kTagResultCode, 3, 1)
                              .Uint(kTagErrorNumber, 5, 1)
                              .Text(kTagErrorMessage, "bad password")
                              .Finish();
    ReplyRecord record;
    InitReplyRecord(session, &record);
    ASSERT_TRUE(ParseReply(session, datagram.data(), datagram.size(), kSetNetworkReply, &record));
    EXPECT_EQ(record.info.presentFields, 0u);
    EXPECT_EQ(record.statusFields, kStatusResultCode | kStatusErrorNumber | kStatusErrorMessage);
    EXPECT_EQ(record.resultCode, 3);
    EXPECT_EQ(record.errorNumber, 5);
    EXPECT_STREQ(record.errorMessage, "bad password");
    // None of it shows in the part that callers receive.
    ReplyRecord fresh;
    InitReplyRecord(session, &fresh);
    EXPECT_EQ(std::memcmp(&record.info, &fresh.info, sizeof record.info), 0);
}

} // namespace
} // namespace kovr
