// Runs the kovr binary as a child process for end-to-end tests: feeds its
// standard input, collects stdout (line by line, with arrival times) and
// stderr, and can give it a pseudo-terminal, either as stderr (where the
// progress line goes) or as its controlling terminal (where the password
// prompt goes). The child runs in a session of its own, without a
// controlling terminal unless it is given one.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kovr::test {

struct KovrResult {
    int exitCode = -1; // -1 when it didn't exit by itself in time
    std::string out;
    std::string err;
};

// The state folder that every kovr of this test process gets as
// $XDG_STATE_HOME, so that the devices it pins are its own: made on first
// use, removed when the process ends.
const std::string &KovrStateHome();

// Runs kovr to completion (killed after the time-out).
KovrResult RunKovr(const std::vector<std::string> &args, const std::string &input = "",
                   std::chrono::milliseconds timeout = std::chrono::seconds(90));

class KovrProcess {
public:
    using Clock = std::chrono::steady_clock;
    enum class Terminal { None, Stderr, Controlling };
    struct Line {
        std::string text;
        Clock::time_point arrived;
    };

    KovrProcess(const std::vector<std::string> &args, Terminal terminal = Terminal::None);
    ~KovrProcess();
    KovrProcess(const KovrProcess &) = delete;
    KovrProcess &operator=(const KovrProcess &) = delete;

    void WriteInput(const std::string &text);
    void CloseInput();
    // Writes to the terminal as if typed.
    void Type(const std::string &text);
    void Signal(int signalNumber);

    // Reads output until the predicate holds or the time runs out.
    bool WaitFor(const std::function<bool()> &done, std::chrono::milliseconds timeout);
    // Reads until the process has exited and its output is drained; its exit
    // status, or -1 when it is still running at the time-out.
    int Wait(std::chrono::milliseconds timeout);

    const std::vector<Line> &lines() const { return lines_; }
    const std::string &out() const { return out_; }
    const std::string &err() const { return err_; }
    // What the process wrote to its terminal.
    const std::string &terminal() const { return terminalOutput_; }

private:
    // One round of reading whatever is ready, waiting at most `wait`.
    void Pump(std::chrono::milliseconds wait);
    bool Reap();

    pid_t pid_ = -1;
    int exitCode_ = -1;
    bool exited_ = false;
    int inFd_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int ptyFd_ = -1;
    std::string out_;
    std::string partialLine_;
    std::vector<Line> lines_;
    std::string err_;
    std::string terminalOutput_;
};

} // namespace kovr::test
