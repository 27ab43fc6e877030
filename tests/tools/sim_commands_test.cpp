// kovr-sim checking passwords and digests, answering commands, applying
// settings and going silent while it reboots.
#include <thread>

#include "tests/tools/sim_protocol.h"

namespace kovr::test {
namespace {

constexpr uint16_t kSetNetwork = 3;
constexpr uint16_t kReboot = 5;
constexpr uint16_t kSetDhcp = 7;

using SimCommands = SimTest;

TEST_F(SimCommands, RightDigestIsAcceptedAndTheNewAddressShowsInLaterReplies)
{
    Start(Devices({DeviceJson(1, "digest", "s3cret")}));

    const Bytes fields = SetNetworkFields("10.77.1.77", "255.255.0.0", "10.77.1.1", Mac(1));
    const Reply reply = ExchangeOne(DigestCommand(kLorx, kSetNetwork, fields, ChallengeOf(1), "s3cret"));
    EXPECT_EQ(reply.magic, kLorx);
    EXPECT_EQ(reply.type, kSetNetwork + 1);
    EXPECT_EQ(reply.fields.at(1), Mac(1));
    ASSERT_TRUE(reply.Has(10));
    EXPECT_EQ(reply.Number(10), 0u);
    EXPECT_FALSE(reply.Has(17));

    const Reply after = ExchangeOne(DiscoveryRequest(kLorx, AllDevices()));
    EXPECT_EQ(after.Address(2), "10.77.1.77");
    EXPECT_EQ(after.Address(3), "255.255.0.0");
    EXPECT_EQ(after.Address(11), "10.77.1.1");
    EXPECT_EQ(after.Number(16), 0u);
}

TEST_F(SimCommands, WrongDigestIsRefusedWithTheDefaultErrorAndChangesNothing)
{
    Start(Devices({DeviceJson(1, "digest", "s3cret")}));

    const Bytes fields = SetDhcpFields(1, Mac(1));
    const Reply reply = ExchangeOne(DigestCommand(kLorx, kSetDhcp, fields, ChallengeOf(1), "guess"));
    EXPECT_EQ(reply.type, kSetDhcp + 1);
    EXPECT_EQ(reply.Number(10), 1u);
    EXPECT_EQ(reply.Number(17), 13u);
    EXPECT_EQ(reply.Text(9), "Invalid password");
    EXPECT_EQ(ExchangeOne(DiscoveryRequest(kLorx, AllDevices())).Number(16), 0u);
}

TEST_F(SimCommands, FailureReplyIsConfigurable)
{
    Start(Devices({DeviceJson(1, "plain", "pw")}),
          {"--fail-result", "3", "--fail-errno", "5", "--fail-text", "Locked out"});

    const Reply reply = ExchangeOne(PlainCommand(kLorx, kReboot, RebootFields(Mac(1)), "nope"));
    EXPECT_EQ(reply.Number(10), 3u);
    EXPECT_EQ(reply.Number(17), 5u);
    EXPECT_EQ(reply.Text(9), "Locked out");
}

TEST_F(SimCommands, DigestNeedsTheLatestChallengeAndEachChallengeServesOnce)
{
    Start(Devices({DeviceJson(1, "digest", "pw")}));
    const Bytes fields = SetDhcpFields(1, Mac(1));

    // Without any challenge handed out.
    EXPECT_EQ(ExchangeOne(DigestCommand(kLorx, kSetDhcp, fields, Bytes(14, 0), "pw")).Number(10), 1u);
    // With an older challenge than the last one.
    const Bytes old = ChallengeOf(1);
    ChallengeOf(1);
    EXPECT_EQ(ExchangeOne(DigestCommand(kLorx, kSetDhcp, fields, old, "pw")).Number(10), 1u);
    // The right one, and then the same digest replayed.
    const Bytes request = DigestCommand(kLorx, kSetDhcp, fields, ChallengeOf(1), "pw");
    EXPECT_EQ(ExchangeOne(request).Number(10), 0u);
    EXPECT_EQ(ExchangeOne(request).Number(10), 1u);
    // The password in clear is no answer to a challenge.
    ChallengeOf(1);
    EXPECT_EQ(ExchangeOne(PlainCommand(kLorx, kSetDhcp, fields, "pw")).Number(10), 1u);
}

TEST_F(SimCommands, DigestCoversTheFixedFields)
{
    Start(Devices({DeviceJson(1, "digest", "pw")}));

    // The digest was made for DHCP mode 1; the request says 0.
    Bytes request = DigestCommand(kLorx, kSetDhcp, SetDhcpFields(1, Mac(1)), ChallengeOf(1), "pw");
    request[8] = 0;
    EXPECT_EQ(ExchangeOne(request).Number(10), 1u);
}

TEST_F(SimCommands, PlainPasswordSetsDhcpAndAnEmptyPasswordWorks)
{
    Start(Devices({DeviceJson(1, "plain", "admin"), DeviceJson(2, "plain", "")}));

    EXPECT_EQ(ExchangeOne(PlainCommand(kLorx, kSetDhcp, SetDhcpFields(1, Mac(1)), "admi")).Number(10), 1u);
    EXPECT_EQ(ExchangeOne(PlainCommand(kLorx, kSetDhcp, SetDhcpFields(1, Mac(1)), "admin")).Number(10), 0u);
    EXPECT_EQ(ExchangeOne(DiscoveryRequest(kLorx, Mac(1))).Number(16), 1u);
    EXPECT_EQ(ExchangeOne(PlainCommand(kLorx, kSetDhcp, SetDhcpFields(1, Mac(2)), "")).Number(10), 0u);
}

TEST_F(SimCommands, CommandsForOtherDevicesOrMagicsGoUnanswered)
{
    nlohmann::json onlyQuma = DeviceJson(1, "plain", "pw");
    onlyQuma["magics"] = {"QUMA"};
    Start(Devices({onlyQuma}));

    EXPECT_TRUE(Exchange(PlainCommand(kLorx, kReboot, RebootFields(Mac(1)), "pw")).empty());
    EXPECT_TRUE(Exchange(PlainCommand(kQuma, kReboot, RebootFields(Mac(2)), "pw")).empty());
    EXPECT_TRUE(Exchange(PlainCommand(kQuma, kReboot, RebootFields(AllDevices()), "pw")).empty());
    EXPECT_EQ(ExchangeOne(PlainCommand(kQuma, kReboot, RebootFields(Mac(1)), "pw")).magic, kQuma);
}

TEST_F(SimCommands, RebootAnswersThenStaysSilentForItsDowntime)
{
    nlohmann::json device = DeviceJson(1, "digest", "pw");
    device["rebootDowntimeMs"] = 2500;
    Start(Devices({device, DeviceJson(2)}));

    const Bytes request = DigestCommand(kLorx, kReboot, RebootFields(Mac(1)), ChallengeOf(1), "pw");
    const auto start = std::chrono::steady_clock::now();
    const Reply reply = ExchangeOne(request);
    EXPECT_EQ(reply.type, kReboot + 1);
    EXPECT_EQ(reply.Number(10), 0u);

    // Silent to requests for it and to the all-devices request.
    EXPECT_TRUE(Exchange(DiscoveryRequest(kLorx, Mac(1))).empty());
    const std::vector<Reply> others = Exchange(DiscoveryRequest(kLorx, AllDevices()));
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0].fields.at(1), Mac(2));
    ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2200))
        << "the machine was too slow to observe the downtime";

    std::this_thread::sleep_until(start + std::chrono::milliseconds(2800));
    EXPECT_EQ(Exchange(DiscoveryRequest(kLorx, AllDevices())).size(), 2u);
}

} // namespace
} // namespace kovr::test
