// kovr on a network that loses datagrams, made deterministic by the
// simulator's numbered losses: a lost search request, command reply,
// command or query, and what is never sent twice; and an apply that
// finishes where a fifth of all datagrams get lost at random. A lost
// command reply costs the library's full 30 seconds, so some cases take
// that long.
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

using kovr::test::DeviceJson;
using kovr::test::Lab;
using kovr::test::RunKovr;
using kovr::test::Simulator;
using kovr::test::Topology;

namespace {

const std::string kMac = "02:00:00:00:00:01";

// The requests of one message type that reached the simulator (lost ones
// included): the type is the datagram's fifth and sixth bytes.
size_t RequestsOfType(const Simulator &simulator, const char *typeHex)
{
    size_t count = 0;
    for (const nlohmann::json &line : simulator.Log()) {
        count += line["direction"] == "in" && line["bytes"].get<std::string>().substr(8, 4) == typeHex;
    }
    return count;
}
// Every request's type in order, such as "0001 0007".
std::string RequestTypes(const Simulator &simulator)
{
    std::string types;
    for (const nlohmann::json &line : simulator.Log()) {
        if (line["direction"] == "in") {
            types += (types.empty() ? "" : " ") + line["bytes"].get<std::string>().substr(8, 4);
        }
    }
    return types;
}
constexpr const char *kSetNetwork = "0003";
constexpr const char *kReboot = "0005";
constexpr const char *kSetDhcp = "0007";

// Each side of the lab drops this share of the UDP datagrams it sends, at
// random, until destroyed: the host side is this test's own private
// namespace, the device side the lab's.
class RandomLoss {
public:
    RandomLoss(const Lab &lab, int percent) : lab_(lab)
    {
        for (const auto &side : Sides()) {
            Nft(side, {"add", "table", "inet", kTable});
            Nft(side,
                {"add", "chain", "inet", kTable, "out", "{ type filter hook output priority 0; policy accept; }"});
            Nft(side, {"add", "rule", "inet", kTable, "out", "meta", "l4proto", "udp", "numgen", "random", "mod", "100",
                       "<", std::to_string(percent), "drop"});
        }
    }
    ~RandomLoss()
    {
        for (const auto &side : Sides()) {
            try {
                Nft(side, {"delete", "table", "inet", kTable});
            } catch (const std::exception &) {
                // The lab's namespaces go with the test anyway.
            }
        }
    }

private:
    static constexpr const char *kTable = "kovr_test_loss";
    std::vector<std::vector<std::string>> Sides() const
    {
        return {{}, {"ip", "netns", "exec", lab_.DeviceNamespace()}};
    }
    static void Nft(std::vector<std::string> argv, const std::vector<std::string> &args)
    {
        argv.push_back("nft");
        argv.insert(argv.end(), args.begin(), args.end());
        kovr::test::RunCommand(argv);
    }
    const Lab &lab_;
};

bool Says(const kovr::test::KovrResult &result, const std::string &text)
{
    return result.err.find(text) != std::string::npos;
}

TEST(CliLossyNetworkTest, ALostFirstRequestHidesNothingButWithOneRequestItHidesAll)
{
    Lab lab{Topology::Single};
    const std::vector<std::string> search = {"search", "--json", "--idle", "400", "--total", "3000"};
    for (const char *requests : {"3", "1", "10"}) {
        Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)}), {"--ignore-requests", "1"}};
        std::vector<std::string> args = search;
        args.insert(args.end(), {"--requests", requests});
        const auto result = RunKovr(args);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(nlohmann::json::parse(result.out).size(), std::string(requests) == "1" ? 0u : 1u) << requests;
    }
}

// The default search's requests arrive spread out, a third of a second
// apart (each is timed from the one before, so a slow machine only spreads
// them further), three on a clean link and one more after a request that
// brought the device when the first didn't.
TEST(CliLossyNetworkTest, TheDefaultSearchSpreadsItsRequestsAndAsksAgainWhileTheyFindMore)
{
    Lab lab{Topology::Single};
    const struct {
        std::vector<std::string> lost;
        size_t requests;
    } cases[] = {{{}, 3}, {{"--ignore-requests", "1"}, 4}};
    for (const auto &c : cases) {
        Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)}), c.lost};
        const auto result = RunKovr({"search", "--json", "--idle", "1500", "--total", "5000"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(nlohmann::json::parse(result.out).size(), 1u);
        std::vector<double> arrivals;
        for (const nlohmann::json &line : simulator.Log()) {
            if (line["direction"] == "in") {
                arrivals.push_back(line["ms"].get<double>());
            }
        }
        EXPECT_EQ(arrivals.size(), c.requests);
        for (size_t i = 1; i < arrivals.size(); ++i) {
            EXPECT_GE(arrivals[i] - arrivals[i - 1], 150.0) << "request " << i + 1;
        }
    }
}

// --retries counts the attempts after the first: the default asks three
// times in all, 1 twice, 0 once.
TEST(CliLossyNetworkTest, InfoAsksAgainAfterALostQuery)
{
    Lab lab{Topology::Single};
    const struct {
        const char *retries;
        int exitCode;
        const char *notice; // none: not asked again
    } cases[] = {
        {nullptr, 0, "trying again (attempt 2 of 3)"}, {"1", 0, "trying again (attempt 2 of 2)"}, {"0", 3, nullptr}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.retries ? c.retries : "default");
        Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)}), {"--ignore-requests", "1"}};
        std::vector<std::string> args = {"info", kMac, "--json"};
        if (c.retries) {
            args.insert(args.end(), {"--retries", c.retries});
        }
        const auto result = RunKovr(args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        if (c.notice) {
            EXPECT_TRUE(Says(result, c.notice)) << result.err;
        } else {
            EXPECT_FALSE(Says(result, "trying again")) << result.err;
        }
    }
}

TEST(CliLossyNetworkTest, ALostCommandReplyWhoseChangeHoldsIsConfirmedByAQuery)
{
    Lab lab{Topology::Single};
    // Reply 1 answers kovr's query for the device's challenge, 2 the
    // library's, 3 the command.
    Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)}), {"--drop-replies", "3"}};
    const auto result = RunKovr({"set-ip", kMac, "--ip", "10.77.1.61", "--mask", "255.255.255.0", "--gateway",
                                 "10.77.1.254", "--password-stdin"},
                                "secret\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Says(result, "reply was lost; a query confirmed the change")) << result.err;
    EXPECT_EQ(result.out, kMac + ": IP address 10.77.1.61, subnet mask 255.255.255.0, gateway 10.77.1.254\n");
    EXPECT_EQ(RequestsOfType(simulator, kSetNetwork), 1u);
}

TEST(CliLossyNetworkTest, ALostCommandIsSentAgain)
{
    Lab lab{Topology::Single};
    // Requests 1 and 2 are the challenge queries (kovr's, the library's),
    // request 3 the command.
    Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)}), {"--ignore-requests", "3"}};
    const auto result = RunKovr({"dhcp", kMac, "--password-stdin"}, "secret\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Says(result, "dhcp " + kMac + ": no answer in time; trying again (attempt 2 of 3)")) << result.err;
    EXPECT_EQ(result.out, kMac + ": DHCP enabled\n");
    // Challenge queries, command (lost), the query that finds DHCP still
    // off, then challenge and command again: never a blind resend.
    EXPECT_EQ(RequestTypes(simulator), "0001 0001 0007 0001 0001 0007");
    EXPECT_EQ(RequestsOfType(simulator, kSetDhcp), 2u);
}

TEST(CliLossyNetworkTest, ARefusedPasswordIsNeverSentAgain)
{
    Lab lab{Topology::Single};
    Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)})};
    const auto result = RunKovr({"dhcp", kMac, "--password-stdin", "--retries", "5"}, "wrong\n");
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_FALSE(Says(result, "trying again")) << result.err;
    EXPECT_EQ(RequestsOfType(simulator, kSetDhcp), 1u);
}

TEST(CliLossyNetworkTest, ARebootWhoseReplyIsLostIsNotSentAgain)
{
    Lab lab{Topology::Single};
    Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)}), {"--drop-replies", "3"}};
    const auto result = RunKovr({"reboot", kMac, "--password-stdin", "--wait"}, "secret\n");
    EXPECT_TRUE(Says(result, "the device may or may not have rebooted")) << result.err;
    // The wait then tells: the device answers again.
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Status: Ready"), std::string::npos) << result.out;
    EXPECT_EQ(RequestsOfType(simulator, kReboot), 1u);
}

TEST(CliLossyNetworkTest, AnApplyThatNoQueryConfirmsEndsUnverified)
{
    Lab lab{Topology::Single};
    // Reply 1 answers the search, 2 and 3 the challenge queries (apply's,
    // the library's); from 4 on (the command's and every later query's)
    // nothing comes back.
    Simulator simulator{lab, kovr::test::Devices({DeviceJson(1)}), {"--drop-replies", "4-"}};
    const std::string plan = ::testing::TempDir() + "kovr-lossy-plan-" + std::to_string(getpid()) + ".csv";
    std::ofstream(plan) << "mac,ip,mask,gateway\n" << kMac << ",10.77.1.62,255.255.255.0,10.77.1.254\n";
    const auto result = RunKovr({"apply", plan, "--json", "--password-stdin", "--requests", "1", "--idle", "400",
                                 "--total", "3000", "--deadline", "1000"},
                                "secret\n");
    std::remove(plan.c_str());
    EXPECT_EQ(result.exitCode, 1) << result.err;
    const nlohmann::json report = nlohmann::json::parse(result.out);
    EXPECT_EQ(report["devices"][0]["outcome"], "unverified");
    EXPECT_EQ(report["devices"][0]["verified"], false);
    EXPECT_EQ(report["summary"]["unverified"], 1);
    EXPECT_EQ(RequestsOfType(simulator, kSetNetwork), 1u);
}

// Where a fifth of the datagrams each way get lost, every change is made
// and verified within the default deadline, and holds.
TEST(CliLossyNetworkTest, AnApplyAtAFifthLostEachWayVerifiesEveryChange)
{
    Lab lab{Topology::Single};
    constexpr int kDevices = 4;
    std::vector<nlohmann::json> devices;
    std::string plan = "mac,ip,mask,gateway\n";
    for (int i = 1; i <= kDevices; ++i) {
        devices.push_back(DeviceJson(i));
        plan += "02:00:00:00:00:0" + std::to_string(i) + ",10.77.1." + std::to_string(60 + i) +
                ",255.255.255.0,10.77.1.254\n";
    }
    Simulator simulator{lab, kovr::test::Devices(devices)};
    const std::string planPath = ::testing::TempDir() + "kovr-lossy-apply-" + std::to_string(getpid()) + ".csv";
    std::ofstream(planPath) << plan;
    kovr::test::KovrResult result;
    {
        const RandomLoss loss(lab, 20);
        // The deadline, and a command still in flight after it.
        result = RunKovr({"apply", planPath, "--json", "--password-stdin"}, "secret\n", std::chrono::seconds(240));
    }
    std::remove(planPath.c_str());
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["summary"]["verified"], kDevices) << result.out;
    // Verified means held: a search without loss shows every new address.
    const auto search = RunKovr({"search", "--json", "--idle", "1000"});
    ASSERT_EQ(search.exitCode, 0) << search.err;
    std::set<std::string> addresses;
    for (const nlohmann::json &record : nlohmann::json::parse(search.out)) {
        addresses.insert(record["ipAddress"].get<std::string>());
    }
    for (int i = 1; i <= kDevices; ++i) {
        EXPECT_EQ(addresses.count("10.77.1." + std::to_string(60 + i)), 1u) << "device " << i;
    }
}

} // namespace
