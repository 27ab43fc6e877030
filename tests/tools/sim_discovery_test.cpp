// kovr-sim answering DiscoveryRequests: who answers, with what, and what it
// leaves unanswered.
#include <set>

#include "tests/tools/sim_protocol.h"

namespace kovr::test {
namespace {

using SimDiscovery = SimTest;

TEST_F(SimDiscovery, EveryDeviceAnswersTheAllDevicesRequestWithItsFields)
{
    nlohmann::json first = DeviceJson(1);
    first.update({{"ip", "10.77.1.21"},
                  {"mask", "255.255.0.0"},
                  {"gateway", "10.77.1.254"},
                  {"dns", "10.77.1.53"},
                  {"dhcp", 1},
                  {"name", "front-door"},
                  {"product", "7100-NT"},
                  {"version", 513},
                  {"advisory", 7},
                  {"guid", "{85CE4A71-1F89-4AA2-8B4D-3B1FCE4D2941}"},
                  {"tag22", "09"},
                  {"tag24", "a1b2c3"}});
    Start(Devices({first, DeviceJson(2)}));

    std::vector<Reply> replies = Exchange(DiscoveryRequest(kLorx, AllDevices()));
    ASSERT_EQ(replies.size(), 2u);
    std::sort(replies.begin(), replies.end(),
              [](const Reply &a, const Reply &b) { return a.fields.at(1) < b.fields.at(1); });
    const Reply &reply = replies[0];
    EXPECT_EQ(reply.magic, kLorx);
    EXPECT_EQ(reply.type, 2);
    EXPECT_EQ(reply.payloadLength, reply.size - 8);
    EXPECT_EQ(reply.fields.at(1), Mac(1));
    EXPECT_EQ(reply.Address(2), "10.77.1.21");
    EXPECT_EQ(reply.Address(3), "255.255.0.0");
    EXPECT_EQ(reply.Address(11), "10.77.1.254");
    EXPECT_EQ(reply.Address(15), "10.77.1.53");
    EXPECT_EQ(reply.Number(16), 1u);
    EXPECT_EQ(reply.Text(4), "front-door");
    EXPECT_EQ(reply.Text(13), "7100-NT");
    EXPECT_EQ(reply.Number(20), 513u);
    EXPECT_EQ(reply.Number(12), 7u);
    EXPECT_EQ(Hex(reply.fields.at(21)), "85ce4a711f894aa28b4d3b1fce4d2941");
    EXPECT_EQ(Hex(reply.fields.at(22)), "09");
    EXPECT_EQ(Hex(reply.fields.at(24)), "a1b2c3");
    // A challenge only answers a request for the device itself.
    EXPECT_FALSE(reply.Has(23));
    EXPECT_FALSE(replies[1].Has(22));
    EXPECT_FALSE(replies[1].Has(24));
    EXPECT_EQ(replies[1].fields.at(1), Mac(2));
}

TEST_F(SimDiscovery, DirectedRequestGetsOnlyThatDeviceAndAFreshChallengeEachTime)
{
    Start(Devices({DeviceJson(1), DeviceJson(2), DeviceJson(3, "plain")}));

    const Reply first = ExchangeOne(DiscoveryRequest(kLorx, Mac(2)));
    EXPECT_EQ(first.fields.at(1), Mac(2));
    ASSERT_TRUE(first.Has(23));
    EXPECT_EQ(first.fields.at(23).size(), 14u);
    const Reply second = ExchangeOne(DiscoveryRequest(kLorx, Mac(2)));
    ASSERT_TRUE(second.Has(23));
    EXPECT_NE(first.fields.at(23), second.fields.at(23));

    // A device that takes its password in clear sends no challenge.
    EXPECT_FALSE(ExchangeOne(DiscoveryRequest(kLorx, Mac(3))).Has(23));
}

TEST_F(SimDiscovery, DevicesAnswerOnlyTheirMagicsAndEchoIt)
{
    nlohmann::json onlyQuma = DeviceJson(1);
    onlyQuma["magics"] = {"QUMA"};
    Start(Devices({onlyQuma, DeviceJson(2)}));

    std::vector<Reply> lorx = Exchange(DiscoveryRequest(kLorx, AllDevices()));
    ASSERT_EQ(lorx.size(), 1u);
    EXPECT_EQ(lorx[0].fields.at(1), Mac(2));
    EXPECT_TRUE(Exchange(DiscoveryRequest(kLorx, Mac(1))).empty());

    const std::vector<Reply> quma = Exchange(DiscoveryRequest(kQuma, Mac(1)));
    ASSERT_EQ(quma.size(), 1u);
    EXPECT_EQ(quma[0].magic, kQuma);
    EXPECT_TRUE(Exchange(DiscoveryRequest(0x58585858, AllDevices())).empty());
}

TEST_F(SimDiscovery, EachDeviceWaitsItsReplyDelay)
{
    nlohmann::json slow = DeviceJson(1);
    slow["replyDelayMs"] = 400;
    slow["replyJitterMs"] = 100;
    Start(Devices({slow, DeviceJson(2)}));

    socket_->SendToGroup(DiscoveryRequest(kLorx, AllDevices()));
    const auto start = std::chrono::steady_clock::now();
    std::vector<Bytes> order;
    std::vector<std::chrono::steady_clock::duration> times;
    for (int i = 0; i < 2; ++i) {
        const std::optional<Bytes> reply = socket_->Receive(std::chrono::seconds(3));
        if (!reply) {
            break;
        }
        order.push_back(Parse(*reply).fields[1]);
        times.push_back(std::chrono::steady_clock::now() - start);
    }
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], Mac(2));
    EXPECT_EQ(order[1], Mac(1));
    EXPECT_GE(times[1], std::chrono::milliseconds(390));
}

TEST_F(SimDiscovery, JunkAndUnknownTargetsGetNoAnswerAndDoNoHarm)
{
    Start(Devices({DeviceJson(1)}));

    EXPECT_TRUE(Exchange(DiscoveryRequest(kLorx, Mac(9))).empty());
    EXPECT_TRUE(Exchange({'L', 'O', 'R'}).empty());
    // A header that claims more payload than arrived, a request cut off
    // inside the target, a reply type, and a command without its password.
    Bytes overlong = DiscoveryRequest(kLorx, AllDevices());
    overlong[7] = 0xff;
    EXPECT_TRUE(Exchange(overlong).empty());
    EXPECT_TRUE(Exchange({'L', 'O', 'R', 'X', 0, 1, 0, 3, 0xff, 0xff, 0xff}).empty());
    Bytes replyType = DiscoveryRequest(kLorx, AllDevices());
    replyType[5] = 2;
    EXPECT_TRUE(Exchange(replyType).empty());
    Bytes shortCommand = PlainCommand(kLorx, 5, RebootFields(Mac(1)), "secret");
    shortCommand.resize(shortCommand.size() - 2);
    shortCommand[7] -= 2;
    EXPECT_TRUE(Exchange(shortCommand).empty());

    EXPECT_EQ(Exchange(DiscoveryRequest(kLorx, AllDevices())).size(), 1u);
}

TEST_F(SimDiscovery, GeneratedDevicesHaveDistinctMacsAndNames)
{
    Start(Devices({DeviceJson(1)}), {"--generate", "300", "--reply-window-ms", "200"});

    const std::vector<Reply> replies = Exchange(DiscoveryRequest(kLorx, AllDevices()));
    std::set<Bytes> macs;
    std::set<std::string> names;
    for (const Reply &reply : replies) {
        macs.insert(reply.fields.at(1));
        names.insert(reply.Text(4));
    }
    EXPECT_EQ(replies.size(), 301u);
    EXPECT_EQ(macs.size(), 301u);
    EXPECT_EQ(names.size(), 301u);
    EXPECT_EQ(names.count("sim-300"), 1u);
}

TEST_F(SimDiscovery, TenThousandDevicesAllAnswerOneRequest)
{
    Start(Devices({DeviceJson(1)}), {"--generate", "9999", "--reply-window-ms", "1000"});
    socket_->SetReceiveBuffer(32 << 20);

    socket_->SendToGroup(DiscoveryRequest(kLorx, AllDevices()));
    std::set<Bytes> macs;
    size_t received = 0;
    while (received < 10000) {
        const std::optional<Bytes> datagram = socket_->Receive(std::chrono::seconds(5));
        if (!datagram) {
            break;
        }
        ++received;
        macs.insert(Parse(*datagram).fields[1]);
    }
    EXPECT_EQ(macs.size(), 10000u);
    std::string stats;
    sim_->Stop(&stats);
    EXPECT_NE(stats.find("replies=10000 "), std::string::npos) << stats;
    EXPECT_NE(stats.find("lost=0"), std::string::npos) << stats;
}

} // namespace
} // namespace kovr::test
