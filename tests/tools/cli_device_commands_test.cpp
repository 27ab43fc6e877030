// kovr info, set-ip, dhcp and reboot from end to end against simulated
// devices: what they show, the changes they make, how the password reaches
// them, and what a refusal or a silent device looks like.
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <sys/stat.h>

using kovr::test::DeviceJson;
using kovr::test::KovrProcess;
using kovr::test::Lab;
using kovr::test::RunKovr;
using kovr::test::Simulator;
using kovr::test::Topology;
using std::chrono::milliseconds;

namespace {

const std::string kDigestDevice = "02:00:00:00:00:01"; // password "secret"
const std::string kPlainDevice = "02:00:00:00:00:02";  // sent its password in plain
// Typed with a letter beyond ASCII: the device takes the UTF-8 bytes that
// the locator's windows send too.
const std::string kPlainPassword = "\xC3\xA4"
                                   "dmin";

nlohmann::json TwoDevices()
{
    nlohmann::json digest = DeviceJson(1);
    digest["rebootDowntimeMs"] = 1000;
    return kovr::test::Devices({digest, DeviceJson(2, "plain", kPlainPassword)});
}

class CliDeviceCommandsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (!passwordFile_.empty()) {
            std::remove(passwordFile_.c_str());
        }
    }

    std::string PasswordFile(const std::string &contents)
    {
        passwordFile_ = ::testing::TempDir() + "kovr-password-" + std::to_string(getpid());
        std::ofstream(passwordFile_) << contents;
        chmod(passwordFile_.c_str(), 0600);
        return passwordFile_;
    }

    nlohmann::json Info(const std::string &mac)
    {
        const auto result = RunKovr({"info", mac, "--json"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return nlohmann::json::parse(result.out);
    }

    Lab lab_{Topology::Single};
    Simulator simulator_{lab_, TwoDevices()};
    std::string passwordFile_;
};

TEST_F(CliDeviceCommandsTest, InfoShowsTheDeviceInformationLines)
{
    const auto result = RunKovr({"info", kDigestDevice});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Version: 512\n"
                          "Interface Address: 10.77.1.1\n"
                          "Vendor ID: 1280266840\n"
                          "MAC Address: 02:00:00:00:00:01\n"
                          "IP Address: 10.77.1.11\n"
                          "Subnet Mask: 255.255.255.0\n"
                          "Gateway Address: 10.77.1.254\n"
                          "DNS Address: 10.77.1.254\n"
                          "DHCP Mode: Disabled\n"
                          "Device Name: lab-1\n"
                          "Advisory: 0\n");
}

TEST_F(CliDeviceCommandsTest, InfoAsJsonCarriesTheDevicesChallenge)
{
    const nlohmann::json digest = Info(kDigestDevice);
    EXPECT_EQ(digest["macAddress"], kDigestDevice);
    EXPECT_EQ(digest["deviceName"], "lab-1");
    // Asked for by its own MAC, a digest device sends a fresh challenge.
    EXPECT_EQ(digest["nonceLength"], 14);
    EXPECT_EQ(digest["nonce"].get<std::string>().size(), 28u);

    const nlohmann::json plain = Info(kPlainDevice);
    EXPECT_EQ(plain["nonceLength"], 0);
    EXPECT_EQ(plain["nonce"], "");
}

TEST_F(CliDeviceCommandsTest, InfoForASilentDeviceTimesOut)
{
    const auto result = RunKovr({"info", "02:00:00:00:00:63"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.err.find("error -2: Operation timed out"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
}

TEST_F(CliDeviceCommandsTest, SetIpChangesTheDevice)
{
    const auto result = RunKovr({"set-ip", kDigestDevice, "--ip", "10.77.1.42", "--mask", "255.255.0.0", "--gateway",
                                 "10.77.0.1", "--password-file", PasswordFile("secret\n")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const nlohmann::json device = Info(kDigestDevice);
    EXPECT_EQ(device["ipAddress"], "10.77.1.42");
    EXPECT_EQ(device["subnetMask"], "255.255.0.0");
    EXPECT_EQ(device["gatewayAddress"], "10.77.0.1");
}

TEST_F(CliDeviceCommandsTest, DhcpTurnsDhcpOnWithDigestAndPlainPasswords)
{
    for (const auto &[mac, password] :
         {std::pair{kDigestDevice, "secret"}, std::pair{kPlainDevice, kPlainPassword.c_str()}}) {
        const auto result = RunKovr({"dhcp", mac, "--password-stdin"}, std::string(password) + "\n");
        ASSERT_EQ(result.exitCode, 0) << mac << ": " << result.err;
        EXPECT_EQ(Info(mac)["dhcpMode"], 1) << mac;
    }
}

TEST_F(CliDeviceCommandsTest, WrongPasswordFailsWithTheDevicesErrorAndChangesNothing)
{
    for (const std::string &mac : {kDigestDevice, kPlainDevice}) {
        const auto result = RunKovr({"dhcp", mac, "--password-stdin"}, "wrong\n");
        EXPECT_EQ(result.exitCode, 1) << mac;
        EXPECT_NE(result.err.find("error 13: Invalid password"), std::string::npos) << result.err;
        EXPECT_EQ(Info(mac)["dhcpMode"], 0) << mac;
    }
}

TEST_F(CliDeviceCommandsTest, RebootWaitReportsReadyOnceTheDeviceAnswersAgain)
{
    const auto result = RunKovr({"reboot", kDigestDevice, "--wait", "--password-stdin"}, "secret");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Status: Rebooting\nStatus: Ready\n");
}

TEST_F(CliDeviceCommandsTest, PasswordPromptOnTheTerminalDoesNotEcho)
{
    KovrProcess dhcp({"dhcp", kPlainDevice}, KovrProcess::Terminal::Controlling);
    const std::string prompt = "Password for " + kPlainDevice + ": ";
    ASSERT_TRUE(dhcp.WaitFor([&] { return dhcp.terminal().find(prompt) != std::string::npos; }, milliseconds(5000)))
        << dhcp.terminal() << dhcp.err();
    dhcp.Type(kPlainPassword + "\n");
    ASSERT_EQ(dhcp.Wait(std::chrono::seconds(60)), 0) << dhcp.err();
    EXPECT_EQ(dhcp.terminal().find("dmin"), std::string::npos) << dhcp.terminal();
    EXPECT_EQ(Info(kPlainDevice)["dhcpMode"], 1);
}

TEST_F(CliDeviceCommandsTest, WithoutTerminalOrPasswordOptionNothingIsSent)
{
    const size_t before = kovr::test::DatagramsReceived(simulator_);
    const auto result = RunKovr({"reboot", kPlainDevice});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("--password-file"), std::string::npos) << result.err;
    EXPECT_EQ(kovr::test::DatagramsReceived(simulator_), before);
}

} // namespace
