// The search that sends its request several times, against a scripted
// library: which sessions it opens and starts, how it merges the replies,
// and that it leaves nothing running.
#include "common/device_checks.h"
#include "common/repeated_search.h"

#include "tests/support/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <thread>
#include <vector>

using namespace kovr::common;
using kovr::test::Address;
using kovr::test::BareRecord;

namespace {

// One scripted library: what each request's search (by its number, from
// 0) finds, delivered with a notification as soon as the search starts.
struct Library {
    std::map<int, std::vector<KOVRDeviceInfoRecord>> replies;
    bool firstStartFails = false;
    bool openFails = false;
    std::map<KOVR_HANDLE, int> requestOf;
    std::map<KOVR_HANDLE, std::deque<KOVRDeviceInfoRecord>> queues;
    std::vector<std::pair<uint32_t, uint32_t>> syncStarts;
    int opened = 0;
    int asyncStarts = 0;
    std::vector<KOVR_HANDLE> stopped, closed;
};
Library *g_library = nullptr;
const auto kFirst = reinterpret_cast<KOVR_HANDLE>(uintptr_t{100});

SearchCalls Calls()
{
    return {[]() -> KOVR_HANDLE {
                if (g_library->openFails) {
                    return nullptr;
                }
                const int n = ++g_library->opened;
                return reinterpret_cast<KOVR_HANDLE>(uintptr_t(100 + n));
            },
            [](KOVR_HANDLE h) { g_library->closed.push_back(h); },
            [](KOVR_HANDLE h, uint32_t idle, uint32_t total) {
                g_library->syncStarts.emplace_back(idle, total);
                const auto &found = g_library->replies[0];
                g_library->queues[h].assign(found.begin(), found.end());
                return static_cast<int32_t>(found.size());
            },
            [](KOVR_HANDLE h, KOVRSearchNotifyCallback cb, uintptr_t user) {
                if (h == kFirst && g_library->firstStartFails) {
                    return -1;
                }
                const int request = g_library->asyncStarts++;
                const auto &found = g_library->replies[request];
                g_library->queues[h].assign(found.begin(), found.end());
                if (!found.empty()) {
                    cb(h, user);
                }
                return 0;
            },
            [](KOVR_HANDLE h, KOVRDeviceInfoRecord *records, uint32_t capacity) {
                auto &queue = g_library->queues[h];
                uint32_t n = 0;
                for (; n < capacity && !queue.empty(); ++n) {
                    records[n] = queue.front();
                    queue.pop_front();
                }
                return static_cast<int32_t>(n);
            },
            [](KOVR_HANDLE h) { g_library->stopped.push_back(h); }};
}

KOVRDeviceInfoRecord Reply(uint8_t device, uint8_t interfaceOctet)
{
    KOVRDeviceInfoRecord record = BareRecord(device);
    record.interfaceAddress = Address(10, 77, interfaceOctet, 1);
    return record;
}

std::vector<std::pair<uint8_t, uint8_t>> DevicesAndInterfaces(const std::vector<KOVRDeviceInfoRecord> &records)
{
    std::vector<std::pair<uint8_t, uint8_t>> out;
    for (const KOVRDeviceInfoRecord &record : records) {
        out.emplace_back(record.macAddress[5], reinterpret_cast<const uint8_t *>(&record.interfaceAddress)[2]);
    }
    return out;
}

SearchPlan Quick(unsigned requests)
{
    return {requests, 50, 5000, std::chrono::milliseconds(30)};
}

TEST(RepeatedSearchTest, OneRequestIsTheLibrarysSynchronousSearch)
{
    Library library;
    library.replies[0] = {Reply(1, 1), Reply(1, 2)};
    g_library = &library;
    std::vector<KOVRDeviceInfoRecord> found;
    EXPECT_EQ(SearchDevices(Calls(), kFirst, {1, 1234, 5678}, found), 2);
    // As the library queued them, and nothing else opened or started.
    EXPECT_EQ(DevicesAndInterfaces(found), (std::vector<std::pair<uint8_t, uint8_t>>{{1, 1}, {1, 2}}));
    EXPECT_EQ(library.syncStarts, (std::vector<std::pair<uint32_t, uint32_t>>{{1234, 5678}}));
    EXPECT_EQ(library.asyncStarts, 0);
    EXPECT_EQ(library.opened, 0);
}

TEST(RepeatedSearchTest, LaterRequestsFindWhatTheFirstMissedOnceEachWithTheFirstReply)
{
    Library library;
    library.replies[0] = {}; // the first request was lost
    library.replies[1] = {Reply(1, 2), Reply(2, 1), Reply(1, 1)};
    library.replies[2] = {Reply(2, 1), Reply(3, 1), Reply(1, 1)};
    g_library = &library;
    std::vector<KOVRDeviceInfoRecord> found;
    EXPECT_EQ(SearchDevices(Calls(), kFirst, Quick(3), found), 3);
    EXPECT_EQ(DevicesAndInterfaces(found), (std::vector<std::pair<uint8_t, uint8_t>>{{1, 2}, {2, 1}, {3, 1}}));
    EXPECT_EQ(library.asyncStarts, 3);
    EXPECT_EQ(library.opened, 2);
    // Every search stopped; the sessions it opened closed, the caller's not.
    const auto second = reinterpret_cast<KOVR_HANDLE>(uintptr_t{101});
    const auto third = reinterpret_cast<KOVR_HANDLE>(uintptr_t{102});
    EXPECT_EQ(library.stopped, (std::vector<KOVR_HANDLE>{kFirst, second, third}));
    EXPECT_EQ(library.closed, (std::vector<KOVR_HANDLE>{second, third}));
}

// By default the request goes out again while either of the last two
// brought a device not seen before: three on a clean link, at most ten. A
// request nothing answered was lost, and is passed over once it is old.
TEST(RepeatedSearchTest, AsksAgainWhileTheLastTwoRequestsBroughtNewDevices)
{
    const struct {
        const char *what;
        std::vector<int> bringingNew; // which requests, from 0, reach a device first
        int requests;
        std::vector<int> lost = {};
    } cases[] = {
        {"a clean link", {0}, 3},
        {"new in the second", {0, 1}, 4},
        {"new in the third", {0, 2}, 5},
        {"new in the third and the fifth", {0, 2, 4}, 7},
        {"new in every one", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10},
        {"the second and third lost", {0, 3}, 6, {1, 2}},
    };
    for (const auto &c : cases) {
        Library library;
        // Every request is answered by every device it reached, so a
        // device is new only in the first request that reached it.
        std::vector<KOVRDeviceInfoRecord> reached;
        for (int request = 0; request <= 10; ++request) {
            if (std::find(c.bringingNew.begin(), c.bringingNew.end(), request) != c.bringingNew.end()) {
                reached.push_back(Reply(static_cast<uint8_t>(request + 1), 1));
            }
            const bool lost = std::find(c.lost.begin(), c.lost.end(), request) != c.lost.end();
            library.replies[request] = lost ? std::vector<KOVRDeviceInfoRecord>{} : reached;
        }
        g_library = &library;
        std::vector<KOVRDeviceInfoRecord> found;
        // The idle time leaves room for a slow machine between requests.
        const SearchPlan plan{kRequestsWhileFinding, 400, 5000, std::chrono::milliseconds(30)};
        const auto sent = std::count_if(c.bringingNew.begin(), c.bringingNew.end(),
                                        [&](int request) { return request < c.requests; });
        EXPECT_EQ(SearchDevices(Calls(), kFirst, plan, found), sent) << c.what;
        EXPECT_EQ(library.asyncStarts, c.requests) << c.what;
    }
}

// Every reply is looked at for its challenge, also those the merge drops:
// two for one MAC that disagree make a problem of the device the search
// listed.
TEST(RepeatedSearchTest, RepliesThatDisagreeAboutAChallengeMakeAProblem)
{
    KOVRDeviceInfoRecord challenged = Reply(1, 1);
    challenged.presentFields |= KOVR_FIELD_NONCE;
    challenged.nonceLength = 14;
    Library library;
    library.replies[0] = {Reply(1, 1), Reply(2, 1)};
    library.replies[1] = {challenged, Reply(2, 1)};
    g_library = &library;
    std::vector<KOVRDeviceInfoRecord> found;
    ChallengeSightings sightings;
    EXPECT_EQ(SearchDevices(Calls(), kFirst, Quick(2), found, nullptr, &sightings), 2);
    const MacAddress first = {0x02, 0x4b, 0x52, 0x00, 0x0a, 0x01};
    EXPECT_EQ(sightings.Offering(), std::vector<MacAddress>{first});
    EXPECT_EQ(sightings.Conflicting(), std::vector<MacAddress>{first});

    std::vector<Problem> conflicts = CheckDevices(found, {}, sightings.Conflicting());
    conflicts.erase(std::remove_if(conflicts.begin(), conflicts.end(),
                                   [](const Problem &p) { return p.kind != ProblemKind::ConflictingChallenge; }),
                    conflicts.end());
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].severity, Severity::Error);
    EXPECT_EQ(conflicts[0].devices, std::vector<size_t>{0});
}

TEST(RepeatedSearchTest, AFirstSearchThatCantStartFailsAndALaterOneIsLeftOut)
{
    Library library;
    library.firstStartFails = true;
    g_library = &library;
    std::vector<KOVRDeviceInfoRecord> found;
    EXPECT_EQ(SearchDevices(Calls(), kFirst, Quick(3), found), -1);
    EXPECT_EQ(library.opened, 0);
    EXPECT_TRUE(library.stopped.empty());

    Library noMoreSessions;
    noMoreSessions.openFails = true;
    noMoreSessions.replies[0] = {Reply(7, 1)};
    g_library = &noMoreSessions;
    EXPECT_EQ(SearchDevices(Calls(), kFirst, Quick(3), found), 1);
    EXPECT_EQ(noMoreSessions.stopped, (std::vector<KOVR_HANDLE>{kFirst}));
    EXPECT_TRUE(noMoreSessions.closed.empty());
}

TEST(RepeatedSearchTest, RefusesLimitsTheLibraryRefuses)
{
    Library library;
    g_library = &library;
    std::vector<KOVRDeviceInfoRecord> found;
    const struct {
        const char *what;
        SearchPlan plan;
    } cases[] = {
        {"one request past the most", {kMaxSearchRequests + 1, 5000, 60000}},
        {"no idle time", {3, 0, 60000}},
        {"no total time", {3, 5000, 0}},
        {"neither limit", {3, KOVR_INFINITE, KOVR_INFINITE}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SearchDevices(Calls(), kFirst, c.plan, found), KOVR_FAILED) << c.what;
    }
    // The most requests are allowed.
    EXPECT_TRUE(IsValidSearchPlan({kMaxSearchRequests, 5000, 60000}));
    EXPECT_EQ(library.asyncStarts + static_cast<int>(library.syncStarts.size()), 0);
}

TEST(RepeatedSearchTest, MergesByMacAndInterfaceOrNotAtAll)
{
    for (const Merge merge : {Merge::ByMacAndInterface, Merge::None}) {
        Library library;
        library.replies[0] = {Reply(1, 1), Reply(1, 2)};
        library.replies[1] = {Reply(1, 2), Reply(1, 1)};
        g_library = &library;
        RepeatedSearch search(Calls(), kFirst, {2, KOVR_INFINITE, 5000, std::chrono::milliseconds(0)}, merge);
        ASSERT_TRUE(search.Start([](KOVR_HANDLE h) {
            return Calls().startAsyncCallback(
                h, [](KOVR_HANDLE, uintptr_t) {}, 0);
        }));
        std::vector<KOVRDeviceInfoRecord> all = search.Step();
        const std::vector<KOVRDeviceInfoRecord> last = search.Stop();
        all.insert(all.end(), last.begin(), last.end());
        EXPECT_EQ(all.size(), merge == Merge::None ? 4u : 2u);
        EXPECT_TRUE(search.Finished());
    }
}

TEST(RepeatedSearchTest, EndsTheIdleLimitAfterTheLastReplyAndAtTheTotalLimit)
{
    Library library;
    library.replies[0] = {Reply(1, 1)};
    g_library = &library;
    RepeatedSearch search(Calls(), kFirst, {1, 200, 60000, std::chrono::milliseconds(0)}, Merge::ByMac);
    ASSERT_TRUE(search.Start([](KOVR_HANDLE h) {
        return Calls().startAsyncCallback(
            h, [](KOVR_HANDLE, uintptr_t) {}, 0);
    }));
    EXPECT_FALSE(search.NextWake().has_value() && search.Finished());
    ASSERT_EQ(search.Step().size(), 1u);
    const auto wake = search.NextWake();
    ASSERT_TRUE(wake.has_value());
    EXPECT_GT(*wake, RepeatedSearch::Clock::now() + std::chrono::milliseconds(100));
    // The idle end after that reply, not the total limit a minute away.
    EXPECT_LE(*wake, RepeatedSearch::Clock::now() + std::chrono::milliseconds(200));
    EXPECT_FALSE(search.Finished());
    std::this_thread::sleep_until(*wake);
    EXPECT_TRUE(search.Finished());

    RepeatedSearch silent(Calls(), kFirst, {1, 5000, 100, std::chrono::milliseconds(0)}, Merge::ByMac);
    library.replies[1] = {};
    ASSERT_TRUE(silent.Start([](KOVR_HANDLE h) {
        return Calls().startAsyncCallback(
            h, [](KOVR_HANDLE, uintptr_t) {}, 0);
    }));
    EXPECT_TRUE(silent.Step().empty());
    // With no reply there is no idle end: only the total limit.
    EXPECT_LE(*silent.NextWake(), RepeatedSearch::Clock::now() + std::chrono::milliseconds(100));
}

// Devices that answer one after another, each within the idle time of the
// one before, are all found: the idle time runs from the last reply.
TEST(RepeatedSearchTest, TheIdleTimeRestartsWithEveryReply)
{
    Library library;
    library.replies[0] = {Reply(1, 1)};
    g_library = &library;
    const std::chrono::milliseconds idle(1000);
    const std::chrono::milliseconds apart(600);
    RepeatedSearch search(Calls(), kFirst, {1, 1000, 60000, std::chrono::milliseconds(0)}, Merge::ByMac);
    ASSERT_TRUE(search.Start([](KOVR_HANDLE h) {
        return Calls().startAsyncCallback(
            h, [](KOVR_HANDLE, uintptr_t) {}, 0);
    }));
    const auto start = RepeatedSearch::Clock::now();
    ASSERT_EQ(search.Step().size(), 1u);
    for (uint8_t device = 2; device <= 3; ++device) {
        std::this_thread::sleep_until(start + apart * (device - 1));
        ASSERT_FALSE(search.Finished()) << "before device " << int{device} << "'s reply";
        library.queues[kFirst].push_back(Reply(device, 1));
        EXPECT_EQ(search.Step().size(), 1u) << "device " << int{device};
    }
    EXPECT_GT(*search.NextWake(), RepeatedSearch::Clock::now() + idle / 2);
}

TEST(RepeatedSearchTest, ACancelEndsTheSearchAtOnce)
{
    Library library;
    library.replies[0] = {Reply(1, 1)};
    g_library = &library;
    SearchWakeup wakeup;
    wakeup.Cancel();
    std::vector<KOVRDeviceInfoRecord> found;
    const auto start = RepeatedSearch::Clock::now();
    EXPECT_EQ(SearchDevices(Calls(), kFirst, {3, KOVR_INFINITE, 60000}, found, &wakeup), 1);
    EXPECT_LT(RepeatedSearch::Clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(library.stopped, std::vector<KOVR_HANDLE>{kFirst});
}

} // namespace
