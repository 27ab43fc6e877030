// One-shot relative timers: fire once, restart from now, and cancel cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/timer.h"

namespace kovr::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        timer_ = Timer::Create();
        ASSERT_NE(timer_, nullptr);
    }
    // True when the timer was armed.
    bool Start(int64_t ms) { return timer_->Start(milliseconds(ms)) == kNoError; }

    std::unique_ptr<Timer> timer_;
};

TEST_F(TimerTest, FiresOnceAfterItsDueTime)
{
    EXPECT_FALSE(timer_->Fired());
    const auto start = Clock::now();
    ASSERT_TRUE(Start((30)));
    EXPECT_FALSE(timer_->Fired());
    EXPECT_EQ(timer_->Wait(5000), 0);
    EXPECT_GE(Clock::now() - start, milliseconds(30));
    // The expiry was consumed and there is no period.
    EXPECT_EQ(timer_->Wait(60), -2);
}

TEST_F(TimerTest, UnstartedTimerNeverFires)
{
    EXPECT_EQ(timer_->Wait(30), -2);
}

TEST_F(TimerTest, RestartCountsAgainFromNow)
{
    ASSERT_TRUE(Start((150)));
    std::this_thread::sleep_for(milliseconds(100));
    ASSERT_TRUE(Start((150)));
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_FALSE(timer_->Fired());
    EXPECT_EQ(timer_->Wait(5000), 0);
}

TEST_F(TimerTest, RestartDropsAnExpiryNobodyConsumed)
{
    ASSERT_TRUE(Start((1)));
    std::this_thread::sleep_for(milliseconds(20));
    ASSERT_TRUE(Start((10000)));
    EXPECT_FALSE(timer_->Fired());
}

TEST_F(TimerTest, CancelDisarmsAndDropsAnUnconsumedExpiry)
{
    ASSERT_TRUE(Start((1)));
    std::this_thread::sleep_for(milliseconds(20));
    timer_->Cancel();
    EXPECT_FALSE(timer_->Fired());

    ASSERT_TRUE(Start((20)));
    timer_->Cancel();
    EXPECT_EQ(timer_->Wait(60), -2);
}

TEST_F(TimerTest, ZeroDueTimeFiresAtOnceAndPastTimesAreRefused)
{
    ASSERT_TRUE(Start(0));
    EXPECT_EQ(timer_->Wait(1000), 0);
    EXPECT_FALSE(Start(-1));
}

TEST(TimerCreation, AFailureGivesNoTimer)
{
    ArmFault(Fault::TimerCreate, 1);
    SystemError error = kNoError;
    EXPECT_EQ(Timer::Create(&error), nullptr);
    EXPECT_NE(error, kNoError);
    DisarmAllFaults();
}

} // namespace
} // namespace kovr::platform
