// kovr watch from end to end: each device is printed the moment it
// answers, and the watch ends cleanly on Ctrl-C, SIGTERM or --total.
#include "tests/support/lab.h"
#include "tests/tools/kovr_process.h"

#include <gtest/gtest.h>

#include <csignal>

using kovr::test::DeviceJson;
using kovr::test::KovrProcess;
using kovr::test::Lab;
using kovr::test::Simulator;
using kovr::test::Topology;
using std::chrono::milliseconds;

namespace {

constexpr int kLateReplyMs = 2500;

// One device that answers at once and one that answers much later.
nlohmann::json EarlyAndLateDevice()
{
    nlohmann::json late = DeviceJson(2);
    late["replyDelayMs"] = kLateReplyMs;
    return kovr::test::Devices({DeviceJson(1), late});
}

class CliWatchTest : public ::testing::Test {
protected:
    Lab lab_{Topology::Single};
    Simulator simulator_{lab_, EarlyAndLateDevice()};
};

TEST_F(CliWatchTest, PrintsEachDeviceAsItAnswersUntilInterrupted)
{
    KovrProcess watch({"watch", "--json"});
    const auto start = KovrProcess::Clock::now();
    ASSERT_TRUE(watch.WaitFor([&] { return watch.lines().size() >= 1; }, milliseconds(5000))) << watch.err();
    // The early device is out long before the late one has answered.
    EXPECT_LT(watch.lines()[0].arrived - start, milliseconds(kLateReplyMs - 1000));
    ASSERT_TRUE(watch.WaitFor([&] { return watch.lines().size() >= 2; }, milliseconds(kLateReplyMs + 5000)))
        << watch.err();
    EXPECT_GT(watch.lines()[1].arrived - watch.lines()[0].arrived, milliseconds(kLateReplyMs / 2));

    EXPECT_EQ(nlohmann::json::parse(watch.lines()[0].text)["macAddress"], "02:00:00:00:00:01");
    EXPECT_EQ(nlohmann::json::parse(watch.lines()[1].text)["macAddress"], "02:00:00:00:00:02");

    watch.Signal(SIGINT);
    EXPECT_EQ(watch.Wait(milliseconds(5000)), 0) << watch.err();
    EXPECT_EQ(watch.lines().size(), 2u);
    EXPECT_EQ(watch.err(), "");
}

TEST_F(CliWatchTest, SigtermStopsTheWatchCleanly)
{
    KovrProcess watch({"watch", "--csv"});
    ASSERT_TRUE(watch.WaitFor([&] { return watch.lines().size() >= 2; }, milliseconds(5000))) << watch.err();
    EXPECT_EQ(watch.lines()[0].text, "ip,mac,name,product,dhcp,interface,mask,gateway");
    EXPECT_EQ(watch.lines()[1].text,
              "10.77.1.11,02:00:00:00:00:01,lab-1,7100-NT,Disabled,10.77.1.1,255.255.255.0,10.77.1.254");
    watch.Signal(SIGTERM);
    EXPECT_EQ(watch.Wait(milliseconds(5000)), 0) << watch.err();
}

TEST_F(CliWatchTest, TotalEndsTheWatchOnItsOwn)
{
    KovrProcess watch({"watch", "--total", "1500"});
    const auto start = KovrProcess::Clock::now();
    ASSERT_EQ(watch.Wait(milliseconds(10000)), 0) << watch.err();
    const auto took = KovrProcess::Clock::now() - start;
    EXPECT_GE(took, milliseconds(1400));
    EXPECT_LT(took, milliseconds(kLateReplyMs));
    // The table's headings, then only the device that answered in time.
    ASSERT_EQ(watch.lines().size(), 2u) << watch.out();
    EXPECT_EQ(watch.lines()[0].text.rfind("IP address", 0), 0u);
    EXPECT_NE(watch.lines()[1].text.find("02:00:00:00:00:01"), std::string::npos);
}

} // namespace
