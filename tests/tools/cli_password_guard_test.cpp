// Passwords on the wire, from end to end: a pinned digest device with an
// impostor answering for its MAC without a challenge never gets its
// password in plain, nor a false success; a plain device still works, with
// a warning, unless a digest is required; no device's reply passes for the
// library's refusal; and a known-devices list that can't be read or written
// lowers no pin, and kovr forget saves it.
#include "discovery/reply_writer.h"
#include "tests/discovery/loopback_device.h"
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <gtest/gtest.h>
#include <kovr/kovr.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

using kovr::test::DeviceJson;
using kovr::test::KovrResult;
using kovr::test::Lab;
using kovr::test::RunKovr;
using kovr::test::Simulator;
using kovr::test::Topology;

namespace {

const std::string kMac = "02:00:00:00:00:01";
const std::string kPassword = "secret";
const std::string kImpostorSentence = "offered a challenge before and now answers without one";

std::string KnownDevicesFile()
{
    return kovr::test::KovrStateHome() + "/kovr/known-devices";
}

// Each test starts without pins.
void ForgetEveryPin()
{
    std::filesystem::remove_all(kovr::test::KovrStateHome() + "/kovr");
}

void WriteKnownDevices(const std::string &text)
{
    std::filesystem::create_directories(kovr::test::KovrStateHome() + "/kovr");
    std::ofstream(KnownDevicesFile()) << text;
}

bool Says(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// The commands (types 3, 5 and 7) that reached a simulator, and how many
// of them carried the password as it is typed.
struct Commands {
    size_t total = 0;
    size_t accepted = 0;
    size_t plainPasswords = 0;
};
Commands CommandsReceived(const Simulator &simulator)
{
    std::string plainHex;
    for (const char c : kPassword) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
        plainHex += hex;
    }
    Commands commands;
    for (const nlohmann::json &line : simulator.Log()) {
        const std::string bytes = line.value("bytes", "");
        const std::string type = bytes.size() >= 12 ? bytes.substr(8, 4) : "";
        if (line.value("direction", "") != "in" || (type != "0003" && type != "0005" && type != "0007")) {
            continue;
        }
        ++commands.total;
        commands.accepted += line.value("note", "") == "accepted";
        commands.plainPasswords += bytes.find(plainHex) != std::string::npos;
    }
    return commands;
}

// A genuine digest device and an impostor answering for its MAC without a
// challenge, as fast, with the settings the commands ask for and the same
// password, so that it would take a plain one and acknowledge it.
class CliImpostorTest : public ::testing::Test {
protected:
    static nlohmann::json Device(const std::string &auth)
    {
        nlohmann::json device = DeviceJson(1, auth, kPassword);
        device["replyJitterMs"] = 20;
        device["rebootDowntimeMs"] = 0;
        if (auth == "plain") {
            device["ip"] = "10.77.1.61";
        }
        return kovr::test::Devices({device});
    }

    Lab lab_{Topology::Single};
    Simulator genuine_{lab_, Device("digest")};
    Simulator impostor_{lab_, Device("plain")};
};

TEST_F(CliImpostorTest, APinnedDeviceNeverGetsItsPasswordInPlainNorAFalseSuccess)
{
    ForgetEveryPin();
    WriteKnownDevices(kMac + " 2025-01-01\n");
    const std::string plan = ::testing::TempDir() + "kovr-impostor-plan-" + std::to_string(getpid()) + ".csv";
    std::ofstream(plan) << "mac,ip,mask,gateway\n" << kMac << ",10.77.1.61,255.255.255.0,10.77.1.254\n";
    struct Case {
        const char *name;
        std::vector<std::string> args;
        const char *success; // what stdout says when the device took it
    };
    // apply first: until the genuine device has taken its plan, only the
    // impostor shows the plan's settings.
    const Case cases[] = {
        {"apply", {"apply", plan, "--requests", "1", "--idle", "300", "--total", "3000"}, "  verified  "},
        {"reboot", {"reboot", kMac}, "rebooting"},
        {"set-ip",
         {"set-ip", kMac, "--ip", "10.77.1.61", "--mask", "255.255.255.0", "--gateway", "10.77.1.254"},
         "IP address 10.77.1.61"},
        {"dhcp", {"dhcp", kMac}, "DHCP enabled"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        unsigned runs = 0;
        unsigned impostorWon = 0;
        // Each reply races; run until the impostor has won it a few times.
        while (runs < 40 && (runs < 6 || impostorWon < 2)) {
            ++runs;
            const size_t acceptedBefore = CommandsReceived(genuine_).accepted;
            std::vector<std::string> args = c.args;
            args.push_back("--password-stdin");
            const KovrResult result = RunKovr(args, kPassword + "\n");
            const bool refused = Says(result.err + result.out, kImpostorSentence);
            impostorWon += refused;
            if (refused && c.args[0] != "apply") {
                EXPECT_EQ(result.exitCode, 5) << result.err;
                EXPECT_TRUE(Says(result.err, "kovr forget " + kMac)) << result.err;
            }
            // Success only where the genuine device took the command, or,
            // for apply, holds the plan from an earlier run.
            const size_t accepted = CommandsReceived(genuine_).accepted;
            if (Says(result.out, c.success) || (c.args[0] != "apply" && result.exitCode == 0)) {
                EXPECT_GT(accepted, acceptedBefore) << result.out << result.err;
            }
            if (Says(result.out, "  unchanged  ")) {
                EXPECT_GT(accepted, 0u) << result.out << result.err;
            }
        }
        EXPECT_GE(impostorWon, 1u) << "the impostor never answered first in " << runs << " runs";
    }
    std::remove(plan.c_str());
    for (const Simulator *simulator : {&genuine_, &impostor_}) {
        const Commands commands = CommandsReceived(*simulator);
        EXPECT_GT(commands.total, 0u);
        EXPECT_EQ(commands.plainPasswords, 0u);
    }
}

TEST(CliPlainDeviceTest, WorksWithAWarningUnlessADigestIsRequired)
{
    ForgetEveryPin();
    Lab lab{Topology::Single};
    Simulator simulator{lab,
                        kovr::test::Devices({DeviceJson(1, "plain", kPassword), DeviceJson(2, "plain", kPassword)})};
    const std::string plan = ::testing::TempDir() + "kovr-plain-plan-" + std::to_string(getpid()) + ".csv";
    std::ofstream(plan) << "mac,dhcp\n02:00:00:00:00:01,on\n02:00:00:00:00:02,on\n";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char *says;
        size_t warnings; // "offers no challenge" on stderr
        size_t commands;
    };
    const Case cases[] = {
        {{"apply", plan, "--requests", "1", "--idle", "300", "--require-digest"}, 1, "a digest is required", 0, 0},
        {{"apply", plan, "--requests", "1", "--idle", "300"}, 0, "said once", 1, 2},
        {{"dhcp", kMac}, 0, "its password crosses the network segment in clear", 1, 1},
        {{"reboot", kMac, "--require-digest"}, 1, "a digest is required, so the password was not sent", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.back() == "--require-digest" ? " --require-digest" : ""));
        const size_t before = CommandsReceived(simulator).total;
        std::vector<std::string> args = c.args;
        args.push_back("--password-stdin");
        const KovrResult result = RunKovr(args, kPassword + "\n");
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_TRUE(Says(result.err + result.out, c.says)) << result.err << result.out;
        size_t warnings = 0;
        for (size_t at = 0; (at = result.err.find("warning: ", at)) != std::string::npos; ++at) {
            warnings += Says(result.err.substr(at, result.err.find('\n', at) - at), "offers no challenge");
        }
        EXPECT_EQ(warnings, c.warnings) << result.err;
        EXPECT_EQ(CommandsReceived(simulator).total - before, c.commands);
    }
    std::remove(plan.c_str());
}

// Devices that answer a wrong password with the words of the library's own
// refusal took the password all the same: kovr says what they said, never
// that nothing was sent, and the exit status is a device's failure.
TEST(CliRefusalWordsTest, NoReplyReadsAsNothingSent)
{
    ForgetEveryPin();
    WriteKnownDevices(kMac + " 2025-01-01\n");
    Lab lab{Topology::Single};
    Simulator simulator{lab,
                        kovr::test::Devices({DeviceJson(1, "digest", kPassword), DeviceJson(2, "plain", kPassword)}),
                        {"--fail-result", "1", "--fail-errno", "1", "--fail-text", KOVR_NO_CHALLENGE_MESSAGE}};
    const std::string plan = ::testing::TempDir() + "kovr-refusal-words-" + std::to_string(getpid()) + ".csv";
    std::ofstream(plan) << "mac,dhcp\n02:00:00:00:00:01,on\n02:00:00:00:00:02,on\n";
    struct Case {
        std::vector<std::string> args;
        size_t commands;
    };
    const Case cases[] = {
        {{"reboot", kMac}, 1},              // pinned: sent as a digest
        {{"dhcp", "02:00:00:00:00:02"}, 1}, // sent in plain
        {{"apply", plan, "--requests", "1", "--idle", "300"}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args[0]);
        const size_t before = CommandsReceived(simulator).total;
        std::vector<std::string> args = c.args;
        args.push_back("--password-stdin");
        const KovrResult result = RunKovr(args, "wrong\n");
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_FALSE(Says(result.err + result.out, "not sent")) << result.err << result.out;
        EXPECT_TRUE(Says(result.err + result.out, "error 1: " KOVR_NO_CHALLENGE_MESSAGE)) << result.err << result.out;
        EXPECT_EQ(CommandsReceived(simulator).total - before, c.commands);
    }
    std::remove(plan.c_str());
    ForgetEveryPin();
}

// Two hosts answer one search for the same MAC, one with a challenge and
// one without: kovr check and kovr metrics name the device.
TEST(CliConflictingChallengeTest, CheckAndMetricsReportIt)
{
    ForgetEveryPin();
    Lab lab{Topology::Loopback};
    const auto answer = [](bool challenge) {
        return [challenge](const kovr::test::Datagram &request, const sockaddr_in &) {
            const uint8_t mac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
            const uint8_t nonce[14] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
            const uint32_t magic =
                uint32_t{request[0]} << 24 | uint32_t{request[1]} << 16 | uint32_t{request[2]} << 8 | request[3];
            kovr::ReplyWriter reply(magic, kovr::kDiscoveryReply);
            reply.Field(kovr::kTagMacAddress, mac, sizeof mac);
            if (challenge) {
                reply.Field(kovr::kTagAuthNonce, nonce, sizeof nonce);
            }
            return std::vector<kovr::test::Datagram>{reply.Finish()};
        };
    };
    const kovr::test::LoopbackDevice genuine(answer(true));
    const kovr::test::LoopbackDevice impostor(answer(false));
    const std::vector<std::string> search = {"--idle", "300", "--total", "3000"};
    std::vector<std::string> check = {"check", "--json"};
    check.insert(check.end(), search.begin(), search.end());
    const KovrResult checked = RunKovr(check);
    EXPECT_EQ(checked.exitCode, 4) << checked.err;
    EXPECT_TRUE(Says(checked.out, R"({"kind":"conflicting-challenge","severity":"error","devices":[")" + kMac))
        << checked.out;
    std::vector<std::string> metrics = {"metrics"};
    metrics.insert(metrics.end(), search.begin(), search.end());
    const KovrResult measured = RunKovr(metrics);
    EXPECT_EQ(measured.exitCode, 0) << measured.err;
    EXPECT_TRUE(Says(measured.out,
                     "kovr_device_problem{mac=\"" + kMac + "\",kind=\"conflicting-challenge\",severity=\"error\"} 1"))
        << measured.out;
}

// A list kovr can't use lowers no pin: the command still works where it
// may, and says what happened to the list.
TEST(CliKnownDevicesTest, AListThatCantBeUsedLowersNoPin)
{
    Lab lab{Topology::Single};
    Simulator simulator{lab, kovr::test::Devices({DeviceJson(1), DeviceJson(2, "plain", kPassword)})};
    const std::string folder = kovr::test::KovrStateHome() + "/kovr";
    struct Case {
        const char *what;
        std::function<void()> make;
        std::vector<std::string> args;
        int exitCode;
        const char *warning;
        size_t commands;
    };
    const Case cases[] = {
        {"a bad line",
         [] { WriteKnownDevices("# pins\n02:00:00:00:00:02 2025-01-01\nnonsense\n"); },
         {"dhcp", "02:00:00:00:00:02"},
         5,
         "line 3 is neither a pin nor a comment",
         0},
        {"writable by others",
         [] {
             WriteKnownDevices("02:00:00:00:00:02 2025-01-01\n");
             chmod(KnownDevicesFile().c_str(), 0666);
         },
         {"dhcp", "02:00:00:00:00:02"},
         5,
         "may be changed by other users",
         0},
        {"unreadable",
         [] { std::filesystem::create_directories(KnownDevicesFile()); },
         {"dhcp", "02:00:00:00:00:02"},
         1,
         "can't be read",
         0},
        {"a folder that can't be made",
         [&] { std::ofstream(folder) << "in the way"; },
         {"dhcp", kMac},
         0,
         "was not pinned",
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ForgetEveryPin();
        c.make();
        const size_t before = CommandsReceived(simulator).total;
        std::vector<std::string> args = c.args;
        args.push_back("--password-stdin");
        const KovrResult result = RunKovr(args, kPassword + "\n");
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_TRUE(Says(result.err, c.warning)) << result.err;
        EXPECT_EQ(CommandsReceived(simulator).total - before, c.commands);
    }
    ForgetEveryPin();
}

// kovr forget writes the file without the pin and with every other line,
// also when the file grew past what kovr now writes.
TEST(CliForgetTest, SavesTheFileWithoutThePinEvenWhenItIsOversized)
{
    const std::string kept = "02:00:00:00:00:02 2025-01-01\n";
    std::string oversized = kept;
    for (uint32_t i = 0; oversized.size() <= (1u << 20); ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "0a:00:00:%02x:%02x:%02x 2025-01-01\n", (i >> 16) & 0xff, (i >> 8) & 0xff,
                      i & 0xff);
        oversized += line;
    }
    for (const std::string &rest : {kept, oversized}) {
        SCOPED_TRACE(rest.size());
        ForgetEveryPin();
        WriteKnownDevices(kMac + " 2025-01-01\n" + rest);
        const KovrResult result = RunKovr({"forget", kMac});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, kMac + ": pin forgotten\n");
        std::ifstream file(KnownDevicesFile(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_FALSE(Says(text, kMac));
        EXPECT_TRUE(Says(text, rest));
    }
    ForgetEveryPin();
}

} // namespace
