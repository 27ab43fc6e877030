#include "tools/kovr/progress_line.h"

#include "tools/kovr/terminal.h"

#include "common/write_all.h"

#include <cstdio>

namespace kovr::cli {

ProgressLine::ProgressLine(int fd) : ProgressLine(fd, RedrawsLinesInPlace(fd)) {}

ProgressLine::ProgressLine(int fd, bool enabled) : fd_(fd), enabled_(enabled) {}

ProgressLine::~ProgressLine()
{
    Clear();
}

void ProgressLine::Show(const std::string &text)
{
    if (!enabled_) {
        return;
    }
    // Back to the start of the line, the new text, then erase what is left
    // of a longer previous one.
    common::WriteAll(fd_, "\r" + text + "\033[K");
    shown_ = true;
}

void ProgressLine::Clear()
{
    if (shown_) {
        common::WriteAll(fd_, "\r\033[K");
        shown_ = false;
    }
}

std::string ElapsedProgressText(const std::string &activity, std::chrono::milliseconds elapsed)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(elapsed.count()) / 1000.0);
    return activity + "... " + seconds + " s";
}

std::string SearchProgressText(const std::string &activity, std::chrono::milliseconds elapsed, size_t devices)
{
    return ElapsedProgressText(activity, elapsed) + ", " + std::to_string(devices) +
           (devices == 1 ? " device found" : " devices found");
}

} // namespace kovr::cli
