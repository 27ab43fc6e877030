#include "tools/kovr/password.h"

#include "common/write_all.h"

#include <csignal>
#include <iterator>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kovr::cli {

namespace {

// The terminal whose echo is off, for the signal handler to restore.
int g_promptFd = -1;
struct termios g_savedTerminal;
constexpr int kPromptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previousActions[std::size(kPromptSignals)];

extern "C" void RestoreTerminalAndRaise(int signalNumber)
{
    if (g_promptFd >= 0) {
        tcsetattr(g_promptFd, TCSANOW, &g_savedTerminal);
    }
    for (size_t i = 0; i < std::size(kPromptSignals); ++i) {
        if (kPromptSignals[i] == signalNumber) {
            sigaction(signalNumber, &g_previousActions[i], nullptr);
        }
    }
    raise(signalNumber);
}

} // namespace

bool PromptForPassword(const std::string &prompt, Password &password, std::string &error)
{
    const int fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    struct termios saved;
    if (fd < 0 || tcgetattr(fd, &saved) != 0) {
        if (fd >= 0) {
            close(fd);
        }
        error = "no terminal to ask for the password; use --password-file FILE or --password-stdin";
        return false;
    }
    g_savedTerminal = saved;
    g_promptFd = fd;
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndRaise;
    sigemptyset(&restore.sa_mask);
    for (size_t i = 0; i < std::size(kPromptSignals); ++i) {
        sigaction(kPromptSignals[i], &restore, &g_previousActions[i]);
    }

    struct termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    // Echo goes off, dropping what was typed ahead, before the prompt shows:
    // whatever is typed once it is on screen is read, and never echoed.
    tcsetattr(fd, TCSAFLUSH, &quiet);
    common::WriteAll(fd, prompt);
    const bool ok = password.ReadLine(fd, error);
    tcsetattr(fd, TCSAFLUSH, &saved);

    for (size_t i = 0; i < std::size(kPromptSignals); ++i) {
        sigaction(kPromptSignals[i], &g_previousActions[i], nullptr);
    }
    g_promptFd = -1;
    close(fd);
    return ok;
}

} // namespace kovr::cli
