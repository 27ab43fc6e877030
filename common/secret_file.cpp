#include "common/secret_file.h"

#include <cerrno>

#include <unistd.h>

namespace kovr::common {

bool ReadSecretFile(const std::string &path, size_t maxBytes, std::string &text, bool &othersMayRead,
                    std::string &error)
{
    std::string reason;
    const int fd = OpenForReading(path, reason);
    const std::optional<OpenFileFacts> facts = fd >= 0 ? DescribeOpenFile(fd, reason) : std::nullopt;
    if (!facts) {
        error = "cannot open '" + path + "': " + reason;
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    if (facts->size > maxBytes) {
        error = "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB";
        close(fd);
        return false;
    }
    othersMayRead = facts->othersMayRead;
    // Sized up front, so that no reallocation leaves a copy behind.
    text.assign(facts->size, '\0');
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
