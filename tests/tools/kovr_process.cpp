#include "tests/tools/kovr_process.h"

#include "common/write_all.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace kovr::test {

using kovr::common::WriteAll;

namespace {

void CloseFd(int &fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// A folder removed with everything in it when the process ends.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = ::testing::TempDir() + "kovr-state-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

} // namespace

const std::string &KovrStateHome()
{
    static const TemporaryFolder folder;
    return folder.path();
}

KovrResult RunKovr(const std::vector<std::string> &args, const std::string &input, std::chrono::milliseconds timeout)
{
    KovrProcess process(args);
    process.WriteInput(input);
    process.CloseInput();
    KovrResult result;
    result.exitCode = process.Wait(timeout);
    result.out = process.out();
    result.err = process.err();
    return result;
}

KovrProcess::KovrProcess(const std::vector<std::string> &args, Terminal terminal)
{
    // A child that exits early must not take the test down with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe2 failed");
    }
    char slavePath[64] = {};
    if (terminal != Terminal::None) {
        ptyFd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (ptyFd_ < 0 || grantpt(ptyFd_) != 0 || unlockpt(ptyFd_) != 0 ||
            ptsname_r(ptyFd_, slavePath, sizeof slavePath) != 0) {
            throw std::runtime_error("cannot open a pseudo-terminal");
        }
    }
    setenv("XDG_STATE_HOME", KovrStateHome().c_str(), 1);
    std::vector<std::string> argv = {KOVR_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> pointers;
    for (std::string &arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        // Only async-signal-safe calls between fork and exec. A session of
        // its own keeps kovr off the terminal the tests may run in.
        std::signal(SIGPIPE, SIG_DFL);
        setsid();
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (terminal == Terminal::Controlling) {
            const int slave = open(slavePath, O_RDWR);
            ioctl(slave, TIOCSCTTY, 0);
        } else if (terminal == Terminal::Stderr) {
            const int slave = open(slavePath, O_RDWR | O_NOCTTY);
            dup2(slave, STDERR_FILENO);
        }
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    inFd_ = in[1];
    outFd_ = out[0];
    errFd_ = err[0];
    for (int fd : {outFd_, errFd_, ptyFd_}) {
        if (fd >= 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
    }
}

KovrProcess::~KovrProcess()
{
    if (!exited_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    CloseFd(inFd_);
    CloseFd(outFd_);
    CloseFd(errFd_);
    CloseFd(ptyFd_);
}

void KovrProcess::WriteInput(const std::string &text)
{
    WriteAll(inFd_, text);
}

void KovrProcess::CloseInput()
{
    CloseFd(inFd_);
}

void KovrProcess::Type(const std::string &text)
{
    WriteAll(ptyFd_, text);
}

void KovrProcess::Signal(int signalNumber)
{
    if (!exited_) {
        kill(pid_, signalNumber);
    }
}

void KovrProcess::Pump(std::chrono::milliseconds wait)
{
    struct pollfd fds[3];
    int *owners[3];
    nfds_t count = 0;
    for (int *fd : {&outFd_, &errFd_, &ptyFd_}) {
        if (*fd >= 0) {
            fds[count] = {*fd, POLLIN, 0};
            owners[count++] = fd;
        }
    }
    if (count == 0) {
        usleep(static_cast<useconds_t>(std::min<long>(wait.count(), 20) * 1000));
        return;
    }
    if (poll(fds, count, static_cast<int>(wait.count())) <= 0) {
        return;
    }
    for (nfds_t i = 0; i < count; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = read(*owners[i], buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n <= 0) {
            // End of a pipe, or EIO once the terminal's other side is closed.
            CloseFd(*owners[i]);
            continue;
        }
        const std::string chunk(buffer, static_cast<size_t>(n));
        if (owners[i] == &outFd_) {
            out_ += chunk;
            partialLine_ += chunk;
            size_t newline;
            while ((newline = partialLine_.find('\n')) != std::string::npos) {
                lines_.push_back({partialLine_.substr(0, newline), Clock::now()});
                partialLine_.erase(0, newline + 1);
            }
        } else if (owners[i] == &errFd_) {
            err_ += chunk;
        } else {
            terminalOutput_ += chunk;
        }
    }
}

bool KovrProcess::Reap()
{
    if (exited_) {
        return true;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) {
        return false;
    }
    exited_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool KovrProcess::WaitFor(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const Clock::time_point end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= end) {
            return false;
        }
        Pump(std::chrono::milliseconds(20));
    }
    return true;
}

int KovrProcess::Wait(std::chrono::milliseconds timeout)
{
    // Drained when both pipes have ended; the terminal may stay open while
    // the test holds its master side, so it isn't waited for.
    const bool finished = WaitFor([this] { return Reap() && outFd_ < 0 && errFd_ < 0; }, timeout);
    WaitFor([this] { return ptyFd_ < 0; }, std::chrono::milliseconds(500));
    return finished ? exitCode_ : -1;
}

} // namespace kovr::test
