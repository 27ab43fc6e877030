// The test seam itself: which attempts fail.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <vector>

namespace kovr::platform {
namespace {

std::vector<bool> Attempts(Fault fault, int count)
{
    std::vector<bool> failed;
    for (int i = 0; i < count; ++i) {
        failed.push_back(ShouldFail(fault));
    }
    return failed;
}

TEST(FaultInjection, FailsTheNthAttemptOnly)
{
    EXPECT_EQ(Attempts(Fault::Poll, 3), (std::vector<bool>{false, false, false}));
    ArmFault(Fault::Poll, 3);
    EXPECT_EQ(Attempts(Fault::Poll, 5), (std::vector<bool>{false, false, true, false, false}));
}

TEST(FaultInjection, EveryKeepsFailingUntilDisarmed)
{
    ArmFault(Fault::SocketBind, 2, true);
    EXPECT_EQ(Attempts(Fault::SocketBind, 4), (std::vector<bool>{false, true, true, true}));
    // Other faults are unaffected.
    EXPECT_FALSE(ShouldFail(Fault::SocketCreate));
    DisarmAllFaults();
    EXPECT_FALSE(ShouldFail(Fault::SocketBind));
}

TEST(FaultInjection, RearmingReplacesTheEarlierCount)
{
    ArmFault(Fault::ThreadCreate, 1, true);
    ArmFault(Fault::ThreadCreate, 2);
    EXPECT_EQ(Attempts(Fault::ThreadCreate, 3), (std::vector<bool>{false, true, false}));
    ArmFault(Fault::ThreadCreate, 0);
    EXPECT_FALSE(ShouldFail(Fault::ThreadCreate));
}

} // namespace
} // namespace kovr::platform
