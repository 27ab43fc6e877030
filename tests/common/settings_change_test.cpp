// A settings change and a query over a network that loses datagrams: what
// is sent again, what a query confirms, and what is never retried.
#include "common/settings_change.h"

#include "tests/support/records.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <thread>
#include <utility>

using namespace kovr::common;

namespace {

constexpr uint8_t kMac[6] = {0x02, 0x4b, 0x52, 0x00, 0x0a, 0x01};
const DeviceSettings kOld{false, kovr::test::Address(10, 77, 1, 10), kovr::test::Address(255, 255, 255, 0),
                          kovr::test::Address(10, 77, 1, 254)};
const DeviceSettings kStatic{false, kovr::test::Address(10, 77, 1, 20), kOld.mask, kOld.gateway};
const DeviceSettings kDhcp{true, 0, 0, 0};

// What the device does with each call, in turn: a command's result and the
// last error it leaves; a query's result and the settings it shows.
struct Script {
    std::deque<std::pair<int32_t, int32_t>> commands;
    std::deque<std::pair<int32_t, DeviceSettings>> queries;
    std::string sent; // one letter per call: N network, D DHCP, Q query
    int32_t lastError = 0;
    bool challenged = false; // the queries' replies carry a challenge
    std::chrono::milliseconds commandTakes{0};
};
Script *g_script = nullptr;

int32_t Command(char kind)
{
    g_script->sent += kind;
    std::this_thread::sleep_for(g_script->commandTakes);
    const auto [result, error] = g_script->commands.empty() ? std::make_pair(-2, -2) : g_script->commands.front();
    if (!g_script->commands.empty()) {
        g_script->commands.pop_front();
    }
    g_script->lastError = error;
    return result;
}

const DeviceCalls kCalls = {
    [](KOVR_HANDLE, const uint8_t *, KOVRDeviceInfoRecord *record) {
        g_script->sent += 'Q';
        if (g_script->queries.empty()) {
            return g_script->lastError = -2;
        }
        const auto [result, shown] = g_script->queries.front();
        g_script->queries.pop_front();
        record->presentFields = KOVR_FIELD_DHCP_MODE | (g_script->challenged ? KOVR_FIELD_NONCE : 0);
        record->nonceLength = g_script->challenged ? 14 : 0;
        record->dhcpMode = shown.dhcp ? KOVR_DHCP_ENABLED : 0;
        record->ipAddress = shown.ip;
        record->subnetMask = shown.mask;
        record->gatewayAddress = shown.gateway;
        return g_script->lastError = result;
    },
    [](KOVR_HANDLE, const uint8_t *, uint32_t, uint32_t, uint32_t, const char *) { return Command('N'); },
    [](KOVR_HANDLE, const uint8_t *, int32_t, const char *) { return Command('D'); },
    [](KOVR_HANDLE) { return g_script->lastError; },
};

TEST(SettingsChangeTest, ResendsOnlyWhatATimeOutLeavesUndone)
{
    struct Case {
        const char *what;
        DeviceSettings wanted;
        std::deque<std::pair<int32_t, int32_t>> commands;
        std::deque<std::pair<int32_t, DeviceSettings>> queries;
        ChangeStatus status;
        const char *sent;
        bool mayHaveTakenEffect;
    };
    const Case cases[] = {
        {"acknowledged", kStatic, {{0, 0}}, {}, ChangeStatus::Acknowledged, "N", false},
        {"wrong password", kStatic, {{1, 13}}, {}, ChangeStatus::Refused, "N", false},
        {"local failure", kStatic, {{-1, 0}}, {}, ChangeStatus::Failed, "N", false},
        {"reply lost, change held", kStatic, {{-2, -2}}, {{0, kStatic}}, ChangeStatus::Confirmed, "NQ", true},
        {"DHCP reply lost, DHCP on", kDhcp, {{-2, -2}}, {{0, kDhcp}}, ChangeStatus::Confirmed, "DQ", true},
        {"command lost, sent again",
         kStatic,
         {{-2, -2}, {0, 0}},
         {{0, kOld}},
         ChangeStatus::Acknowledged,
         "NQN",
         false},
        {"challenge lost: nothing to query", kStatic, {{-1, -2}, {0, 0}}, {}, ChangeStatus::Acknowledged, "NN", false},
        {"refused on the second attempt",
         kStatic,
         {{-2, -2}, {1, 13}},
         {{0, kOld}},
         ChangeStatus::Refused,
         "NQN",
         false},
        {"nothing answers", kStatic, {}, {}, ChangeStatus::NoAnswer, "NQNQNQ", true},
        {"never took it", kStatic, {}, {{0, kOld}, {0, kOld}, {0, kOld}}, ChangeStatus::NoAnswer, "NQNQNQ", false},
        {"took it before its query was lost",
         kStatic,
         {},
         {{0, kOld}, {0, kOld}},
         ChangeStatus::NoAnswer,
         "NQNQNQ",
         true},
    };
    for (const Case &c : cases) {
        Script script{c.commands, c.queries, "", 0};
        g_script = &script;
        const ChangeResult result = ChangeSettings(kCalls, nullptr, kMac, c.wanted, "pw", Attempts{});
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(script.sent, c.sent) << c.what;
        EXPECT_EQ(result.mayHaveTakenEffect, c.mayHaveTakenEffect) << c.what;
        EXPECT_EQ(result.attempts,
                  std::count_if(script.sent.begin(), script.sent.end(), [](char kind) { return kind != 'Q'; }))
            << c.what;
    }
}

// Anyone on the segment sees the change go out and can answer the query
// with it: for a device that offered a challenge, only a reply with one
// confirms anything.
TEST(SettingsChangeTest, OnlyATrustedReplyConfirmsALostOne)
{
    struct Row {
        ReplyTrust trust;
        bool challenged;
        ChangeStatus status;
        const char *sent;
    };
    for (const Row &row : {Row{ReplyTrust::ChallengedReply, false, ChangeStatus::NoAnswer, "NQNQNQ"},
                           Row{ReplyTrust::ChallengedReply, true, ChangeStatus::Confirmed, "NQ"},
                           Row{ReplyTrust::AnyReply, false, ChangeStatus::Confirmed, "NQ"}}) {
        Script script{{}, {{0, kStatic}, {0, kStatic}, {0, kStatic}}, "", 0};
        script.challenged = row.challenged;
        g_script = &script;
        const ChangeResult result =
            ChangeSettings(kCalls, nullptr, kMac, kStatic, "pw", Attempts{}, nullptr, row.trust);
        EXPECT_EQ(result.status, row.status) << row.challenged;
        EXPECT_EQ(script.sent, row.sent) << row.challenged;
    }
}

// Neither a first attempt nor a confirming query starts after the
// deadline; a command in flight when it passes is waited for.
TEST(SettingsChangeTest, NothingStartsAfterTheDeadline)
{
    const struct {
        const char *what;
        std::chrono::milliseconds deadlineIn;
        std::chrono::milliseconds commandTakes;
        const char *sent;
        bool mayHaveTakenEffect;
    } cases[] = {
        {"passed before the start", std::chrono::milliseconds(-1000), std::chrono::milliseconds(0), "", false},
        {"passes during the first command", std::chrono::milliseconds(50), std::chrono::milliseconds(100), "N", true},
    };
    for (const auto &c : cases) {
        Script script;
        script.commandTakes = c.commandTakes;
        g_script = &script;
        unsigned notices = 0;
        const ChangeResult result =
            ChangeSettings(kCalls, nullptr, kMac, kStatic, "pw", Attempts{100, Clock::now() + c.deadlineIn},
                           [&](unsigned) { ++notices; });
        EXPECT_EQ(result.status, ChangeStatus::NoAnswer) << c.what;
        EXPECT_EQ(script.sent, c.sent) << c.what;
        EXPECT_EQ(result.mayHaveTakenEffect, c.mayHaveTakenEffect) << c.what;
        EXPECT_EQ(notices, 0u) << c.what;

        KOVRDeviceInfoRecord record{};
        script.sent.clear();
        EXPECT_EQ(QueryDevice(kCalls, nullptr, kMac, record, Attempts{3, Clock::now() + c.deadlineIn}), KOVR_TIMED_OUT)
            << c.what;
        EXPECT_EQ(script.sent.empty(), c.deadlineIn.count() < 0) << c.what;
    }
}

TEST(SettingsChangeTest, AQueryIsAskedAgainOnlyAfterATimeOut)
{
    const struct {
        const char *what;
        std::deque<std::pair<int32_t, DeviceSettings>> queries; // none left: time-outs
        unsigned limit;
        int32_t result;
        const char *sent;
    } cases[] = {
        {"answered", {{0, kOld}}, 3, 0, "Q"},
        {"never answered", {}, 3, -2, "QQQ"},
        {"never answered, one attempt", {}, 1, -2, "Q"},
        {"a local failure", {{-1, kOld}}, 3, -1, "Q"},
    };
    for (const auto &c : cases) {
        Script script{{}, c.queries, "", 0};
        g_script = &script;
        std::vector<unsigned> notices;
        KOVRDeviceInfoRecord record{};
        EXPECT_EQ(QueryDevice(kCalls, nullptr, kMac, record, Attempts{c.limit, std::nullopt},
                              [&](unsigned attempt) { notices.push_back(attempt); }),
                  c.result)
            << c.what;
        EXPECT_EQ(script.sent, c.sent) << c.what;
        EXPECT_EQ(notices.size(), script.sent.size() - 1) << c.what;
    }
}

TEST(SettingsChangeTest, HoldsComparesAddressesOnlyWithDhcpOff)
{
    DeviceSettings leased = kDhcp;
    leased.ip = kovr::test::Address(10, 77, 1, 99);
    DeviceSettings otherMask = kStatic;
    otherMask.mask = kovr::test::Address(255, 255, 0, 0);
    DeviceSettings otherGateway = kStatic;
    otherGateway.gateway = kOld.ip;
    // DHCP gave it the very address, mask and gateway asked for: it still
    // has to be made static, or the next lease may change them.
    DeviceSettings leasedAsWanted = kStatic;
    leasedAsWanted.dhcp = true;
    const struct {
        const char *what;
        DeviceSettings current, wanted;
        bool holds;
    } cases[] = {
        {"DHCP wanted, DHCP with any lease", leased, kDhcp, true},
        {"DHCP wanted, static", kOld, kDhcp, false},
        {"static wanted, DHCP", leased, kStatic, false},
        {"static wanted, DHCP leasing the same address", leasedAsWanted, kStatic, false},
        {"static wanted, the same", kStatic, kStatic, true},
        {"static wanted, another address", kOld, kStatic, false},
        {"static wanted, another mask", otherMask, kStatic, false},
        {"static wanted, another gateway", otherGateway, kStatic, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Holds(c.current, c.wanted), c.holds) << c.what;
    }
}

} // namespace
