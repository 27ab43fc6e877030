// The auto-reset events that callers wait on or poll.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <thread>

#include "discovery/handles.h"
#include "discovery/platform/fault_injection.h"
#include "kovr/kovr.h"
#include "tests/support/inaccessible_page.h"

namespace kovr::platform {
namespace {

using Clock = std::chrono::steady_clock;

bool Readable(int fd)
{
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, 0) == 1;
}

class EventTest : public ::testing::Test {
protected:
    void SetUp() override { event_ = KOVRCreateEvent(); }
    void TearDown() override { KOVRCloseEvent(event_); }

    KOVR_EVENT event_ = nullptr;
};

TEST_F(EventTest, StartsClearAndResetsWhenAWaitConsumesIt)
{
    ASSERT_NE(event_, nullptr);
    EXPECT_EQ(KOVRWaitEvent(event_, 0), -2);
    SignalEvent(event_);
    SignalEvent(event_);
    // Two sets before a wait still release one wait only.
    EXPECT_TRUE(Readable(KOVREventFd(event_)));
    EXPECT_EQ(KOVRWaitEvent(event_, 0), 0);
    EXPECT_FALSE(Readable(KOVREventFd(event_)));
    EXPECT_EQ(KOVRWaitEvent(event_, 10), -2);
}

TEST_F(EventTest, WaitReturnsWhenAnotherThreadSets)
{
    std::thread setter([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SignalEvent(event_);
    });
    const auto start = Clock::now();
    EXPECT_EQ(KOVRWaitEvent(event_, KOVR_INFINITE), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    setter.join();
}

TEST_F(EventTest, TimedWaitLastsItsTime)
{
    const auto start = Clock::now();
    EXPECT_EQ(KOVRWaitEvent(event_, 50), -2);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
}

TEST(EventHandles, ForeignAndClosedEventsAreRefused)
{
    KOVR_EVENT closed = KOVRCreateEvent();
    ASSERT_TRUE(IsLiveEvent(closed));
    KOVRCloseEvent(closed);
    EXPECT_FALSE(IsLiveEvent(closed));

    const test::InaccessiblePage page;
    ASSERT_TRUE(page.mapped());
    for (KOVR_EVENT event : {closed, reinterpret_cast<KOVR_EVENT>(page.address()), static_cast<KOVR_EVENT>(nullptr)}) {
        EXPECT_EQ(KOVRWaitEvent(event, 0), -1);
        EXPECT_EQ(KOVREventFd(event), -1);
        EXPECT_FALSE(IsLiveEvent(event));
        SignalEvent(event);
        KOVRCloseEvent(event);
    }
}

TEST(EventHandles, CreationFailureGivesNoEvent)
{
    ArmFault(Fault::EventCreate, 1);
    EXPECT_EQ(KOVRCreateEvent(), nullptr);
    KOVR_EVENT event = KOVRCreateEvent();
    EXPECT_NE(event, nullptr);
    KOVRCloseEvent(event);
    DisarmAllFaults();
}

} // namespace
} // namespace kovr::platform
