#include "tools/kovr/password.h"

#include "tools/kovr/write_all.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>

#include <fcntl.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

namespace kovr::cli {

Password::Password()
{
    Clear();
}

Password::~Password()
{
    Clear();
}

void Password::Clear()
{
    explicit_bzero(buffer_, sizeof buffer_);
    size_ = 0;
}

bool Password::Assign(const char *text, size_t length)
{
    Clear();
    if (length >= kCapacity) {
        return false;
    }
    std::memcpy(buffer_, text, length);
    size_ = length;
    return true;
}

bool Password::ReadLine(int fd, std::string &error)
{
    Clear();
    for (;;) {
        if (size_ == kCapacity - 1) {
            // Full: only a line ending that comes next still makes it fit.
            char next = 0;
            ssize_t n;
            do {
                n = read(fd, &next, 1);
            } while (n < 0 && errno == EINTR);
            const bool fits = n == 0 || next == '\n';
            explicit_bzero(&next, sizeof next);
            if (!fits) {
                Clear();
                error = "the password is longer than " + std::to_string(kCapacity - 1) + " bytes";
                return false;
            }
            break;
        }
        const ssize_t n = read(fd, buffer_ + size_, kCapacity - 1 - size_);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::string("cannot read the password: ") + std::strerror(errno);
            Clear();
            return false;
        }
        if (n == 0) {
            break;
        }
        char *newline = static_cast<char *>(std::memchr(buffer_ + size_, '\n', static_cast<size_t>(n)));
        if (newline != nullptr) {
            size_ = static_cast<size_t>(newline - buffer_);
            break;
        }
        size_ += static_cast<size_t>(n);
    }
    if (size_ > 0 && buffer_[size_ - 1] == '\r') {
        --size_;
    }
    // Whatever was read past the line goes too.
    explicit_bzero(buffer_ + size_, kCapacity - size_);
    return true;
}

bool ReadPasswordFile(const std::string &path, Password &password, std::string &error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "--password-file: cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    const bool ok = password.ReadLine(fd, error);
    close(fd);
    if (!ok) {
        error = "--password-file: " + error;
    }
    return ok;
}

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
    WriteAll(fd, prompt);
    const bool ok = password.ReadLine(fd, error);
    tcsetattr(fd, TCSAFLUSH, &saved);

    for (size_t i = 0; i < std::size(kPromptSignals); ++i) {
        sigaction(kPromptSignals[i], &g_previousActions[i], nullptr);
    }
    g_promptFd = -1;
    close(fd);
    return ok;
}

bool ReadPassword(const PasswordSource &source, const std::string &prompt, Password &password, std::string &error)
{
    if (!source.file.empty()) {
        return ReadPasswordFile(source.file, password, error);
    }
    if (source.fromStdin) {
        if (!password.ReadLine(STDIN_FILENO, error)) {
            error = "--password-stdin: " + error;
            return false;
        }
        return true;
    }
    return PromptForPassword(prompt, password, error);
}

} // namespace kovr::cli
