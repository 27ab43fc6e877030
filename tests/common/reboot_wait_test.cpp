// How long kovr and the locator wait for a device after its reboot.
#include "common/reboot_wait.h"

#include <gtest/gtest.h>

using namespace kovr::common;

namespace {

TEST(RebootWaitTest, PollsAtOnceThenFortyTimesAfterPauses)
{
    struct Case {
        int answersAtPoll; // 0: never
        int polls;
        int pauses;
        RebootOutcome outcome;
        const char *status;
    };
    for (const Case &c :
         {Case{1, 1, 0, RebootOutcome::Ready, "Status: Ready"}, Case{2, 2, 1, RebootOutcome::Ready, "Status: Ready"},
          Case{41, 41, 40, RebootOutcome::Ready, "Status: Ready"},
          Case{0, 41, 40, RebootOutcome::TimedOut, "Status: Timed out"}}) {
        int polls = 0;
        int pauses = 0;
        const RebootOutcome outcome = WaitForDevice([&] { return ++polls == c.answersAtPoll; }, [&] { ++pauses; });
        EXPECT_EQ(outcome, c.outcome) << c.answersAtPoll;
        EXPECT_EQ(polls, c.polls) << c.answersAtPoll;
        EXPECT_EQ(pauses, c.pauses) << c.answersAtPoll;
        EXPECT_STREQ(RebootStatusText(outcome), c.status) << c.answersAtPoll;
    }
}

} // namespace
