// kovr search from end to end against simulated devices: the table, the
// JSON array field by field, CSV, the choice of session, and the progress
// line that only a terminal gets; a device reachable over two links.
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <kovr/kovr.h>

#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <set>

using kovr::test::DeviceJson;
using kovr::test::KovrProcess;
using kovr::test::Lab;
using kovr::test::RunKovr;
using kovr::test::Simulator;
using kovr::test::Topology;

namespace {

const std::vector<std::string> kQuickSearch = {"search", "--idle", "400", "--total", "10000"};

std::vector<std::string> QuickSearch(std::vector<std::string> extra)
{
    std::vector<std::string> args = kQuickSearch;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    size_t end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Three devices answering in a fixed order; the second has texts that need
// care in every format and optional fields, the third a non-ASCII name.
nlohmann::json ThreeDevices()
{
    nlohmann::json first = DeviceJson(1);
    nlohmann::json second = DeviceJson(2, "plain", "admin");
    second["name"] = "front \"door\", left";
    second["dhcp"] = 1;
    second["version"] = 513;
    second["advisory"] = 7;
    second["tag22"] = "01";
    second["tag24"] = "a55a";
    second["guid"] = "{0E5C9A41-3B7D-4F2A-9C11-6D8E2F4A7B02}";
    second["replyDelayMs"] = 60;
    nlohmann::json third = DeviceJson(3);
    third["name"] = "caf\u00e9";
    third["mask"] = "255.255.0.0";
    third["replyDelayMs"] = 120;
    return kovr::test::Devices({first, second, third});
}

class CliSearchTest : public ::testing::Test {
protected:
    Lab lab_{Topology::Single};
    Simulator simulator_{lab_, ThreeDevices()};
};

TEST_F(CliSearchTest, TableListsEveryDeviceInAlignedColumns)
{
    const auto result = RunKovr(QuickSearch({}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = SplitLines(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;

    const std::regex columns("(\\S+(?: \\S+)*) {2,}(\\S+) {2,}(.+?) {2,}(\\S+) {2,}(\\S+) {2,}(\\S+)");
    const std::vector<std::vector<std::string>> expected = {
        {"IP address", "MAC", "Name", "Product", "DHCP", "Interface"},
        {"10.77.1.11", "02:00:00:00:00:01", "lab-1", "7100-NT", "Disabled", "10.77.1.1"},
        {"10.77.1.12", "02:00:00:00:00:02", "front \"door\", left", "7100-NT", "Enabled", "10.77.1.1"},
        {"10.77.1.13", "02:00:00:00:00:03", "caf\u00e9", "7100-NT", "Disabled", "10.77.1.1"},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, columns)) << lines[i];
        for (size_t column = 0; column < 6; ++column) {
            EXPECT_EQ(match[column + 1].str(), expected[i][column]) << "line " << i << ", column " << column;
        }
        // Columns line up: every MAC starts where its heading does.
        EXPECT_EQ(lines[i].find(expected[i][1]), lines[0].find("MAC")) << lines[i];
    }
}

TEST_F(CliSearchTest, JsonArrayHoldsEveryFieldOfEveryRecord)
{
    const auto result = RunKovr(QuickSearch({"--json"}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const nlohmann::json devices = nlohmann::json::parse(result.out);
    ASSERT_TRUE(devices.is_array());
    ASSERT_EQ(devices.size(), 3u);

    const std::set<std::string> fields = {
        "recordSize", "version",       "interfaceAddress", "tag22Value", "vendorId",    "guid",           "nonceLength",
        "nonce",      "presentFields", "macAddress",       "ipAddress",  "subnetMask",  "gatewayAddress", "dnsAddress",
        "dhcpMode",   "deviceName",    "productName",      "advisory",   "tag24Length", "tag24Data"};
    for (const nlohmann::json &device : devices) {
        std::set<std::string> keys;
        for (const auto &item : device.items()) {
            keys.insert(item.key());
        }
        EXPECT_EQ(keys, fields);
    }

    const nlohmann::json &d = devices[1];
    EXPECT_EQ(d["recordSize"], 852);
    EXPECT_EQ(d["version"], 513);
    EXPECT_EQ(d["interfaceAddress"], "10.77.1.1");
    EXPECT_EQ(d["tag22Value"], 1);
    EXPECT_EQ(d["vendorId"], KOVR_MAGIC_LORX);
    EXPECT_EQ(d["guid"], "{0E5C9A41-3B7D-4F2A-9C11-6D8E2F4A7B02}");
    // A search asks every device at once, so no device sends a challenge.
    EXPECT_EQ(d["nonceLength"], 0);
    EXPECT_EQ(d["nonce"], "");
    const uint32_t present = d["presentFields"];
    for (uint32_t bit :
         {KOVR_FIELD_MAC_ADDRESS, KOVR_FIELD_IP_ADDRESS, KOVR_FIELD_SUBNET_MASK, KOVR_FIELD_GATEWAY_ADDRESS,
          KOVR_FIELD_DNS_ADDRESS, KOVR_FIELD_DHCP_MODE, KOVR_FIELD_DEVICE_NAME, KOVR_FIELD_PRODUCT_NAME,
          KOVR_FIELD_ADVISORY, KOVR_FIELD_VERSION, KOVR_FIELD_GUID, KOVR_FIELD_TAG22, KOVR_FIELD_TAG24}) {
        EXPECT_NE(present & bit, 0u) << std::hex << bit;
    }
    EXPECT_EQ(present & KOVR_FIELD_NONCE, 0u);
    EXPECT_EQ(d["macAddress"], "02:00:00:00:00:02");
    EXPECT_EQ(d["ipAddress"], "10.77.1.12");
    EXPECT_EQ(d["subnetMask"], "255.255.255.0");
    EXPECT_EQ(d["gatewayAddress"], "10.77.1.254");
    EXPECT_EQ(d["dnsAddress"], "10.77.1.254");
    EXPECT_EQ(d["dhcpMode"], 1);
    EXPECT_EQ(d["deviceName"], "front \"door\", left");
    EXPECT_EQ(d["productName"], "7100-NT");
    EXPECT_EQ(d["advisory"], 7);
    EXPECT_EQ(d["tag24Length"], 2);
    EXPECT_EQ(d["tag24Data"], "a55a");

    EXPECT_EQ(devices[0]["macAddress"], "02:00:00:00:00:01");
    EXPECT_EQ(devices[0]["tag24Data"], "");
    EXPECT_EQ(devices[2]["deviceName"], "caf\u00e9");
    EXPECT_EQ(devices[2]["subnetMask"], "255.255.0.0");
}

TEST_F(CliSearchTest, CsvHasAHeaderAndOneQuotedLinePerDevice)
{
    const auto result = RunKovr(QuickSearch({"--csv"}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "ip,mac,name,product,dhcp,interface,mask,gateway\n"
              "10.77.1.11,02:00:00:00:00:01,lab-1,7100-NT,Disabled,10.77.1.1,255.255.255.0,10.77.1.254\n"
              "10.77.1.12,02:00:00:00:00:02,\"front \"\"door\"\", "
              "left\",7100-NT,Enabled,10.77.1.1,255.255.255.0,10.77.1.254\n"
              "10.77.1.13,02:00:00:00:00:03,caf\u00e9,7100-NT,Disabled,10.77.1.1,255.255.0.0,10.77.1.254\n");
}

TEST_F(CliSearchTest, ProgressLineGoesOnlyToATerminal)
{
    const auto plain = RunKovr(QuickSearch({}));
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.err, "");

    KovrProcess onTerminal(QuickSearch({}), KovrProcess::Terminal::Stderr);
    onTerminal.CloseInput();
    ASSERT_EQ(onTerminal.Wait(std::chrono::seconds(30)), 0) << onTerminal.terminal();
    // It shows the time so far, redrawn in place.
    EXPECT_TRUE(
        std::regex_search(onTerminal.terminal(), std::regex("^\\rSearching\\.\\.\\. [0-9]+\\.[0-9] s\\x1b\\[K")))
        << onTerminal.terminal();
    // The line is erased at the end, and the results are the same either way.
    EXPECT_EQ(onTerminal.terminal().substr(onTerminal.terminal().size() - 4), "\r\033[K");
    EXPECT_EQ(onTerminal.out(), plain.out);
}

TEST_F(CliSearchTest, CtrlCEndsASearchOnATerminalAtOnce)
{
    KovrProcess search({"search", "--idle", "infinite", "--total", "60000", "--csv"}, KovrProcess::Terminal::Stderr);
    search.CloseInput();
    ASSERT_TRUE(search.WaitFor([&] { return search.terminal().find("Searching... 1.") != std::string::npos; },
                               std::chrono::seconds(10)))
        << search.terminal();
    const auto interrupted = KovrProcess::Clock::now();
    search.Signal(SIGINT);
    EXPECT_EQ(search.Wait(std::chrono::seconds(10)), 128 + SIGINT) << search.terminal();
    EXPECT_LT(KovrProcess::Clock::now() - interrupted, std::chrono::seconds(2));
    EXPECT_EQ(search.out(), "");
}

class CliSessionChoiceTest : public ::testing::Test {
protected:
    static nlohmann::json QumaOnlyDevice()
    {
        nlohmann::json device = DeviceJson(1);
        device["magics"] = {"QUMA"};
        return kovr::test::Devices({device});
    }
    Lab lab_{Topology::Single};
    Simulator simulator_{lab_, QumaOnlyDevice()};
};

TEST_F(CliSessionChoiceTest, MagicOrGuidChoosesTheSession)
{
    // The locator's GUID gives LORX, which this device doesn't answer.
    const auto byDefault = RunKovr({"search", "--idle", "400", "--total", "1500", "--csv"});
    ASSERT_EQ(byDefault.exitCode, 0) << byDefault.err;
    EXPECT_EQ(byDefault.out, "ip,mac,name,product,dhcp,interface,mask,gateway\n");

    for (const std::vector<std::string> &choice : {std::vector<std::string>{"--magic", "QUMA"},
                                                   {"--magic", "quma"},
                                                   {"--guid", "{85CE4A71-1F89-4AA2-8B4D-3B1FCE4D2941}"},
                                                   {"--guid", "85ce4a71-1f89-4aa2-8b4d-3b1fce4d2941"}}) {
        std::vector<std::string> args = QuickSearch({"--json"});
        args.insert(args.end(), choice.begin(), choice.end());
        const auto result = RunKovr(args);
        ASSERT_EQ(result.exitCode, 0) << choice[1] << ": " << result.err;
        const nlohmann::json devices = nlohmann::json::parse(result.out);
        ASSERT_EQ(devices.size(), 1u) << choice[1];
        EXPECT_EQ(devices[0]["vendorId"], KOVR_MAGIC_QUMA);
    }
}

class CliDualLinkTest : public ::testing::Test {
protected:
    static nlohmann::json DeviceOnBothLinks()
    {
        nlohmann::json device = DeviceJson(1);
        device["interfaces"] = {"d1", "d2"};
        return kovr::test::Devices({device});
    }
    Lab lab_{Topology::Dual};
    Simulator simulator_{lab_, DeviceOnBothLinks()};
};

TEST_F(CliDualLinkTest, SearchListsADeviceOnTwoLinksOnceAndWatchShowsEachReply)
{
    // The first reply wins, with or without the progress line.
    const auto plain = RunKovr(QuickSearch({"--csv"}));
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(SplitLines(plain.out).size(), 2u) << plain.out;

    KovrProcess onTerminal(QuickSearch({"--csv"}), KovrProcess::Terminal::Stderr);
    onTerminal.CloseInput();
    ASSERT_EQ(onTerminal.Wait(std::chrono::seconds(30)), 0) << onTerminal.terminal();
    EXPECT_EQ(SplitLines(onTerminal.out()).size(), 2u) << onTerminal.out();
    EXPECT_NE(onTerminal.terminal().find("Searching... "), std::string::npos) << onTerminal.terminal();

    const auto watch = RunKovr({"watch", "--total", "1500", "--json"});
    ASSERT_EQ(watch.exitCode, 0) << watch.err;
    const std::vector<std::string> replies = SplitLines(watch.out);
    ASSERT_EQ(replies.size(), 2u) << watch.out;
    std::set<std::string> interfaces;
    for (const std::string &reply : replies) {
        const nlohmann::json record = nlohmann::json::parse(reply);
        EXPECT_EQ(record["macAddress"], "02:00:00:00:00:01");
        interfaces.insert(record["interfaceAddress"].get<std::string>());
    }
    EXPECT_EQ(interfaces, (std::set<std::string>{"10.77.1.1", "10.77.2.1"}));
}

} // namespace
