#include "common/secret_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kovr::common {

const char kOthersMayReadAdvice[] = "can be read by group or others; make it private (chmod 600) first";

int OpenForReading(const std::string &path, std::string &error)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer, maybe forever.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    const bool described = fstat(fd, &status) == 0;
    if (!described || !S_ISREG(status.st_mode)) {
        error = described ? kNotARegularFile : std::strerror(errno);
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<OpenFileFacts> DescribeOpenFile(int fd, std::string &error)
{
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    OpenFileFacts facts;
    facts.size = static_cast<size_t>(std::max<off_t>(status.st_size, 0));
    facts.othersMayRead = (status.st_mode & (S_IRGRP | S_IROTH)) != 0;
    return facts;
}

} // namespace kovr::common
