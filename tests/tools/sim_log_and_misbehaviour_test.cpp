// kovr-sim's datagram log, and the ways it can be told to break the rules.
#include "discovery/replies.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"
#include "tests/tools/sim_protocol.h"

namespace kovr::test {
namespace {

using SimLog = SimTest;
using SimMisbehaviour = SimTest;

TEST_F(SimLog, RecordsEachRequestAndReplyByteForByte)
{
    Start(Devices({DeviceJson(1)}));

    const Bytes request = DiscoveryRequest(kLorx, Mac(1));
    socket_->SendToGroup(request);
    const std::optional<Bytes> reply = socket_->Receive(std::chrono::seconds(5));
    ASSERT_TRUE(reply.has_value());

    const std::vector<nlohmann::json> log = sim_->Log();
    ASSERT_EQ(log.size(), 2u);
    const std::string peer = "10.77.1.1:" + std::to_string(socket_->port());
    EXPECT_EQ(log[0]["direction"], "in");
    EXPECT_EQ(log[0]["bytes"], Hex(request));
    EXPECT_EQ(log[0]["peer"], peer);
    EXPECT_EQ(log[0]["interface"], "d1");
    EXPECT_EQ(log[0]["device"], "02:00:00:00:00:01");
    EXPECT_EQ(log[1]["direction"], "out");
    EXPECT_EQ(log[1]["bytes"], Hex(*reply));
    EXPECT_EQ(log[1]["length"], reply->size());
    EXPECT_EQ(log[1]["peer"], peer);
    EXPECT_EQ(log[1]["device"], "02:00:00:00:00:01");
}

TEST_F(SimLog, AllDevicesRequestNamesNoDevice)
{
    Start(Devices({DeviceJson(1), DeviceJson(2)}));

    Exchange(DiscoveryRequest(kLorx, AllDevices()));
    const std::vector<nlohmann::json> log = sim_->Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(log[0]["device"].is_null());
    EXPECT_EQ(log[0]["note"], "all-devices");
}

TEST_F(SimMisbehaviour, AnswerTwiceSendsTheSameReplyTwice)
{
    Start(Devices({DeviceJson(1, "plain")}), {"--answer-twice"});

    const auto datagrams = ExchangeDatagrams(DiscoveryRequest(kLorx, Mac(1)));
    ASSERT_EQ(datagrams.size(), 2u);
    EXPECT_EQ(datagrams[0], datagrams[1]);
}

TEST_F(SimMisbehaviour, WrongMagicWrongTypeAndMissingMac)
{
    Start(Devices({DeviceJson(1)}), {"--wrong-magic"});
    const Reply otherMagic = ExchangeOne(DiscoveryRequest(kLorx, Mac(1)));
    EXPECT_NE(otherMagic.magic, kLorx);
    EXPECT_EQ(otherMagic.type, 2);

    Start(Devices({DeviceJson(1)}), {"--wrong-type"});
    const Reply otherType = ExchangeOne(DiscoveryRequest(kLorx, Mac(1)));
    EXPECT_EQ(otherType.magic, kLorx);
    EXPECT_EQ(otherType.type, 1);

    Start(Devices({DeviceJson(1)}), {"--no-mac"});
    const Reply noMac = ExchangeOne(DiscoveryRequest(kLorx, Mac(1)));
    EXPECT_FALSE(noMac.Has(1));
    EXPECT_TRUE(noMac.Has(2));
}

TEST_F(SimMisbehaviour, MalformedFieldsAreTheOnesAskedFor)
{
    const auto lengthOf = [](const Reply &reply, uint8_t tag) {
        for (const auto &[t, length] : reply.tagLengths) {
            if (t == tag) {
                return length;
            }
        }
        return size_t{0};
    };
    Start(Devices({DeviceJson(1)}), {"--malformed", "mac-length"});
    EXPECT_EQ(lengthOf(ExchangeOne(DiscoveryRequest(kLorx, Mac(1))), 1), 4u);

    Start(Devices({DeviceJson(1)}), {"--malformed", "nonce-length"});
    EXPECT_EQ(lengthOf(ExchangeOne(DiscoveryRequest(kLorx, Mac(1))), 23), 13u);

    Start(Devices({DeviceJson(1)}), {"--malformed", "truncated"});
    const Reply truncated = ExchangeOne(DiscoveryRequest(kLorx, Mac(1)));
    EXPECT_EQ(truncated.payloadLength, truncated.size - 8 + 16);

    Start(Devices({DeviceJson(1)}), {"--malformed", "overrun"});
    const Reply overrun = ExchangeOne(DiscoveryRequest(kLorx, Mac(1)));
    EXPECT_EQ(overrun.payloadLength, overrun.size - 8);
    EXPECT_EQ(overrun.tagLengths.back(), std::make_pair(uint8_t{4}, size_t{200}));
}

TEST_F(SimMisbehaviour, OversizeRepliesExceedTheReceiveBuffer)
{
    Start(Devices({DeviceJson(1)}), {"--oversize"});
    const Reply reply = ExchangeOne(DiscoveryRequest(kLorx, Mac(1)));
    EXPECT_GT(reply.size, 1456u);
    EXPECT_EQ(reply.fields.at(1), Mac(1));
}

TEST_F(SimMisbehaviour, DropEverythingMeansNoReplies)
{
    Start(Devices({DeviceJson(1)}), {"--drop", "1"});
    EXPECT_TRUE(Exchange(DiscoveryRequest(kLorx, AllDevices())).empty());
    EXPECT_EQ(sim_->Log().front()["note"], "dropped");
}

TEST_F(SimMisbehaviour, JunkFloodReachesTheRequesterAndStopsAtItsCount)
{
    Start(Devices({DeviceJson(1)}), {"--flood", "1000", "--flood-count", "50"});

    const auto datagrams = ExchangeDatagrams(DiscoveryRequest(kLorx, Mac(1)));
    // The device's reply and the junk.
    EXPECT_EQ(datagrams.size(), 51u);
    std::string stats;
    sim_->Stop(&stats);
    EXPECT_NE(stats.find("junk=50 "), std::string::npos) << stats;
}

TEST_F(SimMisbehaviour, ForeignFloodDatagramsAreEachRefusedAndSentDatagramsCanStayOutOfTheLog)
{
    Start(Devices({DeviceJson(1)}),
          {"--flood", "1000", "--flood-count", "10", "--flood-kind", "foreign", "--log-received-only"});

    const auto datagrams = ExchangeDatagrams(DiscoveryRequest(kLorx, Mac(1)));
    ASSERT_EQ(datagrams.size(), 11u) << "the device's reply and one datagram of each foreign kind";
    const KOVR_GUID guid = KOVR_LOCATOR_SESSION_GUID;
    const Identity session{kLorx, guid};
    int accepted = 0;
    int otherMagic = 0;
    int requestType = 0;
    int oversize = 0;
    for (const Bytes &datagram : datagrams) {
        // A datagram that does not fit the library's receive buffer is refused before parsing.
        ReplyRecord record{};
        accepted += datagram.size() <= kReceiveBufferSize &&
                    AcceptReply(session, datagram.data(), datagram.size(), kDiscoveryReply, kAllDevices, &record);
        const Reply reply = Parse(datagram);
        otherMagic += reply.magic != kLorx ? 1 : 0;
        requestType += reply.type == 1 ? 1 : 0;
        oversize += datagram.size() > kReceiveBufferSize ? 1 : 0;
    }
    EXPECT_EQ(accepted, 1) << "only the real device's reply";
    EXPECT_EQ(otherMagic, 1);
    EXPECT_EQ(requestType, 1);
    EXPECT_EQ(oversize, 1);
    const std::vector<nlohmann::json> log = sim_->Log();
    ASSERT_EQ(log.size(), 1u) << "the request alone: neither the reply nor the junk";
    EXPECT_EQ(log[0]["direction"], "in");
}

} // namespace
} // namespace kovr::test
