// kovr check and kovr apply from end to end against simulated devices:
// the problems a misconfigured network shows, and a plan applied with its
// changes verified, a wrong password, a missing device and a dry run.
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using kovr::test::DeviceJson;
using kovr::test::Lab;
using kovr::test::RunKovr;
using kovr::test::Simulator;
using kovr::test::Topology;

namespace {

const std::vector<std::string> kQuickSearch = {"--idle", "400", "--total", "10000"};

std::vector<std::string> Args(std::vector<std::string> args)
{
    args.insert(args.end(), kQuickSearch.begin(), kQuickSearch.end());
    return args;
}

TEST(CliCheckTest, ReportsEachKindOfProblemAndExits4)
{
    Lab lab{Topology::Single};
    nlohmann::json twin = DeviceJson(2);
    twin["ip"] = "10.77.1.11";
    nlohmann::json far = DeviceJson(3);
    far["ip"] = "10.9.9.9";
    far["gateway"] = "10.9.9.1";
    nlohmann::json badMask = DeviceJson(4);
    badMask["mask"] = "255.0.255.0";
    badMask["name"] = "lab-1";
    nlohmann::json bare = DeviceJson(5);
    bare["ip"] = "0.0.0.0";
    bare["gateway"] = "0.0.0.0";
    nlohmann::json wrongGateway = DeviceJson(6);
    wrongGateway["gateway"] = "10.77.2.254";
    Simulator simulator{lab, kovr::test::Devices({DeviceJson(1), twin, far, badMask, bare, wrongGateway})};

    const auto result = RunKovr(Args({"check", "--json"}));
    ASSERT_EQ(result.exitCode, 4) << result.err;
    std::vector<std::string> found;
    for (const nlohmann::json &problem : nlohmann::json::parse(result.out)) {
        found.push_back(problem["kind"].get<std::string>() + " " + problem["severity"].get<std::string>() + " " +
                        problem["devices"].dump() + " " + problem["interface"].dump());
    }
    EXPECT_EQ(found, (std::vector<std::string>{
                         R"(duplicate-address error ["02:00:00:00:00:01","02:00:00:00:00:02"] "10.77.1.1")",
                         R"(unreachable error ["02:00:00:00:00:03"] "10.77.1.1")",
                         R"(gateway-outside-subnet error ["02:00:00:00:00:06"] "10.77.1.1")",
                         R"(bad-mask error ["02:00:00:00:00:04"] "10.77.1.1")",
                         R"(unconfigured error ["02:00:00:00:00:05"] "10.77.1.1")",
                         R"(duplicate-name warning ["02:00:00:00:00:01","02:00:00:00:00:04"] null)",
                     }));

    const auto lines = RunKovr(Args({"check"}));
    EXPECT_EQ(lines.exitCode, 4);
    EXPECT_NE(lines.out.find("\nerror unreachable 02:00:00:00:00:03: 10.9.9.9 is outside 10.77.1.0/24"),
              std::string::npos)
        << lines.out;
}

// Four devices: 1, 3 and 4 with the password "secret", 2 with "admin";
// 3 on DHCP already.
nlohmann::json FleetDevices()
{
    nlohmann::json onDhcp = DeviceJson(3);
    onDhcp["dhcp"] = 1;
    return kovr::test::Devices({DeviceJson(1), DeviceJson(2, "plain", "admin"), onDhcp, DeviceJson(4)});
}

class CliApplyTest : public ::testing::Test {
protected:
    void TearDown() override { std::remove(plan_.c_str()); }

    const std::string &Plan(const std::string &text, mode_t mode = 0600)
    {
        plan_ = ::testing::TempDir() + "kovr-plan-" + std::to_string(getpid()) + ".csv";
        std::ofstream(plan_) << text;
        chmod(plan_.c_str(), mode);
        return plan_;
    }

    std::string IpOf(const std::string &mac)
    {
        const auto result = RunKovr({"info", mac, "--json"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return nlohmann::json::parse(result.out).value("ipAddress", "");
    }

    // Device 1 moves, 2 is given the wrong password, 3 stays on DHCP, 4
    // turns DHCP on, and 9 isn't there.
    const std::string kPlan = "mac,ip,mask,gateway,dhcp,password\n"
                              "02:00:00:00:00:01,10.77.1.51,255.255.255.0,10.77.1.254,Disabled,\n"
                              "02:00:00:00:00:02,10.77.1.52,255.255.255.0,10.77.1.254,Disabled,wrong\n"
                              "02:00:00:00:00:03,10.77.1.13,255.255.255.0,10.77.1.254,Enabled,\n"
                              "02:00:00:00:00:04,,,,on,\n"
                              "02:00:00:00:00:09,,,,on,\n";

    Lab lab_{Topology::Single};
    Simulator simulator_{lab_, FleetDevices()};
    std::string plan_;
};

TEST_F(CliApplyTest, AppliesAndVerifiesEachChange)
{
    EXPECT_EQ(RunKovr(Args({"check"})).exitCode, 0);

    const auto result =
        RunKovr(Args({"apply", Plan(kPlan), "--password-stdin", "--json", "--parallel", "2"}), "secret\n");
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out.find("secret"), std::string::npos);
    const nlohmann::json report = nlohmann::json::parse(result.out);
    std::vector<std::string> outcomes;
    for (const nlohmann::json &device : report["devices"]) {
        outcomes.push_back(device["mac"].get<std::string>() + " " + device["outcome"].get<std::string>() + " " +
                           device["verified"].dump());
    }
    EXPECT_EQ(outcomes,
              (std::vector<std::string>{"02:00:00:00:00:01 verified true", "02:00:00:00:00:02 failed false",
                                        "02:00:00:00:00:03 unchanged false", "02:00:00:00:00:04 verified true",
                                        "02:00:00:00:00:09 not found false"}));
    EXPECT_EQ(report["devices"][1]["detail"].get<std::string>().rfind("failed (result 1); error ", 0), 0u);
    EXPECT_EQ(
        report["summary"],
        nlohmann::json::parse(
            R"({"verified":2,"would-change":0,"unchanged":1,"unverified":0,"failed":1,"not-found":1,"cancelled":0})"));
    EXPECT_EQ(IpOf("02:00:00:00:00:01"), "10.77.1.51");
    EXPECT_EQ(IpOf("02:00:00:00:00:02"), "10.77.1.12");
}

TEST_F(CliApplyTest, DryRunShowsTheChangesAndSendsNothing)
{
    const auto result = RunKovr(Args({"apply", Plan(kPlan), "--dry-run"}));
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out,
              "02:00:00:00:00:01  would change  ip 10.77.1.11 mask 255.255.255.0 gateway 10.77.1.254 -> ip 10.77.1.51 "
              "mask 255.255.255.0 gateway 10.77.1.254\n"
              "02:00:00:00:00:02  would change  ip 10.77.1.12 mask 255.255.255.0 gateway 10.77.1.254 -> ip 10.77.1.52 "
              "mask 255.255.255.0 gateway 10.77.1.254\n"
              "02:00:00:00:00:03  unchanged  DHCP\n"
              "02:00:00:00:00:04  would change  ip 10.77.1.14 mask 255.255.255.0 gateway 10.77.1.254 -> DHCP\n"
              "02:00:00:00:00:09  not found\n"
              "0 verified, 3 to change, 1 unchanged, 0 unverified, 0 failed, 1 not found\n");
    EXPECT_EQ(IpOf("02:00:00:00:00:01"), "10.77.1.11");
}

TEST_F(CliApplyTest, RefusesAPlanThatOthersCanReadOrThatHasFaults)
{
    for (const mode_t mode : {0644, 0640, 0604}) {
        const auto readable = RunKovr(Args({"apply", Plan(kPlan, mode), "--password-stdin"}), "secret\n");
        EXPECT_EQ(readable.exitCode, 2) << mode;
        EXPECT_NE(readable.err.find("can be read by group or others"), std::string::npos) << readable.err;
    }

    const auto faulty =
        RunKovr(Args({"apply", Plan("mac,ip\n02:00:00:00:00:01,10.77.1.51\n"), "--password-stdin"}), "secret\n");
    EXPECT_EQ(faulty.exitCode, 2);
    EXPECT_NE(faulty.err.find("line 2: a static setting needs"), std::string::npos) << faulty.err;
    EXPECT_EQ(IpOf("02:00:00:00:00:01"), "10.77.1.11");
}

} // namespace
