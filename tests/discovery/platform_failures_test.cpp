// Each platform operation failing where the exported functions meet it:
// a socket of a set, a bind, a readiness wait, a timer, a worker thread, a
// reply record or a list node. Every call ends as documented, the session
// works again once the fault is gone, and no descriptor or thread is left
// behind. Leaked memory is the sanitizer build's and valgrind's to find.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "discovery/platform/fault_injection.h"
#include "discovery/replies.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"
#include "discovery/session.h"
#include "kovr/kovr.h"
#include "tests/discovery/device_session.h"
#include "tests/discovery/loopback_device.h"
#include "tests/support/descriptor_limit.h"
#include "tests/support/process_resources.h"
#include "tests/support/timing.h"

namespace kovr {
namespace {

using platform::ArmFault;
using platform::Fault;
using test::Datagram;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const uint8_t kDevice[kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
// The host has lo's 127.0.0.1 and these, so every set holds four sockets.
constexpr int kExtraAddresses = 3;

// Answers discovery requests for kDevice, and every command with success.
class AnsweringDevice {
public:
    AnsweringDevice()
        : device_([this](const Datagram &request, const sockaddr_in &) {
              const uint16_t type = static_cast<uint16_t>(request[4] << 8 | request[5]);
              if (type == kDiscoveryRequest) {
                  return std::vector<Datagram>{test::DiscoveryReplyFrom(kMagicLorx, kDevice[5])};
              }
              ++commands_;
              return std::vector<Datagram>{ReplyWriter(kMagicLorx, static_cast<uint16_t>(type + 1))
                                               .Field(kTagMacAddress, kDevice, sizeof kDevice)
                                               .Uint(kTagResultCode, 0, 1)
                                               .Finish()};
          })
    {}
    int CommandsHeard() const { return commands_.load(); }
    // The device's thread counts a request a moment after it left.
    bool HearsCommands(int count) const
    {
        test::WaitFor([&] { return commands_.load() >= count; });
        return commands_.load() == count;
    }

private:
    std::atomic<int> commands_{0};
    test::LoopbackDevice device_;
};

class PlatformFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::AddLoopbackAddresses(kExtraAddresses));
        // Long polls, short limits: a reply that arrives is read in the
        // first wait, however slow the build, so the faults below land in
        // the stage they are aimed at.
        test::Limits limits;
        limits.query = milliseconds(2000);
        limits.command = milliseconds(2000);
        limits.poll = milliseconds(1000);
        session_ = std::make_unique<test::DeviceSession>(limits);
        device_ = std::make_unique<AnsweringDevice>();
        descriptors_ = test::OpenDescriptorCount();
        threads_ = test::ThreadCount();
    }
    void TearDown() override
    {
        platform::DisarmAllFaults();
        EXPECT_EQ(test::OpenDescriptorCount(), descriptors_) << "descriptors left open";
        EXPECT_EQ(test::ThreadCount(), threads_) << "threads left running";
        device_.reset();
        session_.reset();
        test::RemoveLoopbackAddresses(kExtraAddresses);
    }

    KOVR_HANDLE handle() const { return session_->handle(); }
    bool Searching() const { return session_->session()->search->searching.load(); }
    void ExpectNetworkError(int32_t result, const char *what)
    {
        EXPECT_EQ(result, -1) << what;
        EXPECT_TRUE(session_->HasNetworkError()) << what;
    }
    // An asynchronous search that must not notify; stopped afterwards.
    void ExpectSilentAsyncSearch(const char *what)
    {
        KOVR_EVENT event = KOVRCreateEvent();
        ASSERT_EQ(KOVRStartAsyncSearchEvent(handle(), event), 0) << what;
        EXPECT_EQ(KOVRWaitEvent(event, 300), -2) << what;
        EXPECT_TRUE(Searching()) << what << ": stays searching until stopped";
        KOVRStopSearch(handle());
        EXPECT_FALSE(Searching()) << what;
        KOVRCloseEvent(event);
    }
    // Once the fault is gone, the session finds and reaches the device.
    void ExpectRecovered()
    {
        platform::DisarmAllFaults();
        EXPECT_EQ(KOVRStartSyncSearchEx(handle(), 100, 3000), 1);
        KOVRDeviceInfoRecord record{};
        EXPECT_EQ(KOVRGetSearchResults(handle(), &record, 1), 1);
        EXPECT_EQ(KOVRRebootDevice(handle(), kDevice, "pw"), 0);
    }

    std::unique_ptr<test::DeviceSession> session_;
    std::unique_ptr<AnsweringDevice> device_;
    int descriptors_ = 0;
    int threads_ = 0;
};

// Whichever socket of a set fails to open, the set is given up whole.
TEST_F(PlatformFailure, ASocketOfASetThatCannotBeOpened)
{
    for (Fault fault : {Fault::SocketCreate, Fault::SocketBind}) {
        SCOPED_TRACE(fault == Fault::SocketCreate ? "socket" : "bind");
        // A search that never went out fails at once rather than finding nothing.
        ArmFault(fault, 3);
        const auto start = Clock::now();
        ExpectNetworkError(KOVRStartSyncSearchEx(handle(), 100, 2000), "sync search");
        EXPECT_LT(Clock::now() - start, milliseconds(1000)) << "and ends without waiting for its limit";

        ArmFault(fault, 3);
        ExpectSilentAsyncSearch("async search");
        EXPECT_TRUE(session_->HasNetworkError()) << "the stopped search leaves its reason";

        KOVRDeviceInfoRecord record{};
        ArmFault(fault, 3);
        ExpectNetworkError(KOVRGetDeviceInfo(handle(), kDevice, &record), "device query");
        // A command asks first on which interface the device answers.
        ArmFault(fault, 3);
        ExpectNetworkError(KOVRRebootDevice(handle(), kDevice, "pw"), "interface choice");
        // Four sockets for the interface choice, four for the challenge,
        // then the command's own socket.
        ArmFault(fault, 9);
        ExpectNetworkError(KOVRSetDHCP(handle(), kDevice, 1, "pw"), "command exchange");
        EXPECT_EQ(device_->CommandsHeard(), 0);
    }
    ExpectRecovered();
}

TEST_F(PlatformFailure, AFailedWaitEndsTheWorkerOrTheCall)
{
    // The first wait fails: nothing is read, and the search lasts its limit.
    ArmFault(Fault::Poll, 1);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle(), 100, 400), 0);
    // A later wait fails: what was queued before stays and is counted.
    ArmFault(Fault::Poll, 2);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle(), 100, 3000), 1);
    EXPECT_EQ(KOVRGetSearchResultCount(handle()), 1);

    // The interface choice, the challenge, then the command's own wait.
    ArmFault(Fault::Poll, 3);
    ExpectNetworkError(KOVRSetNetwork(handle(), kDevice, inet_addr("10.77.1.20"), inet_addr("255.255.255.0"),
                                      inet_addr("10.77.1.254"), "pw"),
                       "command exchange");
    EXPECT_TRUE(device_->HearsCommands(1)) << "the request had left before the wait";
    ExpectRecovered();
}

TEST_F(PlatformFailure, ATimerThatCannotBeCreated)
{
    // Searches use the session's own timer, made when it opened.
    ArmFault(Fault::TimerCreate, 1, true);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle(), 100, 3000), 1);
    platform::DisarmAllFaults();

    KOVRDeviceInfoRecord record{};
    ArmFault(Fault::TimerCreate, 1);
    ExpectNetworkError(KOVRGetDeviceInfo(handle(), kDevice, &record), "device query");
    // The third timer is the command exchange's: nothing is sent without it.
    ArmFault(Fault::TimerCreate, 3);
    ExpectNetworkError(KOVRRebootDevice(handle(), kDevice, "pw"), "command exchange");
    EXPECT_EQ(device_->CommandsHeard(), 0);
    ExpectRecovered();
}

TEST_F(PlatformFailure, AWorkerThreadThatCannotBeStarted)
{
    KOVR_EVENT event = KOVRCreateEvent();
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    ArmFault(Fault::ThreadCreate, 1, true);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle(), 100, 300), -1);
    EXPECT_EQ(KOVRStartAsyncSearchCallback(
                  handle(), [](KOVR_HANDLE, uintptr_t) {}, 0),
              -1);
    EXPECT_EQ(KOVRStartAsyncSearchMessage(handle(), window, 0x400, 0), -1);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(handle(), event), -1);
    EXPECT_FALSE(Searching());
    KOVRStopSearch(handle());
    KOVRCloseEvent(event);
    KOVRDestroyMessageWindow(window);
    ExpectRecovered();
}

TEST_F(PlatformFailure, ReplyRecordsThatCannotBeAllocated)
{
    // While no record can be had, replies wait in the socket and nothing is
    // queued or notified; a stop is still noticed at once.
    ArmFault(Fault::RecordAllocation, 1, true);
    ExpectSilentAsyncSearch("async search");
    EXPECT_EQ(KOVRGetSearchResultCount(handle()), 0);
    // The reply that found no record is read once memory is back.
    ArmFault(Fault::RecordAllocation, 1, true);
    KOVR_EVENT event = KOVRCreateEvent();
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle(), event), 0);
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(KOVRGetSearchResultCount(handle()), 0);
    platform::DisarmAllFaults();
    EXPECT_EQ(KOVRWaitEvent(event, 3000), 0);
    KOVRStopSearch(handle());
    EXPECT_EQ(KOVRGetSearchResultCount(handle()), kExtraAddresses + 1) << "one reply per interface";
    KOVRCloseEvent(event);
    ExpectRecovered();
}

TEST_F(PlatformFailure, AQueueThatRefusesAReply)
{
    // Every node of the queue fails, and each reply is released again. The
    // event is made first: its handle takes a node of its own.
    KOVR_EVENT event = KOVRCreateEvent();
    ArmFault(Fault::ListNodeAllocation, 1, true);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle(), 100, 400), 0);
    ASSERT_EQ(KOVRStartAsyncSearchEvent(handle(), event), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 300), -2) << "a refused reply is not announced";
    KOVRStopSearch(handle());
    platform::DisarmAllFaults();
    KOVRCloseEvent(event);
    ExpectRecovered();
}

// Out of descriptors, nothing that needs one can be made, whether the
// system or the fault seam says no, and every creation fails cleanly.
TEST_F(PlatformFailure, RunningOutOfDescriptors)
{
    const std::string outOfDescriptors = std::string("Network error: ") + std::strerror(EMFILE);
    KOVRDeviceInfoRecord record{};
    {
        test::DescriptorLimit limit;
        EXPECT_EQ(KOVRCreateEvent(), nullptr);
        EXPECT_EQ(KOVROpenByGuid(&test::kLocatorGuid), nullptr);
        EXPECT_EQ(KOVRStartSyncSearchEx(handle(), 100, 300), -1) << "a worker without sockets can't search";
        EXPECT_EQ(session_->LastMessage(), outOfDescriptors);
    }
    {
        // Room for the query's sockets, but not for its timer.
        test::DescriptorLimit limit(kExtraAddresses + 1);
        EXPECT_EQ(KOVRGetDeviceInfo(handle(), kDevice, &record), -1);
        EXPECT_EQ(session_->LastMessage(), outOfDescriptors);
    }
    ExpectRecovered();
}

} // namespace
} // namespace kovr
