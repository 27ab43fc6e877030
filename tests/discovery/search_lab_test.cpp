// Searches from end to end in the private network lab, against simulated
// devices: what is found, de-duplication, the idle and total limits,
// notifications, stopping, and replies that must be dropped.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "kovr/kovr.h"
#include "tests/discovery/loopback_device.h"
#include "tests/support/guids.h"
#include "tests/support/lab.h"
#include "tests/support/timing.h"

using kovr::test::Clock;
using kovr::test::DeviceJson;
using kovr::test::Devices;
using kovr::test::kLocatorGuid;
using kovr::test::Lab;
using kovr::test::MillisecondsSince;
using kovr::test::Simulator;
using kovr::test::Topology;
using std::chrono::milliseconds;

namespace {

// Devices 1..count, device i answering after (i - 1) * stepMs.
nlohmann::json Staggered(int first, int count, int stepMs)
{
    std::vector<nlohmann::json> entries;
    for (int i = 0; i < count; ++i) {
        nlohmann::json device = DeviceJson(first + i);
        device["replyDelayMs"] = i * stepMs;
        entries.push_back(device);
    }
    return Devices(entries);
}

// One device that answers after delayMs.
nlohmann::json LateDevice(int delayMs)
{
    nlohmann::json device = DeviceJson(1);
    device["replyDelayMs"] = delayMs;
    return Devices({device});
}

std::vector<KOVRDeviceInfoRecord> FetchAll(KOVR_HANDLE handle)
{
    std::vector<KOVRDeviceInfoRecord> records(64);
    const int32_t count = KOVRGetSearchResults(handle, records.data(), static_cast<uint32_t>(records.size()));
    records.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return records;
}

class SearchLabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle_ = KOVROpenByGuid(&kLocatorGuid);
        ASSERT_NE(handle_, nullptr);
    }
    void TearDown() override { KOVRClose(handle_); }

    KOVR_HANDLE handle_ = nullptr;
};

TEST_F(SearchLabTest, ASyncSearchFindsEveryDeviceAndHandsThemOutInArrivalOrder)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, Staggered(1, 5, 40));
    ASSERT_EQ(KOVRStartSyncSearchEx(handle_, 400, 10000), 5);
    EXPECT_EQ(KOVRGetLastError(handle_), 0);
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 5);

    KOVRDeviceInfoRecord records[3];
    ASSERT_EQ(KOVRGetSearchResults(handle_, records, 3), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(records[i].macAddress[5], i + 1) << "oldest reply first";
        EXPECT_EQ(records[i].interfaceAddress, inet_addr("10.77.1.1"));
        EXPECT_EQ(records[i].vendorId, KOVR_MAGIC_LORX);
        EXPECT_NE(records[i].presentFields & KOVR_FIELD_MAC_ADDRESS, 0u);
    }
    EXPECT_STREQ(records[0].deviceName, "lab-1");
    EXPECT_STREQ(records[0].productName, "7100-NT");
    EXPECT_EQ(records[0].ipAddress, inet_addr("10.77.1.11"));
    EXPECT_EQ(KOVRGetSearchResults(handle_, records, 3), 2);
    EXPECT_EQ(records[0].macAddress[5], 4);
    EXPECT_EQ(KOVRGetSearchResults(handle_, records, 3), 0);
}

TEST_F(SearchLabTest, ADeviceOnTwoInterfacesIsListedOnceBySyncAndTwiceByAsync)
{
    Lab lab(Topology::Dual);
    nlohmann::json device = DeviceJson(1);
    device["interfaces"] = {"d1", "d2"};
    Simulator sim(lab, Devices({device}));

    ASSERT_EQ(KOVRStartSyncSearchEx(handle_, 400, 10000), 1);
    std::vector<KOVRDeviceInfoRecord> records = FetchAll(handle_);
    ASSERT_EQ(records.size(), 1u);

    KOVR_EVENT event = KOVRCreateEvent();
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle_, event), 0);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (KOVRGetSearchResultCount(handle_) < 2 && Clock::now() < deadline) {
        KOVRWaitEvent(event, 200);
    }
    KOVRStopSearch(handle_);
    KOVRCloseEvent(event);
    records = FetchAll(handle_);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(std::memcmp(records[0].macAddress, records[1].macAddress, 6), 0);
    EXPECT_NE(records[0].interfaceAddress, records[1].interfaceAddress) << "one reply per interface";
}

// A synchronous search ends its idle limit after the last reply, or at its
// total limit, whichever comes first; the plain starter waits five seconds.
TEST_F(SearchLabTest, ASyncSearchEndsWhenItsLimitsSay)
{
    constexpr uint32_t kDefaults = 0; // KOVRStartSyncSearch, without limits
    struct Case {
        const char *what;
        nlohmann::json devices;
        uint32_t idle;
        uint32_t total;
        int32_t found;
        long atLeast;
        long below;
    };
    const Case cases[] = {
        {"idle limit after the last reply, at 600 ms", Staggered(1, 3, 300), 500, 10000, 3, 600 + 500 - 20,
         600 + 500 + 600},
        {"total limit before the second reply", Staggered(1, 2, 1500), 3000, 800, 1, 780, 800 + 600},
        {"without an idle limit it lasts the total", Staggered(1, 2, 1500), KOVR_INFINITE, 1000, 1, 980, 1000 + 600},
        {"the defaults after a reply at 1 s", LateDevice(1000), kDefaults, kDefaults, 1, 5980, 6000 + 800},
    };
    Lab lab(Topology::Single);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Simulator sim(lab, c.devices);
        const auto start = Clock::now();
        EXPECT_EQ(c.total == kDefaults ? KOVRStartSyncSearch(handle_) : KOVRStartSyncSearchEx(handle_, c.idle, c.total),
                  c.found);
        const long elapsed = MillisecondsSince(start);
        EXPECT_GE(elapsed, c.atLeast);
        EXPECT_LT(elapsed, c.below);
    }
}

TEST_F(SearchLabTest, TheCallbackIsCalledAfterEveryPassThatReadWhileResultsWait)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, Staggered(1, 3, 400));
    static std::atomic<int> calls{0};
    static std::atomic<uintptr_t> user{0};
    calls = 0;
    ASSERT_EQ(KOVRStartAsyncSearchCallback(
                  handle_,
                  [](KOVR_HANDLE, uintptr_t value) {
                      user = value;
                      ++calls;
                  },
                  77),
              0);
    std::this_thread::sleep_for(milliseconds(1400));
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 3);
    EXPECT_EQ(calls, 3) << "one readable pass per staggered reply, none for passes that time out";
    EXPECT_EQ(user, 77u);
    KOVRStopSearch(handle_);
}

TEST_F(SearchLabTest, TheWindowAndTheEventAreToldOfResults)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, Staggered(1, 2, 300));
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    ASSERT_EQ(KOVRStartAsyncSearchMessage(handle_, window, 0x0401, 0x1234), 0);
    for (int i = 0; i < 2; ++i) {
        uint32_t message = 0;
        uintptr_t wParam = 1;
        intptr_t lParam = 0;
        ASSERT_EQ(KOVRGetWindowMessage(window, 3000, &message, &wParam, &lParam), 0);
        EXPECT_EQ(message, 0x0401u);
        EXPECT_EQ(wParam, 0u);
        EXPECT_EQ(lParam, 0x1234);
    }
    KOVRStopSearch(handle_);
    KOVRDestroyMessageWindow(window);

    KOVR_EVENT event = KOVRCreateEvent();
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle_, event), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 3000), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 3000), 0) << "set again after the second reply";
    KOVRStopSearch(handle_);
    KOVRCloseEvent(event);
}

TEST_F(SearchLabTest, StopAndCloseEndAnAsyncSearchPromptly)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, LateDevice(1500));
    static std::atomic<int> calls{0};
    calls = 0;
    auto callback = [](KOVR_HANDLE, uintptr_t) { ++calls; };

    ASSERT_EQ(KOVRStartAsyncSearchCallback(handle_, callback, 0), 0);
    std::this_thread::sleep_for(milliseconds(100));
    auto start = Clock::now();
    KOVRStopSearch(handle_);
    EXPECT_LT(MillisecondsSince(start), 150);
    EXPECT_EQ(KOVRStartAsyncSearchCallback(handle_, callback, 0), 0) << "idle again after the stop";

    std::this_thread::sleep_for(milliseconds(100));
    start = Clock::now();
    KOVRClose(handle_);
    EXPECT_LT(MillisecondsSince(start), 150);
    handle_ = nullptr;
    std::this_thread::sleep_for(milliseconds(1800));
    EXPECT_EQ(calls, 0) << "nothing is called after the search ended";
}

TEST_F(SearchLabTest, ASecondStarterDuringASearchIsRefused)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, Staggered(1, 2, 300));
    KOVR_EVENT event = KOVRCreateEvent();
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle_, event), 0);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 100, 100), -1);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(handle_, event), -1);
    EXPECT_EQ(KOVRStartAsyncSearchCallback(
                  handle_, [](KOVR_HANDLE, uintptr_t) {}, 0),
              -1);
    std::this_thread::sleep_for(milliseconds(700));
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 2) << "the first search went on";
    KOVRStopSearch(handle_);

    std::atomic<int32_t> second{0};
    std::thread starter([&] {
        std::this_thread::sleep_for(milliseconds(200));
        second = KOVRStartAsyncSearchEvent(handle_, event);
    });
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 500, 5000), 2);
    starter.join();
    EXPECT_EQ(second, -1);
    KOVRCloseEvent(event);
}

// Each misbehaviour of one simulator is dropped while the devices of a
// second, well-behaved one are still found.
TEST_F(SearchLabTest, MalformedAndForeignRepliesAreDroppedWhileTheSearchGoesOn)
{
    Lab lab(Topology::Single);
    Simulator good(lab, Staggered(1, 2, 200));
    struct Case {
        std::vector<std::string> switches;
        int32_t found;
    };
    const std::vector<Case> cases = {
        {{"--wrong-magic"}, 2},
        {{"--wrong-type"}, 2},
        {{"--no-mac"}, 2},
        {{"--malformed", "mac-length"}, 2},
        {{"--malformed", "nonce-length"}, 2},
        {{"--malformed", "truncated"}, 2},
        {{"--malformed", "overrun"}, 2},
        {{"--oversize"}, 2},
        // A well-formed GUID field after the bad integers clears their failure.
        {{"--malformed", "integer-length"}, 5},
        // Every reply twice: a synchronous search lists each device once.
        {{"--answer-twice"}, 5},
        // Junk to the searching socket is dropped; the devices still count.
        {{"--flood", "2000", "--flood-count", "300"}, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.switches.front() + (c.switches.size() > 1 ? " " + c.switches[1] : ""));
        Simulator other(lab, Staggered(10, 3, 50), c.switches);
        EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 500, 10000), c.found);
        int wellBehaved = 0;
        for (const KOVRDeviceInfoRecord &record : FetchAll(handle_)) {
            wellBehaved += record.macAddress[5] < 10 ? 1 : 0;
        }
        EXPECT_EQ(wellBehaved, 2);
    }
}

TEST_F(SearchLabTest, AThousandSearchesLeaveNoDescriptorBehind)
{
    Lab lab(Topology::Dual);
    nlohmann::json device = DeviceJson(1);
    device["interfaces"] = {"d1", "d2"};
    Simulator sim(lab, Devices({device}));
    ASSERT_EQ(KOVRStartSyncSearchEx(handle_, 10, 2000), 1); // warm up lazily made objects
    const int before = kovr::test::OpenDescriptorCount();
    int found = 0;
    for (int i = 0; i < 1000; ++i) {
        found += KOVRStartSyncSearchEx(handle_, 10, 2000);
    }
    EXPECT_EQ(kovr::test::OpenDescriptorCount(), before);
    EXPECT_EQ(found, 1000);
}

} // namespace
