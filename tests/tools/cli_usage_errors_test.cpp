// Malformed arguments end kovr with exit status 2 and a message that names
// the argument, before anything reaches a device.
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using kovr::test::DeviceJson;
using kovr::test::Lab;
using kovr::test::RunKovr;
using kovr::test::Simulator;
using kovr::test::Topology;

namespace {

struct UsageCase {
    std::vector<std::string> args;
    std::string named; // what the message must mention
};

TEST(CliUsageErrorsTest, MalformedValuesAreRefusedBeforeAnythingIsSent)
{
    Lab lab(Topology::Single);
    Simulator simulator(lab, kovr::test::Devices({DeviceJson(1)}));
    const std::string mac = "02:00:00:00:00:01";
    const std::vector<std::string> network = {"--mask", "255.255.255.0", "--gateway", "10.77.1.254"};
    // A plan no one writes to: refused at once, not waited on.
    const std::string fifo = ::testing::TempDir() + "kovr-usage-fifo-" + std::to_string(getpid());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<UsageCase> cases = {
        {{"info", "02:00:00:00:00"}, "MAC"},
        {{"info", "02:00:00:00:00:0g"}, "MAC"},
        {{"info", "02:00-00:00:00:01"}, "MAC"},
        {{"reboot", "ff:ff:ff:ff:ff:ff", "--password-stdin"}, "MAC"},
        {{"set-ip", mac, "--ip", "10.77.1.256", "--mask", "255.255.255.0", "--gateway", "10.77.1.254",
          "--password-stdin"},
         "--ip"},
        {{"set-ip", mac, "--ip", "10.77.1", "--mask", "255.255.255.0", "--gateway", "10.77.1.254", "--password-stdin"},
         "--ip"},
        {{"set-ip", mac, "--ip", "10.77.1.20", "--mask", "255.0.255.0", "--gateway", "10.77.1.254", "--password-stdin"},
         "--mask"},
        {{"set-ip", mac, "--ip", "10.77.1.20", "--mask", "255.255.255.0", "--gateway", "10.77.01.254",
          "--password-stdin"},
         "--gateway"},
        {{"set-ip", mac, "--ip", "10.77.1.20", "--mask", "255.255.255.0", "--password-stdin"}, "--gateway"},
        {{"dhcp", mac, "--password", "secret"}, "--password"},
        {{"dhcp", mac, "--password-stdin", "--password-file", "/dev/null"}, "--password"},
        {{"dhcp", mac, "--password-file", "/nonexistent/password"}, "--password-file"},
        {{"search", "--idle", "0"}, "--idle"},
        {{"search", "--total", "soon"}, "--total"},
        {{"search", "--idle", "infinite", "--total", "infinite"}, "--idle"},
        {{"search", "--json", "--csv"}, "--csv"},
        {{"search", "--magic", "ABCD"}, "--magic"},
        {{"search", "--guid", "{4724141B-AEB4-4DBA-BE7F}"}, "--guid"},
        {{"watch", "--total", "-5"}, "--total"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"search", "--bogus"}, "unknown option '--bogus'"},
        {{"search", "--requests", "0"}, "--requests"},
        {{"search", "--requests", "11"}, "--requests"},
        {{"dhcp", mac, "--retries", "10", "--password-stdin"}, "--retries"},
        {{"info", mac, "--retries", "-1"}, "--retries"},
        {{}, "a command is required"},
        {{"apply", fifo}, "cannot open '" + fifo + "': not a regular file"},
    };
    for (const UsageCase &usage : cases) {
        const auto result = RunKovr(usage.args, "secret\n");
        std::string command;
        for (const std::string &arg : usage.args) {
            command += arg + " ";
        }
        EXPECT_EQ(result.exitCode, 2) << command;
        EXPECT_NE(result.err.find(usage.named), std::string::npos) << command << "\n" << result.err;
        EXPECT_EQ(result.out, "") << command;
    }
    EXPECT_EQ(kovr::test::DatagramsReceived(simulator), 0u);
    std::remove(fifo.c_str());
}

TEST(CliUsageErrorsTest, VersionPrintsTheVersion)
{
    const auto result = RunKovr({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "kovr " KOVR_VERSION "\n");
}

TEST(CliUsageErrorsTest, HelpOnEverySubcommandShowsExamples)
{
    for (const std::string command : {"search", "watch", "info", "set-ip", "dhcp", "reboot"}) {
        const auto result = RunKovr({command, "--help"});
        EXPECT_EQ(result.exitCode, 0) << command;
        EXPECT_NE(result.out.find("Usage: kovr " + command), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("Examples:\n  kovr " + command), std::string::npos) << result.out;
    }
}

} // namespace
