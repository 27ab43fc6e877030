// kovr apply's exit status and summary line come from the judgement and the
// summary it shares with the locator.
#include "tools/kovr/apply_report.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kovr::cli;

namespace {

TEST(CliApplyReportTest, ABadOutcomeFailsTheRunAndTheSummaryIsTheSharedOne)
{
    std::vector<DeviceReport> reports(3);
    reports[0].outcome = Outcome::Verified;
    reports[2].outcome = Outcome::Unchanged;
    for (Outcome outcome : {Outcome::Verified, Outcome::Unverified, Outcome::Failed, Outcome::NotFound,
                            Outcome::Cancelled, Outcome::Unchanged, Outcome::WouldChange}) {
        SCOPED_TRACE(OutcomeName(outcome));
        reports[1].outcome = outcome;
        EXPECT_EQ(ApplyExitStatus(reports), kovr::common::IsBadOutcome(outcome) ? 1 : 0);
        std::ostringstream out;
        WriteApplyReport(out, reports);
        const std::string text = out.str();
        EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), kovr::common::ApplySummary(reports) + "\n");
    }
}

} // namespace
