// What kovr shows and notices while it waits, without a network: the
// progress line, its ticker, and the interrupt pipe.
#include "tools/kovr/interrupt_pipe.h"
#include "tools/kovr/progress_line.h"
#include "tools/kovr/progress_ticker.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <regex>
#include <thread>

#include <poll.h>
#include <unistd.h>

using namespace kovr::cli;
using std::chrono::milliseconds;

namespace {

bool Readable(int fd)
{
    struct pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

// Ctrl-C, a stop from the service manager and a closed terminal alike.
TEST(CliProgressTest, InterruptPipeTurnsSignalsIntoAReadablePipeAndRestoresHandlers)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        struct sigaction before {};
        sigaction(signal, nullptr, &before);
        {
            InterruptPipe interrupt;
            ASSERT_TRUE(interrupt.valid());
            EXPECT_FALSE(Readable(interrupt.handle()));
            raise(signal);
            EXPECT_TRUE(Readable(interrupt.handle()));
        }
        struct sigaction after {};
        sigaction(signal, nullptr, &after);
        EXPECT_EQ(after.sa_handler, before.sa_handler);
    }
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

TEST(CliProgressTest, ProgressLineRedrawsInPlaceAndErasesItselfOnlyWhenEnabled)
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
    {
        ProgressLine disabled(fds[1], false);
        const ProgressTicker ticker(disabled, "Searching");
    }
    EXPECT_EQ(Drain(fds[0]), "");
    close(fds[0]);
    close(fds[1]);
}

TEST(CliProgressTest, TickerRedrawsTheElapsedTimeUntilItGoesThenErasesTheLine)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        ProgressLine progress(fds[1], true);
        const ProgressTicker ticker(progress, "Searching");
        std::this_thread::sleep_for(kProgressRedrawInterval * 3 + milliseconds(50));
    }
    const std::string drawn = Drain(fds[0]);
    // Redrawn in place about every interval, never again after the erase.
    const std::regex redraws("(\\rSearching\\.\\.\\. 0\\.[0-9] s\\x1b\\[K){2,5}\\r\\x1b\\[K");
    EXPECT_TRUE(std::regex_match(drawn, redraws)) << drawn;
    close(fds[0]);
    close(fds[1]);
}

} // namespace
