#include "tools/kovr/interrupt_pipe.h"

#include <cerrno>
#include <csignal>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

namespace kovr::cli {

namespace {

int g_writeFd = -1;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction g_previous[std::size(kSignals)];

extern "C" void WriteInterruptByte(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already says enough.
    [[maybe_unused]] ssize_t n = write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

InterruptPipe::InterruptPipe()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    handle_ = fds[0];
    valid_ = true;
    g_writeFd = fds[1];
    struct sigaction action {};
    action.sa_handler = WriteInterruptByte;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
}

InterruptPipe::~InterruptPipe()
{
    if (!valid_) {
        return;
    }
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    close(g_writeFd);
    g_writeFd = -1;
    close(handle_);
}

} // namespace kovr::cli
