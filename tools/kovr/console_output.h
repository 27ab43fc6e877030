// kovr's text is UTF-8, which a Windows console shows right only when it is
// set to that code page; given UTF-16 it shows every character. While a
// ConsoleOutput lives, std::cout and std::cerr write to a console they
// reach as UTF-16, and to a file or a pipe the UTF-8 bytes as they stand.
// Elsewhere it changes nothing.
#pragma once

#include <memory>

namespace kovr::cli {

class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput &) = delete;
    ConsoleOutput &operator=(const ConsoleOutput &) = delete;

private:
    struct Streams;
    std::unique_ptr<Streams> streams_;
};

// Standard output, when it is a file or a pipe, passes line feeds as they
// are, for formats that allow no other line end; Windows otherwise writes
// CR LF. Elsewhere it changes nothing.
void KeepLineFeedsOnStandardOutput();

} // namespace kovr::cli
