// Applying a plan against scripted devices: a stop lets the devices in hand
// finish and cancels the rest, every entry is reported once, and a refusal
// is told with the session's last error.
#include "common/apply_outcome.h"
#include "common/plan_apply.h"

#include "tests/support/records.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

using namespace kovr::common;

namespace {

const DeviceSettings kOld{false, kovr::test::Address(10, 77, 1, 10), kovr::test::Address(255, 255, 255, 0),
                          kovr::test::Address(10, 77, 1, 254)};
const NetworkSetting kNew{kovr::test::Address(10, 77, 1, 20), kOld.mask, kOld.gateway};
// The device with this last MAC byte refuses the password.
constexpr uint8_t kRefusing = 4;

// The devices' settings by their last MAC byte, the commands they took,
// and when the run is to be stopped.
struct Fleet {
    std::mutex mutex;
    std::map<uint8_t, DeviceSettings> devices;
    unsigned commands = 0;
    unsigned stopAfterCommands = 0; // 0: never
    std::atomic<bool> stop{false};
    std::atomic<int> openSessions{0};
};
Fleet *g_fleet = nullptr;
thread_local int32_t t_lastError = 0;

int32_t SetNetwork(KOVR_HANDLE, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway, const char *)
{
    const std::lock_guard<std::mutex> lock(g_fleet->mutex);
    if (++g_fleet->commands == g_fleet->stopAfterCommands) {
        g_fleet->stop = true;
    }
    if (mac[5] == kRefusing) {
        t_lastError = 13;
        return 1;
    }
    g_fleet->devices[mac[5]] = {false, ip, mask, gateway};
    return t_lastError = 0;
}

int32_t GetDeviceInfo(KOVR_HANDLE, const uint8_t *mac, KOVRDeviceInfoRecord *record)
{
    const std::lock_guard<std::mutex> lock(g_fleet->mutex);
    const DeviceSettings &shown = g_fleet->devices.at(mac[5]);
    record->ipAddress = shown.ip;
    record->subnetMask = shown.mask;
    record->gatewayAddress = shown.gateway;
    return t_lastError = 0;
}

const ApplyCalls kCalls = {
    {GetDeviceInfo, SetNetwork, [](KOVR_HANDLE, const uint8_t *, int32_t, const char *) { return -1; },
     [](KOVR_HANDLE) { return t_lastError; }},
    [] {
        ++g_fleet->openSessions;
        return reinterpret_cast<KOVR_HANDLE>(g_fleet);
    },
    [](KOVR_HANDLE) { --g_fleet->openSessions; },
    [](KOVR_HANDLE, char *buffer, uint32_t size) {
        std::strncpy(buffer, t_lastError == 13 ? "Invalid password" : "", size);
        return 0;
    },
};

PlanEntry Entry(uint8_t lastMacByte, Request request)
{
    PlanEntry entry;
    entry.mac = {0x02, 0x4b, 0x52, 0x00, 0x0a, lastMacByte};
    entry.request = request;
    entry.setting = kNew;
    entry.password = std::make_unique<Password>();
    entry.password->Assign("pw", 2);
    return entry;
}

// The device as the search found it, before any change.
KOVRDeviceInfoRecord FoundWithOldSettings(uint8_t lastMacByte)
{
    KOVRDeviceInfoRecord record = kovr::test::BareRecord(lastMacByte);
    record.ipAddress = kOld.ip;
    record.subnetMask = kOld.mask;
    record.gatewayAddress = kOld.gateway;
    return record;
}

TEST(PlanApplyTest, AStopCancelsTheDevicesNotYetStartedAndEachIsReportedOnce)
{
    struct Case {
        const char *what;
        unsigned parallel;
        bool stoppedBefore;
        unsigned stopAfterCommands;
        const char *outcomes; // per entry: the first letter of its outcome's name
        unsigned commands;
    };
    const Case cases[] = {
        {"never stopped", 1, false, 0, "vvuf", 3},
        {"stopped during the first device", 1, false, 1, "vcuc", 1},
        {"stopped before the start", 1, true, 0, "ccuc", 0},
        {"several at once, never stopped", 3, false, 0, "vvuf", 3},
        {"several at once, stopped before the start", 3, true, 0, "ccuc", 0},
    };
    for (const Case &c : cases) {
        Fleet fleet;
        g_fleet = &fleet;
        fleet.stop = c.stoppedBefore;
        fleet.stopAfterCommands = c.stopAfterCommands;
        std::vector<PlanEntry> entries;
        std::vector<KOVRDeviceInfoRecord> found;
        const Request requests[] = {Request::Static, Request::Static, Request::None, Request::Static};
        for (uint8_t last = 1; last <= 4; ++last) {
            entries.push_back(Entry(last, requests[last - 1]));
            fleet.devices[last] = kOld;
            found.push_back(FoundWithOldSettings(last));
        }
        std::mutex reportedMutex;
        std::map<size_t, std::string> reported; // outcome letters, one per call
        ApplySettings settings;
        settings.parallel = c.parallel;
        settings.stop = &fleet.stop;
        settings.onReport = [&](size_t index, const DeviceReport &report) {
            const std::lock_guard<std::mutex> lock(reportedMutex);
            reported[index] += OutcomeName(report.outcome)[0];
        };

        const std::vector<DeviceReport> reports = ApplyPlan(kCalls, entries, found, settings);

        std::string outcomes;
        std::string outcomesReported;
        for (size_t i = 0; i < reports.size(); ++i) {
            outcomes += OutcomeName(reports[i].outcome)[0];
            outcomesReported += reported[i];
            EXPECT_EQ(entries[i].password, nullptr) << c.what << ", entry " << i;
        }
        EXPECT_EQ(outcomes, c.outcomes) << c.what;
        EXPECT_EQ(outcomesReported, c.outcomes) << c.what;
        EXPECT_EQ(fleet.commands, c.commands) << c.what;
        EXPECT_EQ(fleet.openSessions, 0) << c.what;
        if (reports[3].outcome == Outcome::Failed) {
            EXPECT_EQ(reports[3].detail, "failed (result 1); error 13: Invalid password") << c.what;
        }
    }
}

// A caller may leave a device with neither a password of its own nor a
// shared one: it fails with nothing sent, and the others go on.
TEST(PlanApplyTest, ADeviceWithoutAnyPasswordFailsWithNothingSent)
{
    Fleet fleet;
    g_fleet = &fleet;
    std::vector<PlanEntry> entries;
    std::vector<KOVRDeviceInfoRecord> found;
    for (uint8_t last = 1; last <= 2; ++last) {
        entries.push_back(Entry(last, Request::Static));
        fleet.devices[last] = kOld;
        found.push_back(FoundWithOldSettings(last));
    }
    entries[0].password.reset();

    const std::vector<DeviceReport> reports = ApplyPlan(kCalls, entries, found, ApplySettings{});

    EXPECT_EQ(reports[0].outcome, Outcome::Failed);
    EXPECT_EQ(reports[0].detail, "no password");
    EXPECT_EQ(reports[1].outcome, Outcome::Verified);
    EXPECT_EQ(fleet.commands, 1u);
}

} // namespace
