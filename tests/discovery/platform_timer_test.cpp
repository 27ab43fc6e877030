// One-shot relative timers: fire once, restart from now, and cancel cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/fault_injection.h"
#include "platform/timer.h"
#include "session.h"

namespace kovr::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int64_t DueIn(int64_t ms)
{
    return -ms * kTicksPerMillisecond;
}

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        timer_ = CreateTimer();
        ASSERT_NE(timer_, nullptr);
    }
    void TearDown() override { CloseTimer(timer_); }

    Timer *timer_ = nullptr;
};

TEST_F(TimerTest, FiresOnceAfterItsDueTime)
{
    EXPECT_FALSE(TimerFired(timer_));
    const auto start = Clock::now();
    ASSERT_TRUE(StartTimer(timer_, DueIn(30)));
    EXPECT_FALSE(TimerFired(timer_));
    EXPECT_EQ(WaitTimer(timer_, 5000), 0);
    EXPECT_GE(Clock::now() - start, milliseconds(30));
    // The expiry was consumed and there is no period.
    EXPECT_EQ(WaitTimer(timer_, 60), -2);
}

TEST_F(TimerTest, UnstartedTimerNeverFires)
{
    EXPECT_EQ(WaitTimer(timer_, 30), -2);
}

TEST_F(TimerTest, RestartCountsAgainFromNow)
{
    ASSERT_TRUE(StartTimer(timer_, DueIn(150)));
    std::this_thread::sleep_for(milliseconds(100));
    ASSERT_TRUE(StartTimer(timer_, DueIn(150)));
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_FALSE(TimerFired(timer_));
    EXPECT_EQ(WaitTimer(timer_, 5000), 0);
}

TEST_F(TimerTest, RestartDropsAnExpiryNobodyConsumed)
{
    ASSERT_TRUE(StartTimer(timer_, DueIn(1)));
    std::this_thread::sleep_for(milliseconds(20));
    ASSERT_TRUE(StartTimer(timer_, DueIn(10000)));
    EXPECT_FALSE(TimerFired(timer_));
}

TEST_F(TimerTest, CancelDisarmsAndDropsAnUnconsumedExpiry)
{
    ASSERT_TRUE(StartTimer(timer_, DueIn(1)));
    std::this_thread::sleep_for(milliseconds(20));
    CancelTimer(timer_);
    EXPECT_FALSE(TimerFired(timer_));

    ASSERT_TRUE(StartTimer(timer_, DueIn(20)));
    CancelTimer(timer_);
    EXPECT_EQ(WaitTimer(timer_, 60), -2);
}

TEST_F(TimerTest, ZeroDueTimeFiresAtOnceAndAbsoluteTimesAreRefused)
{
    ASSERT_TRUE(StartTimer(timer_, 0));
    EXPECT_EQ(WaitTimer(timer_, 1000), 0);
    EXPECT_FALSE(StartTimer(timer_, 1));
}

TEST(TimerHandles, MissingTimerAndCreationFailure)
{
    EXPECT_FALSE(StartTimer(nullptr, DueIn(1)));
    EXPECT_EQ(WaitTimer(nullptr, 0), -1);
    EXPECT_FALSE(TimerFired(nullptr));
    CancelTimer(nullptr);
    CloseTimer(nullptr);

    ArmFault(Fault::TimerCreate, 1);
    EXPECT_EQ(CreateTimer(), nullptr);
    DisarmAllFaults();
}

} // namespace
} // namespace kovr::platform
