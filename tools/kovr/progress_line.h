// A one-line progress display on stderr, redrawn in place, shown only when
// stderr is a terminal so that redirected output stays clean.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace kovr::cli {

constexpr std::chrono::milliseconds kProgressRedrawInterval{100};

class ProgressLine {
public:
    // Enabled when fd is a terminal.
    explicit ProgressLine(int fd);
    ProgressLine(int fd, bool enabled);
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    bool enabled() const { return enabled_; }
    void Show(const std::string &text);
    // Erases the line, before other output or when done.
    void Clear();

private:
    int fd_;
    bool enabled_;
    bool shown_ = false;
};

// "Searching... 2.4 s"
std::string ElapsedProgressText(const std::string &activity, std::chrono::milliseconds elapsed);
// "Watching... 2.4 s, 3 devices found"
std::string SearchProgressText(const std::string &activity, std::chrono::milliseconds elapsed, size_t devices);

} // namespace kovr::cli
