#include "common/secret_file.h"

#include <cerrno>

#include <unistd.h>

namespace kovr::common {

const char kNotARegularFile[] = "not a regular file";

int OpenAndDescribe(const std::string &path, OpenFileFacts &facts, std::string &error)
{
    const int fd = OpenForReading(path, error);
    const std::optional<OpenFileFacts> described = fd >= 0 ? DescribeOpenFile(fd, error) : std::nullopt;
    if (!described) {
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    facts = *described;
    return fd;
}

bool ReadSecretFile(const std::string &path, size_t maxBytes, std::string &text, bool &othersMayRead,
                    std::string &error)
{
    std::string reason;
    OpenFileFacts facts;
    const int fd = OpenAndDescribe(path, facts, reason);
    if (fd < 0) {
        error = "cannot open '" + path + "': " + reason;
        return false;
    }
    if (facts.size > maxBytes) {
        error = "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB";
        close(fd);
        return false;
    }
    othersMayRead = facts.othersMayRead;
    // Sized up front, so that no reallocation leaves a copy behind.
    text.assign(facts.size, '\0');
    size_t size = 0;
    while (size < text.size()) {
        const ssize_t n = read(fd, text.data() + size, text.size() - size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        size += static_cast<size_t>(n);
    }
    close(fd);
    text.resize(size);
    return true;
}

} // namespace kovr::common
