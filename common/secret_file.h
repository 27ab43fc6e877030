// Opening the files that may hold passwords (a password file, a plan), and
// what kovr and the locator need to know of one that is open: its size, to read it into one
// buffer that the caller wipes, and whether users other than its owner may
// read it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kovr::common {

// A descriptor for reading a regular file, which programs started later
// don't inherit; -1 with the reason in error. Anything else (a FIFO, a
// device, a folder) is refused at once: reading one may never end.
int OpenForReading(const std::string &path, std::string &error);

struct OpenFileFacts {
    size_t size = 0;
    // On POSIX, group or others; on Windows, everyone, authenticated users
    // or the machine's users.
    bool othersMayRead = false;
};
// None, with the reason in error, when the system can't say.
std::optional<OpenFileFacts> DescribeOpenFile(int fd, std::string &error);

// OpenForReading and DescribeOpenFile in one: the descriptor, or -1 with
// the reason in error.
int OpenAndDescribe(const std::string &path, OpenFileFacts &facts, std::string &error);

// The whole file, and whether users other than its owner may read it. The
// text may hold passwords: the caller wipes it. False with the reason in
// error, also for a file larger than maxBytes, which is never read.
bool ReadSecretFile(const std::string &path, size_t maxBytes, std::string &text, bool &othersMayRead,
                    std::string &error);

// Who else may read a file with othersMayRead, and how its owner stops them.
extern const char kOthersMayReadAdvice[];
// The reason OpenForReading gives for anything but a regular file.
extern const char kNotARegularFile[];

} // namespace kovr::common
