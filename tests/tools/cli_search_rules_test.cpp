// The pieces of kovr's searches and waits that don't need a network: the
// synchronous rules applied to an event-mode search, the reboot wait, the
// interrupt pipe and the progress line.
#include "interrupt_pipe.h"
#include "progress_line.h"
#include "reboot_wait.h"
#include "sync_search_rules.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <poll.h>
#include <unistd.h>

using namespace kovr::cli;
using std::chrono::milliseconds;
using Clock = SyncSearchDeadline::Clock;

namespace {

KOVRDeviceInfoRecord Reply(uint8_t macByte, uint32_t interfaceAddress)
{
    KOVRDeviceInfoRecord r{};
    r.macAddress[5] = macByte;
    r.interfaceAddress = interfaceAddress;
    return r;
}

TEST(CliSearchRulesTest, FirstReplyOfEachDeviceWinsInArrivalOrder)
{
    UniqueDevices devices;
    EXPECT_TRUE(devices.Add(Reply(2, 1)));
    EXPECT_TRUE(devices.Add(Reply(1, 1)));
    EXPECT_FALSE(devices.Add(Reply(2, 2)));
    EXPECT_TRUE(devices.Add(Reply(3, 2)));
    EXPECT_FALSE(devices.Add(Reply(1, 2)));
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices.records()[0].macAddress[5], 2);
    EXPECT_EQ(devices.records()[0].interfaceAddress, 1u);
    EXPECT_EQ(devices.records()[1].macAddress[5], 1);
    EXPECT_EQ(devices.records()[1].interfaceAddress, 1u);
    EXPECT_EQ(devices.records()[2].macAddress[5], 3);
}

TEST(CliSearchRulesTest, SearchEndsIdleAfterTheLastNotificationOrAtTheTotal)
{
    const Clock::time_point start = Clock::now();
    SyncSearchDeadline deadline(500, 3000, start);
    // Until a device answers, only the total counts.
    EXPECT_EQ(deadline.End(), start + milliseconds(3000));
    deadline.Notified(start + milliseconds(100));
    EXPECT_EQ(deadline.End(), start + milliseconds(600));
    deadline.Notified(start + milliseconds(400));
    EXPECT_EQ(deadline.End(), start + milliseconds(900));
    deadline.Notified(start + milliseconds(2800));
    EXPECT_EQ(deadline.End(), start + milliseconds(3000));
}

TEST(CliSearchRulesTest, InfiniteLimits)
{
    const Clock::time_point start = Clock::now();
    SyncSearchDeadline idleOnly(500, KOVR_INFINITE, start);
    EXPECT_FALSE(idleOnly.End());
    idleOnly.Notified(start + milliseconds(50));
    EXPECT_EQ(idleOnly.End(), start + milliseconds(550));

    SyncSearchDeadline totalOnly(KOVR_INFINITE, 2000, start);
    totalOnly.Notified(start + milliseconds(1900));
    EXPECT_EQ(totalOnly.End(), start + milliseconds(2000));

    EXPECT_EQ(CheckSearchLimits(KOVR_INFINITE, 1), "");
    EXPECT_EQ(CheckSearchLimits(1, KOVR_INFINITE), "");
    EXPECT_NE(CheckSearchLimits(KOVR_INFINITE, KOVR_INFINITE), "");
}

TEST(CliSearchRulesTest, RebootWaitPollsAtOnceThenFortyTimesAfterPauses)
{
    struct Case {
        int answersAtPoll; // 0: never
        int polls;
        int pauses;
        RebootOutcome outcome;
    };
    for (const Case &c : {Case{1, 1, 0, RebootOutcome::Ready}, Case{2, 2, 1, RebootOutcome::Ready},
                          Case{41, 41, 40, RebootOutcome::Ready}, Case{0, 41, 40, RebootOutcome::TimedOut}}) {
        int polls = 0;
        int pauses = 0;
        const RebootOutcome outcome = WaitForDevice([&] { return ++polls == c.answersAtPoll; }, [&] { ++pauses; });
        EXPECT_EQ(outcome, c.outcome) << c.answersAtPoll;
        EXPECT_EQ(polls, c.polls) << c.answersAtPoll;
        EXPECT_EQ(pauses, c.pauses) << c.answersAtPoll;
    }
}

bool Readable(int fd)
{
    struct pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

TEST(CliSearchRulesTest, InterruptPipeTurnsSignalsIntoAReadablePipeAndRestoresHandlers)
{
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    {
        InterruptPipe interrupt;
        ASSERT_TRUE(interrupt.valid());
        EXPECT_FALSE(Readable(interrupt.fd()));
        raise(SIGINT);
        EXPECT_TRUE(Readable(interrupt.fd()));
        raise(SIGTERM);
        raise(SIGHUP);
    }
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

std::string Drain(int fd)
{
    std::string text;
    char buffer[256];
    while (Readable(fd)) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

TEST(CliSearchRulesTest, ProgressLineRedrawsInPlaceAndErasesItselfOnlyWhenEnabled)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        // A pipe is no terminal.
        ProgressLine automatic(fds[1]);
        EXPECT_FALSE(automatic.enabled());
        automatic.Show("hidden");
    }
    EXPECT_EQ(Drain(fds[0]), "");
    {
        ProgressLine progress(fds[1], true);
        progress.Show(SearchProgressText("Searching", milliseconds(2449), 1));
        progress.Show(SearchProgressText("Searching", milliseconds(10000), 12));
    }
    EXPECT_EQ(Drain(fds[0]), "\rSearching... 2.4 s, 1 device found\033[K"
                             "\rSearching... 10.0 s, 12 devices found\033[K"
                             "\r\033[K");
    close(fds[0]);
    close(fds[1]);
}

} // namespace
