// What kovr apply's exit status makes of each device's outcome: only
// verified and unchanged devices count as done.
#include "tools/kovr/apply_report.h"

#include <gtest/gtest.h>

using namespace kovr::cli;

namespace {

TEST(CliApplyReportTest, OneDeviceThatIsNotDoneFailsTheRun)
{
    const struct {
        Outcome outcome;
        int exitStatus;
    } cases[] = {{Outcome::Verified, 0},   {Outcome::Unchanged, 0}, {Outcome::WouldChange, 0},
                 {Outcome::Unverified, 1}, {Outcome::Failed, 1},    {Outcome::NotFound, 1}};
    for (const auto &c : cases) {
        std::vector<DeviceReport> reports(3);
        reports[0].outcome = Outcome::Verified;
        reports[1].outcome = c.outcome;
        reports[2].outcome = Outcome::Unchanged;
        EXPECT_EQ(ApplyExitStatus(reports), c.exitStatus) << OutcomeName(c.outcome);
    }
}

} // namespace
