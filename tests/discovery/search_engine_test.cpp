// The search engine against a device stand-in on lo: starters and their
// argument checks, the result queue, notifications after readable passes,
// and the worker's behaviour when the platform fails it.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>
#include <thread>
#include <variant>

#include "discovery/platform/fault_injection.h"
#include "discovery/replies.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"
#include "discovery/search.h"
#include "discovery/session.h"
#include "kovr/kovr.h"
#include "tests/discovery/loopback_device.h"
#include "tests/support/guids.h"
#include "tests/support/process_resources.h"
#include "tests/support/timing.h"

using namespace kovr;
using kovr::platform::ArmFault;
using kovr::platform::Fault;
using kovr::test::Clock;
using kovr::test::Datagram;
using kovr::test::kLocatorGuid;
using kovr::test::MillisecondsSince;
using kovr::test::WaitFor;
using std::chrono::milliseconds;

namespace {

// Not a reply; it only makes the searching socket readable.
const Datagram kJunk{'j', 'u', 'n', 'k'};

// A device that answers each discovery request with one reply whose MAC ends
// in the last octet of the requesting address, and remembers where the last
// request came from so that a test can send more datagrams there.
class AnsweringDevice {
public:
    AnsweringDevice()
        : device_([this](const Datagram &, const sockaddr_in &from) {
              std::lock_guard<std::mutex> lock(mutex_);
              from_ = from;
              return std::vector<Datagram>{test::DiscoveryReplyFrom(kMagicLorx, ntohl(from.sin_addr.s_addr) & 0xFF)};
          })
    {}
    void SendToSearcher(const Datagram &datagram)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        device_.SendTo(datagram, from_);
    }
    int RequestsHeard() const { return device_.RequestsHeard(); }

private:
    std::mutex mutex_;
    sockaddr_in from_{};
    test::LoopbackDevice device_;
};

class SearchEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::InPrivateNamespace());
        handle_ = KOVROpenByGuid(&kLocatorGuid);
        ASSERT_NE(handle_, nullptr);
        session_ = FindSession(handle_);
    }
    void TearDown() override
    {
        platform::DisarmAllFaults();
        KOVRClose(handle_);
    }
    void QueueRecords(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto record = std::make_unique<ReplyRecord>();
            InitReplyRecord(session_->identity, record.get());
            record->info.macAddress[5] = static_cast<uint8_t>(i);
            ASSERT_GE(session_->search->results.Append(std::move(record)), 0);
        }
    }

    KOVR_HANDLE handle_ = nullptr;
    SessionPointer session_;
};

TEST_F(SearchEngineTest, RefusedStartersLeaveThePreviousErrorState)
{
    session_->errors.Record(7, "earlier failure");
    KOVR_WINDOW gone = KOVRCreateMessageWindow();
    KOVRDestroyMessageWindow(gone);
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    KOVR_EVENT closed = KOVRCreateEvent();
    KOVRCloseEvent(closed);

    EXPECT_EQ(KOVRStartAsyncSearchCallback(handle_, nullptr, 1), -1);
    EXPECT_EQ(KOVRStartAsyncSearchMessage(handle_, gone, 0x400, 1), -1);
    EXPECT_EQ(KOVRStartAsyncSearchMessage(handle_, window, 0, 1), -1);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(handle_, nullptr), -1);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(handle_, closed), -1);
    EXPECT_EQ(KOVRStartSyncSearchEx(nullptr, 100, 100), -1);
    EXPECT_EQ(KOVRGetSearchResultCount(nullptr), -1);
    EXPECT_EQ(KOVRGetLastError(handle_), 7);
    EXPECT_FALSE(session_->search->searching.load());
    KOVRDestroyMessageWindow(window);
}

TEST_F(SearchEngineTest, InvalidLimitsAreRefusedAfterTheErrorReset)
{
    for (auto limits :
         {std::make_pair(0u, 1000u), std::make_pair(1000u, 0u), std::make_pair(KOVR_INFINITE, KOVR_INFINITE)}) {
        session_->errors.Record(7, "earlier failure");
        EXPECT_EQ(KOVRStartSyncSearchEx(handle_, limits.first, limits.second), -1);
        EXPECT_EQ(KOVRGetLastError(handle_), 0);
        EXPECT_FALSE(session_->search->searching.load());
        EXPECT_EQ(session_->search->worker, nullptr);
    }
}

TEST_F(SearchEngineTest, ResultsComeOutOldestFirstAndOnlyOnce)
{
    QueueRecords(5);
    KOVRDeviceInfoRecord records[3];
    EXPECT_EQ(KOVRGetSearchResults(handle_, records, 0), -1);
    EXPECT_EQ(KOVRGetSearchResults(handle_, nullptr, 3), -1);
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 5) << "refused fetches remove nothing";

    ASSERT_EQ(KOVRGetSearchResults(handle_, records, 3), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(records[i].macAddress[5], i);
        EXPECT_EQ(records[i].recordSize, 852u);
    }
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 2);
    ASSERT_EQ(KOVRGetSearchResults(handle_, records, 3), 2);
    EXPECT_EQ(records[0].macAddress[5], 3);
    EXPECT_EQ(records[1].macAddress[5], 4);
    EXPECT_EQ(KOVRGetSearchResults(handle_, records, 3), 0);
}

TEST_F(SearchEngineTest, ANewSearchReleasesUnfetchedResults)
{
    QueueRecords(3);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 50, 150), 0);
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 0);
}

TEST_F(SearchEngineTest, WithoutAnAnswerASyncSearchLastsItsTotalLimitAndStopHasNoEffect)
{
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        while (!done) {
            KOVRStopSearch(handle_);
            std::this_thread::sleep_for(milliseconds(20));
        }
    });
    const auto start = Clock::now();
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 100, 500), 0);
    done = true;
    stopper.join();
    EXPECT_GE(MillisecondsSince(start), 490);
    EXPECT_EQ(KOVRGetLastError(handle_), 0);
    KOVRStopSearch(handle_); // idle: nothing happens
}

TEST_F(SearchEngineTest, AStaleIdleExpiryDoesNotEndTheNextSearch)
{
    session_->search->timer->Start(std::chrono::nanoseconds(100));
    std::this_thread::sleep_for(milliseconds(10));
    const auto start = Clock::now();
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 100, 400), 0);
    EXPECT_GE(MillisecondsSince(start), 390);
}

TEST_F(SearchEngineTest, ALeftoverStopRequestDoesNotEndTheNextSearch)
{
    AnsweringDevice device;
    session_->search->stopEvent->Set();
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 200, 3000), 1);
}

TEST_F(SearchEngineTest, ThreadCreationFailureLeavesTheSessionIdle)
{
    ArmFault(Fault::ThreadCreate, 1);
    EXPECT_EQ(KOVRStartAsyncSearchCallback(
                  handle_, [](KOVR_HANDLE, uintptr_t) {}, 0),
              -1);
    EXPECT_FALSE(session_->search->searching.load());
    ArmFault(Fault::ThreadCreate, 1);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 100, 100), -1);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 50, 100), 0);
}

TEST_F(SearchEngineTest, ARecordThatCannotBeAllocatedIsReadOnTheNextPass)
{
    AnsweringDevice device;
    ArmFault(Fault::RecordAllocation, 1);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 200, 3000), 1);
}

TEST_F(SearchEngineTest, AWorkerWithoutMemoryForRecordsWaitsInsteadOfSpinning)
{
    AnsweringDevice device;
    ArmFault(Fault::RecordAllocation, 1, true);
    const std::clock_t cpuBefore = std::clock();
    EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 200, 1000), 0);
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    platform::DisarmAllFaults();
    // A spinning worker burns the whole second; waiting costs a few passes.
    EXPECT_LT(cpuSeconds, 0.5);
}

TEST_F(SearchEngineTest, AWorkerWhoseWaitFailsEndsButTheSearchStaysUntilStopped)
{
    AnsweringDevice device;
    KOVR_EVENT event = KOVRCreateEvent();
    ArmFault(Fault::Poll, 1);
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle_, event), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 400), -2);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(handle_, event), -1) << "still searching";
    KOVRStopSearch(handle_);
    EXPECT_FALSE(session_->search->searching.load());
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 0);
    KOVRCloseEvent(event);
}

TEST_F(SearchEngineTest, WithoutALocalAddressAnAsyncSearchNeverNotifies)
{
    ASSERT_EQ(std::system("ip link set lo down"), 0);
    KOVR_EVENT event = KOVRCreateEvent();
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle_, event), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 300), -2);
    EXPECT_TRUE(session_->search->searching.load());
    KOVRStopSearch(handle_);
    EXPECT_FALSE(session_->search->searching.load());
    KOVRCloseEvent(event);
    ASSERT_EQ(std::system("ip link set lo up"), 0);
}

TEST_F(SearchEngineTest, RepliesAreReadFromTheFirst64SocketsOnly)
{
    constexpr int kExtra = 69;
    ASSERT_TRUE(test::AddLoopbackAddresses(kExtra));
    {
        AnsweringDevice device;
        EXPECT_EQ(KOVRStartSyncSearchEx(handle_, 300, 5000), 64);
        EXPECT_EQ(device.RequestsHeard(), kExtra + 1) << "the request leaves through every socket";
    }
    test::RemoveLoopbackAddresses(kExtra);
}

// A caller may stop the search from within its own notification.
TEST_F(SearchEngineTest, TheCallbackMayStopItsOwnSearch)
{
    AnsweringDevice device;
    static std::atomic<int> calls{0};
    calls = 0;
    const KOVRSearchNotifyCallback stopAtFirst = [](KOVR_HANDLE h, uintptr_t) {
        ++calls;
        KOVRStopSearch(h);
    };
    ASSERT_EQ(KOVRStartAsyncSearchCallback(handle_, stopAtFirst, 0), 0);
    ASSERT_TRUE(WaitFor([] { return calls > 0; }));
    ASSERT_TRUE(WaitFor([this] { return !session_->search->searching.load(); }));
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 1);
    // The next search joins the worker that stopped itself.
    ASSERT_EQ(KOVRStartAsyncSearchCallback(handle_, stopAtFirst, 0), 0);
    ASSERT_TRUE(WaitFor([] { return calls > 1; }));
    EXPECT_EQ(calls.load(), 2);
}

// ... or close its session: the worker then ends on its own, and what it
// still uses stays whole until it has.
TEST_F(SearchEngineTest, TheCallbackMayCloseItsOwnSession)
{
    AnsweringDevice device;
    static std::atomic<int> calls{0};
    calls = 0;
    const int threads = test::ThreadCount();
    session_.reset(); // the handle is the session's only owner now
    ASSERT_EQ(KOVRStartAsyncSearchCallback(
                  handle_,
                  [](KOVR_HANDLE h, uintptr_t) {
                      ++calls;
                      KOVRClose(h);
                  },
                  0),
              0);
    ASSERT_TRUE(WaitFor([] { return calls > 0; }));
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), -1);
    EXPECT_TRUE(WaitFor([threads] { return test::ThreadCount() == threads; })) << "the worker has ended";
    EXPECT_EQ(calls.load(), 1);
}

// Callback mode: called after each pass that read something while results
// wait in the queue, never after a pass that only timed out.
TEST_F(SearchEngineTest, TheCallbackRepeatsAfterEachReadablePassWhileResultsWait)
{
    AnsweringDevice device;
    struct Calls {
        std::atomic<int> count{0};
        std::atomic<KOVR_HANDLE> handle{nullptr};
        std::atomic<uintptr_t> user{0};
    } calls;
    static Calls *current = nullptr;
    current = &calls;
    ASSERT_EQ(KOVRStartAsyncSearchCallback(
                  handle_,
                  [](KOVR_HANDLE h, uintptr_t user) {
                      current->handle = h;
                      current->user = user;
                      ++current->count;
                  },
                  0xBEEF),
              0);
    ASSERT_TRUE(WaitFor([&] { return calls.count > 0; }));
    EXPECT_EQ(calls.handle.load(), handle_);
    EXPECT_EQ(calls.user.load(), 0xBEEFu);
    std::this_thread::sleep_for(milliseconds(500));
    const int settled = calls.count;
    EXPECT_EQ(settled, 1) << "passes that time out give no notification";

    device.SendToSearcher(kJunk);
    ASSERT_TRUE(WaitFor([&] { return calls.count > settled; })) << "a readable pass notifies again";

    KOVRDeviceInfoRecord record;
    ASSERT_EQ(KOVRGetSearchResults(handle_, &record, 1), 1);
    EXPECT_EQ(record.interfaceAddress, inet_addr("127.0.0.1"));
    const int emptied = calls.count;
    device.SendToSearcher(kJunk);
    std::this_thread::sleep_for(milliseconds(400));
    EXPECT_EQ(calls.count, emptied) << "nothing queued, nothing to tell";

    device.SendToSearcher(test::DiscoveryReplyFrom(kMagicLorx, 1));
    ASSERT_TRUE(WaitFor([&] { return calls.count > emptied; }));
    EXPECT_EQ(KOVRGetSearchResultCount(handle_), 1) << "an asynchronous search keeps repeated replies";
    KOVRStopSearch(handle_);
    EXPECT_FALSE(session_->search->searching.load());
}

TEST_F(SearchEngineTest, TheWindowGetsMessageWithWParamZeroAndTheUserValue)
{
    AnsweringDevice device;
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    ASSERT_EQ(KOVRStartAsyncSearchMessage(handle_, window, 0x8001, static_cast<uintptr_t>(-5)), 0);
    uint32_t message = 0;
    uintptr_t wParam = 1;
    intptr_t lParam = 0;
    ASSERT_EQ(KOVRGetWindowMessage(window, 3000, &message, &wParam, &lParam), 0);
    EXPECT_EQ(message, 0x8001u);
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, -5);
    device.SendToSearcher(kJunk);
    EXPECT_EQ(KOVRGetWindowMessage(window, 3000, &message, &wParam, &lParam), 0) << "repeated";
    // A window destroyed during the search is simply no longer posted to.
    KOVRDestroyMessageWindow(window);
    device.SendToSearcher(kJunk);
    std::this_thread::sleep_for(milliseconds(100));
    KOVRStopSearch(handle_);
}

TEST_F(SearchEngineTest, TheEventIsSetAfterEachReadablePass)
{
    AnsweringDevice device;
    KOVR_EVENT event = KOVRCreateEvent();
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle_, event), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 3000), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 300), -2);
    device.SendToSearcher(kJunk);
    EXPECT_EQ(KOVRWaitEvent(event, 3000), 0);
    KOVRClose(handle_); // stops the search first
    handle_ = nullptr;
    KOVRCloseEvent(event);
}

TEST_F(SearchEngineTest, StoringOneNotificationModeClearsTheOthers)
{
    KOVR_EVENT event = KOVRCreateEvent();
    SetSearchNotification(*session_->search, CallbackTarget{[](KOVR_HANDLE, uintptr_t) {}, handle_, 9});
    SetSearchNotification(*session_->search, EventTarget{event});
    EXPECT_TRUE(std::holds_alternative<EventTarget>(session_->search->notify));
    KOVRCloseEvent(event);
}

TEST(MacComparison, OrdersByTheFirstDifferingByte)
{
    ReplyRecord record{};
    const uint8_t mac[kMacSize] = {2, 0, 0, 0, 0x80, 1};
    std::memcpy(record.info.macAddress, mac, kMacSize);
    const uint8_t smaller[kMacSize] = {2, 0, 0, 0, 0x7F, 9};
    const uint8_t larger[kMacSize] = {2, 0, 0, 0, 0x80, 2};
    EXPECT_EQ(CompareMacAddress(mac, record), 0);
    EXPECT_LT(CompareMacAddress(smaller, record), 0);
    EXPECT_GT(CompareMacAddress(larger, record), 0);
}

} // namespace
