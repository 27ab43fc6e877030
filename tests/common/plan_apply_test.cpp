// Applying a plan against scripted devices: a stop lets the devices in hand
// finish and cancels the rest, every entry is reported once, and a refusal
// is told with the session's last error.
#include "common/apply_outcome.h"
#include "common/plan_apply.h"

#include "tests/support/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

using namespace kovr::common;

namespace {

const DeviceSettings kOld{false, kovr::test::Address(10, 77, 1, 10), kovr::test::Address(255, 255, 255, 0),
                          kovr::test::Address(10, 77, 1, 254)};
const NetworkSetting kNew{kovr::test::Address(10, 77, 1, 20), kOld.mask, kOld.gateway};
// The device with this last MAC byte refuses the password.
constexpr uint8_t kRefusing = 4;
// The device with this last MAC byte takes a change but never answers a query.
constexpr uint8_t kSilent = 5;

// The devices' settings by their last MAC byte, the commands they took,
// and when the run is to be stopped.
struct Fleet {
    std::mutex mutex;
    std::map<uint8_t, DeviceSettings> devices;
    unsigned commands = 0;
    unsigned stopAfterCommands = 0; // 0: never
    unsigned commandsLost = 0;      // the first ones time out, not taken
    std::chrono::milliseconds commandTime{0};
    int inFlight = 0;
    int mostInFlight = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> openSessions{0};
};
Fleet *g_fleet = nullptr;
thread_local int32_t t_lastError = 0;

int32_t SetNetwork(KOVR_HANDLE, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway, const char *)
{
    {
        const std::lock_guard<std::mutex> lock(g_fleet->mutex);
        g_fleet->mostInFlight = std::max(g_fleet->mostInFlight, ++g_fleet->inFlight);
    }
    std::this_thread::sleep_for(g_fleet->commandTime);
    const std::lock_guard<std::mutex> lock(g_fleet->mutex);
    --g_fleet->inFlight;
    if (++g_fleet->commands == g_fleet->stopAfterCommands) {
        g_fleet->stop = true;
    }
    if (g_fleet->commandsLost > 0) {
        --g_fleet->commandsLost;
        return t_lastError = KOVR_TIMED_OUT;
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
    if (mac[5] == kSilent) {
        return t_lastError = KOVR_TIMED_OUT;
    }
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
            // Wiped as each device ends, not once the whole run has.
            EXPECT_EQ(entries[index].password, nullptr) << c.what << ", entry " << index;
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

// A time-out is a wait, not traffic: once a command had to be sent again,
// more devices are taken at once, unless the caller fixed how many.
TEST(PlanApplyTest, MoreDevicesAtOnceOnceACommandHadToBeSentAgain)
{
    const struct {
        const char *what;
        unsigned lost;
        unsigned parallelOnLoss;
        bool together;
    } cases[] = {
        {"nothing lost", 0, kMaxParallel, false},
        {"a command lost", 1, kMaxParallel, true},
        {"a command lost, with the number fixed", 1, 1, false},
    };
    for (const auto &c : cases) {
        Fleet fleet;
        g_fleet = &fleet;
        fleet.commandsLost = c.lost;
        fleet.commandTime = std::chrono::milliseconds(50);
        std::vector<PlanEntry> entries;
        std::vector<KOVRDeviceInfoRecord> found;
        for (const uint8_t last : {1, 2, 3, 6}) {
            entries.push_back(Entry(last, Request::Static));
            fleet.devices[last] = kOld;
            found.push_back(FoundWithOldSettings(last));
        }
        ApplySettings settings;
        settings.parallel = 1;
        settings.parallelOnLoss = c.parallelOnLoss;

        const std::vector<DeviceReport> reports = ApplyPlan(kCalls, entries, found, settings);

        for (const DeviceReport &report : reports) {
            EXPECT_EQ(report.outcome, Outcome::Verified) << c.what << ": " << report.detail;
        }
        EXPECT_EQ(fleet.mostInFlight > 1, c.together) << c.what;
        EXPECT_EQ(fleet.openSessions, 0) << c.what;
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

// Devices behind the library's guard. Each answers the queries for its own
// MAC in turn from `answers` ('c' with a challenge, 'p' without, the last
// one repeated: an impostor answers without); a command's own challenge
// query meets the device, or the impostor.
struct GuardedDevice {
    bool digest;
    std::string answers;
    bool commandMeetsImpostor = false;
    DeviceSettings settings = kOld;
    size_t asked = 0;
};
struct GuardedFleet {
    std::mutex mutex;
    std::map<uint8_t, GuardedDevice> devices;
    std::string sent; // per command that left: the device's last MAC digit, 'd' digest or 'p' plain
};
GuardedFleet *g_guarded = nullptr;
thread_local uint32_t t_policy = 0;
thread_local std::string t_message;

int32_t GuardedSetNetwork(KOVR_HANDLE, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway, const char *)
{
    const std::lock_guard<std::mutex> lock(g_guarded->mutex);
    GuardedDevice &device = g_guarded->devices.at(mac[5]);
    const bool challenge = device.digest && !device.commandMeetsImpostor;
    if (!challenge && (t_policy & KOVR_POLICY_REQUIRE_CHALLENGE) != 0) {
        t_message = KOVR_NO_CHALLENGE_MESSAGE;
        t_lastError = KOVR_ERROR_NO_CHALLENGE;
        return KOVR_FAILED;
    }
    g_guarded->sent += std::to_string(mac[5]) + (challenge ? "d" : "p");
    device.settings = {false, ip, mask, gateway};
    t_message.clear();
    return t_lastError = 0;
}

int32_t GuardedGetDeviceInfo(KOVR_HANDLE, const uint8_t *mac, KOVRDeviceInfoRecord *record)
{
    const std::lock_guard<std::mutex> lock(g_guarded->mutex);
    GuardedDevice &device = g_guarded->devices.at(mac[5]);
    *record = kovr::test::BareRecord(mac[5]);
    record->ipAddress = device.settings.ip;
    record->subnetMask = device.settings.mask;
    record->gatewayAddress = device.settings.gateway;
    if (device.answers[std::min(device.asked++, device.answers.size() - 1)] == 'c') {
        record->presentFields |= KOVR_FIELD_NONCE;
        record->nonceLength = 14;
    }
    return t_lastError = 0;
}

int32_t GuardedLastErrorMessage(KOVR_HANDLE, char *buffer, uint32_t size)
{
    std::strncpy(buffer, t_message.c_str(), size);
    buffer[size - 1] = '\0';
    return 0;
}

const ApplyCalls kGuardedCalls = {
    {GuardedGetDeviceInfo, GuardedSetNetwork, [](KOVR_HANDLE, const uint8_t *, int32_t, const char *) { return -1; },
     [](KOVR_HANDLE) { return t_lastError; }},
    [] { return reinterpret_cast<KOVR_HANDLE>(g_guarded); },
    [](KOVR_HANDLE) {},
    GuardedLastErrorMessage,
};
const GuardCalls kGuardCalls = {[](KOVR_HANDLE, uint32_t policy) {
                                    t_policy = policy;
                                    return 0;
                                },
                                [](KOVR_HANDLE) { return t_lastError; }};

// What reaches each device, and what each entry comes to, when a pinned
// device meets an impostor at one step or another, and a plain device
// meets kovr's warning or --require-digest.
TEST(PlanApplyTest, TheGuardSendsNothingToAnImpostorAndAsksAboutPlainPasswordsOnce)
{
    struct Device {
        uint8_t last;
        bool pinned;
        GuardedDevice device;
        const char *outcome;
        const char *outcomeWithDigestRequired;
    };
    GuardedDevice holding{true, "p"};
    holding.settings = {false, kNew.ip, kNew.mask, kNew.gateway};
    GuardedDevice raced{true, "c"};
    raced.commandMeetsImpostor = true;
    const Device devices[] = {
        {1, true, {true, "c"}, "verified", "verified"},
        {2, true, {true, "p"}, "failed", "failed"}, // an impostor answers the first query
        {3, true, holding, "failed", "failed"},     // ... and shows the plan's settings
        {4, false, {false, "p"}, "verified", "failed"},
        {5, false, {false, "p"}, "verified", "failed"},
        {6, false, {true, "c"}, "verified", "verified"},
        {7, true, raced, "failed", "failed"},                // ... wins the command's own challenge query
        {8, true, {true, "cp"}, "unverified", "unverified"}, // ... answers the verifying query
    };
    for (const bool requireDigest : {false, true}) {
        SCOPED_TRACE(requireDigest ? "digest required" : "plain allowed");
        GuardedFleet fleet;
        g_guarded = &fleet;
        KnownDevices pins("");
        std::vector<PlanEntry> entries;
        std::vector<KOVRDeviceInfoRecord> found;
        for (const Device &device : devices) {
            entries.push_back(Entry(device.last, Request::Static));
            fleet.devices[device.last] = device.device;
            KOVRDeviceInfoRecord record = FoundWithOldSettings(device.last);
            record.ipAddress = device.device.settings.ip;
            found.push_back(record);
            if (device.pinned) {
                pins.Learn(entries.back().mac);
            }
        }
        unsigned asked = 0;
        GuardOptions options;
        options.requireDigest = requireDigest;
        options.approvePlain = [&](const MacAddress &) {
            ++asked;
            return true;
        };
        CommandGuard guard(kGuardCalls, pins, options);
        ApplySettings settings;
        settings.parallel = 1;
        settings.guard = &guard;

        const std::vector<DeviceReport> reports = ApplyPlan(kGuardedCalls, entries, found, settings);

        for (size_t i = 0; i < std::size(devices); ++i) {
            const Device &device = devices[i];
            EXPECT_EQ(OutcomeName(reports[i].outcome),
                      std::string(requireDigest ? device.outcomeWithDigestRequired : device.outcome))
                << "device " << int(device.last) << ": " << reports[i].detail;
            if (device.pinned && reports[i].outcome == Outcome::Failed) {
                EXPECT_NE(reports[i].detail.find("offered a challenge before and now answers without one"),
                          std::string::npos)
                    << reports[i].detail;
            }
        }
        EXPECT_EQ(fleet.sent, requireDigest ? "1d6d8d" : "1d4p5p6d8d");
        EXPECT_EQ(asked, requireDigest ? 0u : 1u);
        EXPECT_TRUE(pins.IsPinned(entries[5].mac)) << "pinned by its challenge";
    }
}

// A change the device acknowledged is unverified, never failed, when no
// query before the deadline could confirm it.
TEST(PlanApplyTest, AnAcknowledgedChangeThatNoQueryConfirmsIsUnverified)
{
    Fleet fleet;
    g_fleet = &fleet;
    std::vector<PlanEntry> entries;
    entries.push_back(Entry(kSilent, Request::Static));
    fleet.devices[kSilent] = kOld;
    ApplySettings settings;
    settings.deadline = Clock::now() + std::chrono::milliseconds(200);

    const std::vector<DeviceReport> reports = ApplyPlan(kCalls, entries, {FoundWithOldSettings(kSilent)}, settings);

    EXPECT_EQ(reports[0].outcome, Outcome::Unverified) << reports[0].detail;
    EXPECT_EQ(fleet.commands, 1u);
}

} // namespace
